#include "gui/core/QtStartupShell.h"

#include "app/core/ClientApp.h"
#include "config/SetupController.h"
#include "gui/setup/SetupDialog.h"
#include "platform/Files.h"

namespace bv
{

void QtStartupShell::runSetupDialog(ClientApp& app)
{
    files::DriveProbe drives;
    SetupController controller(app.profile(), drives);
    SetupDialog dialog(controller);
    dialog.exec();
}

void QtStartupShell::runMainWindow(ClientApp&, const std::string&, CInstanceChecker&)
{
    // The main window with the billing centre's web application is not part of this build yet.
}

void QtStartupShell::runSendDialog(ClientApp&, bool, const std::string&, bool)
{
    // The send dialog is not part of this build yet.
}

} // namespace bv
