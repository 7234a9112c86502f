#include "gui/core/ClientMain.h"

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
#include <utility>
#include <vector>

namespace bv {

int runClient(int argc, char* argv[], Edition edition)
{
    // The arguments as given, before Qt takes out the options it knows.
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    // Unattended or not is decided here, once: the session and its scripted user are handed to every
    // dialog through the application object.
    const std::unique_ptr<UnattendedSession> unattended = UnattendedSession::fromEnvironment();
    std::unique_ptr<ScriptedUser> scriptedUser;
    if (unattended)
        qputenv("QT_QPA_PLATFORM", "offscreen"); // nothing is shown in an unattended run
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The toolkit's own texts (standard buttons, file chooser, context menus) follow the desktop's
    // language; every window carries the client's icon.
    desktop::installToolkitTranslations(application, QLocale::system());
    desktop::installApplicationIcon();

    std::unique_ptr<MessageBoxes> boxes;
    if (unattended) {
        boxes = std::make_unique<UnattendedMessageBoxes>(*unattended);
        scriptedUser = std::make_unique<ScriptedUser>(*unattended);
    } else {
        boxes = std::make_unique<QtMessageBoxes>();
    }

    auto registry = Registry::fromEnvironment();
    NetworkProbe networkProbe;
    DialUp dialUp;
    ClientApp app(*registry, *boxes, CommandLine::parse(arguments), process::executablePath(), networkProbe, dialUp,
                  scriptedUser.get());
    app.setEdition(std::move(edition));
    QtStartupShell shell;
    return runStartup(app, shell);
}

} // namespace bv
