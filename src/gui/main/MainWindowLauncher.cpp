#include "gui/main/MainWindowLauncher.h"

#include "app/core/ClientApp.h"
#include "app/login/LoginWiring.h"
#include "app/main/MainWindowController.h"
#include "gui/core/QtDispatcher.h"
#include "gui/login/QtLoginDialogRunner.h"
#include "gui/main/MainWindow.h"
#include "gui/main/QtMainWindowDialogs.h"
#include "gui/update/UpdateDialogRunner.h"

namespace bv {

void runMainWindow(ClientApp& app, const std::string& startRequest, CInstanceChecker& checker,
                   const MainWindowServices& services)
{
    // Declared first, destroyed last: requests of later starts and the login request report through it.
    QtDispatcher dispatcher;
    MainWindow window(QString::fromStdString(app.windowTitle()), [&app] {
        return PopupShape{app.popup().width, app.popup().height, app.popup().resizable};
    });
    QtLoginDialogRunner loginDialog(app, dispatcher, &window);
    LoginService login = makeLoginService(app, loginDialog);
    MainWindowServices wired = services;
    if (!wired.update) {
        wired.update = [&app](const std::string& updateAddress, QWidget* parent) {
            runUpdateDialog(app, updateAddress, parent);
        };
    }
    QtMainWindowDialogs dialogs(app, std::move(wired), &window);
    MainWindowController controller(window, dialogs, login, mainWindowContext(app, dispatcher), startRequest);
    window.attach(&controller);
    controller.initialise(&checker);
    window.run();
    controller.onDestroy();
    window.attach(nullptr);
}

} // namespace bv
