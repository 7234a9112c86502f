#include "gui/login/QtLoginDialogRunner.h"

#include "app/core/ClientApp.h"
#include "app/login/LoginWiring.h"
#include "gui/core/DialogTranscript.h"
#include "gui/login/BrowserVersion.h"
#include "gui/login/LoginDialog.h"

#include <QEventLoop>
#include <QTimer>

namespace bv {

QtLoginDialogRunner::QtLoginDialogRunner(ClientApp& app, UiDispatcher& dispatcher, QWidget* parent)
    : m_app(app), m_dispatcher(dispatcher), m_parent(parent)
{}

LoginDialogResult QtLoginDialogRunner::runLoginDialog()
{
    const std::string title = m_app.windowTitle();
    DialogTranscript transcript(title);
    LoginDialog dialog(QString::fromStdString(title), loginDependencies(m_app, m_dispatcher, browserVersionText()),
                       m_parent);
    // The controller starts once the dialog's loop runs, so that an answer that closes the dialog at
    // once ends a running loop.
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.controller().start(); });
    if (transcript.active()) {
        dialog.controller().setAnswerSource(
            [&transcript](const std::function<bool(const std::string&)>& fits) { return transcript.takeAnswer(fits); });
        QEventLoop loop;
        QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        dialog.exec();
    }
    transcript.close(dialog.loginResult() == LoginDialogResult::LoggedIn);
    return dialog.loginResult();
}

} // namespace bv
