#include "gui/send/SendLauncher.h"

#include "app/core/ClientApp.h"
#include "app/login/LoginWiring.h"
#include "app/send/SendWiring.h"
#include "app/send/SendTexts.h"
#include "app/unattended/SendTranscript.h"
#include "gui/core/DialogLoop.h"
#include "gui/core/QtDispatcher.h"
#include "gui/login/QtLoginDialogRunner.h"
#include "gui/send/QtFileChooser.h"
#include "gui/send/QtKeepAliveTimer.h"
#include "gui/send/QtSendDialogs.h"
#include "gui/send/SendDialog.h"
#include "gui/send/TestFileDialog.h"
#include "platform/Files.h"

#include <optional>
#include <utility>

namespace bv {

std::string runSendDialog(ClientApp& app, const SendDialogMode& mode, UploadStarter& starter, QWidget* parent)
{
    QtDispatcher dispatcher;
    QtLoginDialogRunner loginRunner(app, dispatcher, parent);
    LoginService login = makeLoginService(app, loginRunner);
    QtKeepAliveTimer timer;
    files::RemovableProbe removableProbe;
    std::optional<SendTranscript> transcript;
    ViewDecoration<SendDialogView> decoration;
    if (ScriptedUser* user = app.scriptedUser()) {
        transcript.emplace(*user, dispatcher);
        decoration = [&transcript](SendDialogView& window) -> SendDialogView& { return transcript->wrap(window); };
    }
    QtSendDialogs dialogs(app.profile(), app.boxes(), sendtext::Caption, app.scriptedUser());
    SendDialogDependencies deps = sendDialogDependencies(app, login, starter, dispatcher, timer, removableProbe);
    deps.dialogs = &dialogs;
    SendDialog dialog(std::move(deps), mode, parent, decoration);
    dialogs.setWindow(&dialog);
    if (transcript)
        transcript->attach(dialog.controller());
    timer.setTickHandler([&dialog] { dialog.controller().keepAliveTick(); });
    dialog.run();
    return dialog.controller().nextUrl();
}

void runTestFileDialog(ClientApp& app, UploadStarter& starter, QWidget* parent)
{
    QtDispatcher dispatcher;
    std::optional<TestFileTranscript> transcript;
    std::optional<QtFileChooser> window;
    FileChooser* chooser = nullptr;
    if (ScriptedUser* user = app.scriptedUser())
        chooser = &transcript.emplace(*user, sendtext::TestFileTitle);
    else
        chooser = &window.emplace(parent);
    TestFileDialog dialog(testFileDependencies(app, starter, dispatcher, *chooser), parent);
    dialog.start();
    if (!dialog.isFinished())
        runDialogLoop(dialog, transcript.has_value());
}

} // namespace bv
