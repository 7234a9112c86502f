#include "gui/main/MainWindowLauncher.h"

#include "app/core/ClientApp.h"
#include "app/login/LoginWiring.h"
#include "app/main/MainWindowController.h"
#include "app/main/MainWindowTexts.h"
#include "app/unattended/MainWindowTranscript.h"
#include "app/unattended/ScriptedUser.h"
#include "gui/core/QtDispatcher.h"
#include "gui/login/QtLoginDialogRunner.h"
#include "gui/main/MainWindow.h"
#include "gui/main/QtMainWindowDialogs.h"
#include "gui/update/UpdateDialogRunner.h"

#include <optional>

namespace bv {

namespace {

// The transcript lines of one popup window: open while the popup lives, closed with ok when it goes.
// A child of the popup, so that it goes with it.
class PopupTranscript : public QObject
{
public:
    PopupTranscript(ScriptedUser& user, QObject* popup)
        : QObject(popup), m_lines(user.session(), mainwindowtext::PopupTitle)
    {}
    ~PopupTranscript() override { m_lines.close(true); }

private:
    DialogTranscript m_lines;
};

// Writes the lines of the window's popups and of the pages it loads to the transcript.
void connectTranscript(MainWindow& window, MainWindowTranscript& transcript, ScriptedUser& user)
{
    QObject::connect(&window, &MainWindow::pageShown, &window,
                     [&transcript](const QString& url) { transcript.pageLoaded(url.toStdString()); });
    QObject::connect(&window, &MainWindow::pageSettled, &window, [&transcript] { transcript.pageSettled(); });
    QObject::connect(&window, &MainWindow::popupOpened, &window,
                     [&user](PopupWindow* popup) { new PopupTranscript(user, popup); });
}

} // namespace

void runMainWindow(ClientApp& app, const std::string& startRequest, CInstanceChecker& checker,
                   const MainWindowServices& services)
{
    // Declared first, destroyed last: requests of later starts and the login request report through it.
    QtDispatcher dispatcher;
    ScriptedUser* user = app.scriptedUser();
    std::optional<MainWindowTranscript> transcript;
    if (user)
        transcript.emplace(*user, app.windowTitle());
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
    QtMainWindowDialogs qtDialogs(app, std::move(wired), &window);
    std::optional<MainWindowDialogsTranscript> dialogsTranscript;
    MainWindowView* view = &window;
    MainWindowDialogs* dialogs = &qtDialogs;
    if (transcript) {
        view = &transcript->wrap(window);
        dialogs = &dialogsTranscript.emplace(*user, qtDialogs);
        connectTranscript(window, *transcript, *user);
    }
    MainWindowController controller(*view, *dialogs, login, mainWindowContext(app, dispatcher), startRequest);
    window.attach(&controller);
    if (transcript)
        transcript->attach(&controller);
    controller.initialise(&checker);
    window.run();
    controller.onDestroy();
    window.attach(nullptr);
    if (transcript)
        transcript->attach(nullptr);
}

} // namespace bv
