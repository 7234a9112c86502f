#include "app/core/Startup.h"

#include "app/core/AppInfo.h"
#include "app/core/CInstanceChecker.h"
#include "app/core/ClientApp.h"
#include "app/core/StartupTexts.h"
#include "app/update/UpdateCleanup.h"
#include "config/ConfigurationInterface.h"
#include "config/ConfigurationLoader.h"
#include "config/CustomerNumbers.h"
#include "platform/MessageBoxes.h"
#include "platform/Process.h"

#include "platform/Text.h"

#include <fstream>
#include <iostream>

namespace bv
{

namespace
{

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
    trustLoginServer(app.profile().readString(section::General, "LoginURL"), app.trustedZone());
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
        shell.runSendDialog(app, true, {}, true);
        break;
    case StartMode::Request:
        runMainWindowOnce(app, shell, "REQ:" + app.startParameter());
        break;
    case StartMode::IniImport: {
        ConfigurationInterface import(ConfigurationInterface::Variant::Client, app.profile(), app.boxes(), std::cerr);
        import.run(app.startParameter());
        break;
    }
    case StartMode::ControlFile:
        if (!std::ifstream(app.startParameter(), std::ios::binary)) {
            app.boxes().show(strFormat(startuptext::ControlFileNotOpened, app.startParameter().c_str()),
                             appinfo::CompanyWord, MbIcon::Error);
            break;
        }
        // The evaluation of a readable control file belongs to the practice-software send
        // interface, which this build does not have yet: the mode ends without doing anything.
        break;
    }
    return 0;
}

} // namespace bv
