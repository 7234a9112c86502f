#include "app/core/Startup.h"

#include "app/core/AppInfo.h"
#include "app/core/CInstanceChecker.h"
#include "app/core/ClientApp.h"
#include "app/core/StartupTexts.h"
#include "app/practice/PracticeInterface.h"
#include "app/update/UpdateCleanup.h"
#include "config/ConfigurationInterface.h"
#include "config/ConfigurationLoader.h"
#include "config/CustomerNumbers.h"
#include "config/SpoolDirectory.h"
#include "platform/MessageBoxes.h"
#include "platform/Process.h"

#include <iostream>

namespace bv {

namespace {

// The practice-software interface runs the send dialog on its working directory, standalone and
// with the spool option clear, or hands its control file to the main window.
class ShellPracticePorts : public PracticePorts
{
public:
    ShellPracticePorts(ClientApp& app, StartupShell& shell) : m_app(app), m_shell(shell) {}
    void runSendDialog(const std::string& spoolDirectory) override
    {
        m_shell.runSendDialog(m_app,
                              SendDialogMode{true, resolveSpoolDirectory(spoolDirectory, m_app.profile()), false});
    }
    void runMainWindow(const std::string& startRequest) override { runMainWindowOnce(m_app, m_shell, startRequest); }

private:
    ClientApp& m_app;
    StartupShell& m_shell;
};

bool loadConfiguration(ClientApp& app)
{
    ConfigurationLoader loader(app.profile(), app.boxes());
    const auto loaded = loader.load(app.configName(), appinfo::CountryCode, app.programPath().string());
    if (!loaded)
        return false;
    app.setLoginUrl(loaded->loginUrl);
    app.setCustomerNumbers(loaded->customerNumbers);
    app.setUseProxy(loaded->useProxy);
    return true;
}

} // namespace

void runMainWindowOnce(ClientApp& app, StartupShell& shell, const std::string& startRequest)
{
    CInstanceChecker checker(app.instanceName());
    if (checker.PreviousInstanceRunning()) {
        checker.ActivatePreviousInstance(startRequest);
        return;
    }
    shell.runMainWindow(app, startRequest, checker);
}

int runStartup(ClientApp& app, StartupShell& shell)
{
    app.setOsDescription(process::operatingSystemDescription());

    if (!loadConfiguration(app)) {
        app.boxes().show(startuptext::RegistryLoadFailed, appinfo::RegistryErrorCaption, MbIcon::Error);
        return 0;
    }
    trustLoginServer(app.profile().read(profilekey::LoginURL), app.trustedZone());
    app.setCustomerNumbers(customers::normaliseStored(app.profile()).list);
    cleanUpAfterUpdate(app.profile());
    app.connection().readSettings();

    switch (app.startMode()) {
    case StartMode::MainWindow:
    case StartMode::NamedMainWindow:
        runMainWindowOnce(app, shell, {});
        break;
    case StartMode::Setup:
        shell.runSetupDialog(app);
        break;
    case StartMode::SendDialog:
        shell.runSendDialog(app, SendDialogMode{true, resolveSpoolDirectory({}, app.profile()), true});
        break;
    case StartMode::Request:
        runMainWindowOnce(app, shell, "REQ:" + app.startParameter());
        break;
    case StartMode::IniImport: {
        ConfigurationInterface import(ConfigurationInterface::Variant::Client, app.profile(), app.boxes(), std::cerr);
        import.run(app.startParameter());
        break;
    }
    case StartMode::ControlFile: {
        ShellPracticePorts ports(app, shell);
        runControlFile(app, app.startParameter(), ports);
        break;
    }
    }
    return 0;
}

} // namespace bv
