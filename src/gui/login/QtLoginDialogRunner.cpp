#include "gui/login/QtLoginDialogRunner.h"

#include "app/core/ClientApp.h"
#include "app/login/LoginWiring.h"
#include "app/unattended/LoginTranscript.h"
#include "gui/core/DialogLoop.h"
#include "gui/login/BrowserVersion.h"
#include "gui/login/LoginDialog.h"

#include <QTimer>

#include <optional>

namespace bv {

QtLoginDialogRunner::QtLoginDialogRunner(ClientApp& app, UiDispatcher& dispatcher, QWidget* parent)
    : m_app(app), m_dispatcher(dispatcher), m_parent(parent)
{}

LoginDialogResult QtLoginDialogRunner::runLoginDialog()
{
    const std::string title = m_app.windowTitle();
    std::optional<LoginTranscript> transcript;
    ViewDecoration<LoginView> decoration;
    if (ScriptedUser* user = m_app.scriptedUser()) {
        transcript.emplace(*user, title);
        decoration = [&transcript](LoginView& window) -> LoginView& { return transcript->wrap(window); };
    }
    LoginDialog dialog(QString::fromStdString(title), loginDependencies(m_app, m_dispatcher, browserVersionText()),
                       m_parent, decoration);
    if (transcript)
        transcript->attach(dialog.controller());
    // The controller starts once the dialog's loop runs, so that an answer that closes the dialog at
    // once ends a running loop.
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.controller().start(); });
    runDialogLoop(dialog, transcript.has_value());
    return dialog.loginResult();
}

} // namespace bv
