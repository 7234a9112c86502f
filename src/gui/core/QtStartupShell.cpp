#include "gui/core/QtStartupShell.h"

#include "app/core/ClientApp.h"
#include "config/SetupController.h"
#include "config/SpoolDirectory.h"
#include "gui/main/MainWindowLauncher.h"
#include "gui/send/SendLauncher.h"
#include "gui/setup/SetupDialog.h"
#include "net/UploadThread.h"
#include "platform/Files.h"

namespace bv {

void QtStartupShell::runSetupDialog(ClientApp& app)
{
    bv::runSetupDialog(app);
}

void QtStartupShell::runMainWindow(ClientApp& app, const std::string& startRequest, CInstanceChecker& checker)
{
    CurlUploadStarter uploads(app.profile());
    MainWindowServices services;
    // Opened from the main window: the configured spool directory as it is at that moment.
    services.sendDialog = [&](QWidget* parent) {
        return bv::runSendDialog(app, SendDialogMode{false, resolveSpoolDirectory({}, app.profile()), true}, uploads,
                                 parent);
    };
    services.testFileDialog = [&](QWidget* parent) { runTestFileDialog(app, uploads, parent); };
    bv::runMainWindow(app, startRequest, checker, services);
}

void QtStartupShell::runSendDialog(ClientApp& app, const SendDialogMode& mode)
{
    CurlUploadStarter uploads(app.profile());
    const std::string nextPage = bv::runSendDialog(app, mode, uploads);
    // Without a main window behind it, the send dialog opens one on the page the billing centre named.
    if (mode.standalone && !nextPage.empty())
        runMainWindowOnce(app, *this, "StartURL:" + nextPage);
}

} // namespace bv
