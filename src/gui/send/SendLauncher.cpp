#include "gui/send/SendLauncher.h"

#include "app/core/ClientApp.h"
#include "app/login/LoginWiring.h"
#include "app/send/SendWiring.h"
#include "app/send/SendTexts.h"
#include "gui/core/DialogTranscript.h"
#include "gui/core/QtDispatcher.h"
#include "gui/login/QtLoginDialogRunner.h"
#include "gui/send/QtFileChooser.h"
#include "gui/send/QtKeepAliveTimer.h"
#include "gui/send/SendDialog.h"
#include "gui/send/TestFileDialog.h"
#include "platform/Files.h"

namespace bv {

std::string runSendDialog(ClientApp& app, const SendDialogMode& mode, UploadStarter& starter, QWidget* parent)
{
    QtDispatcher dispatcher;
    QtLoginDialogRunner loginRunner(app, dispatcher, parent);
    LoginService login = makeLoginService(app, loginRunner);
    QtKeepAliveTimer timer;
    files::RemovableProbe removableProbe;
    SendDialog dialog(sendDialogDependencies(app, login, starter, dispatcher, timer, removableProbe), mode, parent);
    timer.setTickHandler([&dialog] { dialog.controller().keepAliveTick(); });
    dialog.run();
    return dialog.controller().nextUrl();
}

void runTestFileDialog(ClientApp& app, UploadStarter& starter, QWidget* parent)
{
    QtDispatcher dispatcher;
    DialogTranscript transcript(sendtext::TestFileTitle);
    QtFileChooser chooser(parent, &transcript);
    TestFileDialog dialog(testFileDependencies(app, starter, dispatcher, chooser), parent);
    dialog.run();
}

} // namespace bv
