// bvals_cl: the desktop client. Start-up settles the start mode from the command line, loads the
// configuration and runs exactly one window or job; when it ends, the process ends.

#include "app/core/ClientApp.h"
#include "app/core/CommandLine.h"
#include "app/core/Startup.h"
#include "app/unattended/ScriptedUser.h"
#include "gui/core/DesktopIntegration.h"
#include "gui/core/QtMessageBoxes.h"
#include "gui/core/QtStartupShell.h"
#include "platform/NetworkState.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Unattended.h"

#include <QApplication>
#include <QLocale>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // The arguments as given, before Qt takes out the options it knows.
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    // Unattended or not is decided here, once: the session and its scripted user are handed to every
    // dialog through the application object.
    const std::unique_ptr<bv::UnattendedSession> unattended = bv::UnattendedSession::fromEnvironment();
    std::unique_ptr<bv::ScriptedUser> scriptedUser;
    if (unattended)
        qputenv("QT_QPA_PLATFORM", "offscreen"); // nothing is shown in an unattended run
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The toolkit's own texts (standard buttons, file chooser, context menus) follow the desktop's
    // language; every window carries the client's icon.
    bv::desktop::installToolkitTranslations(application, QLocale::system());
    bv::desktop::installApplicationIcon();

    std::unique_ptr<bv::MessageBoxes> boxes;
    if (unattended) {
        boxes = std::make_unique<bv::UnattendedMessageBoxes>(*unattended);
        scriptedUser = std::make_unique<bv::ScriptedUser>(*unattended);
    } else {
        boxes = std::make_unique<bv::QtMessageBoxes>();
    }

    auto registry = bv::Registry::fromEnvironment();
    bv::NetworkProbe networkProbe;
    bv::DialUp dialUp;
    bv::ClientApp app(*registry, *boxes, bv::CommandLine::parse(arguments), bv::process::executablePath(), networkProbe,
                      dialUp, scriptedUser.get());
    bv::QtStartupShell shell;
    return bv::runStartup(app, shell);
}
