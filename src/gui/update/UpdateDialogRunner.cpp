#include "gui/update/UpdateDialogRunner.h"

#include "app/core/ClientApp.h"
#include "app/unattended/UpdateTranscript.h"
#include "app/update/InstallerLauncher.h"
#include "app/update/UpdateWiring.h"
#include "app/update/UpdateTexts.h"
#include "gui/core/DialogLoop.h"
#include "gui/core/QtDispatcher.h"
#include "gui/update/UpdateDialog.h"

#include <QTimer>

#include <optional>

namespace bv {

void runUpdateDialog(ClientApp& app, const std::string& updateAddress, QWidget* parent)
{
    QtDispatcher dispatcher;
    ShellInstallerLauncher launcher;
    runUpdateDialog(updateDependencies(app, dispatcher, launcher), updateAddress, parent, app.scriptedUser());
}

UpdateOutcome runUpdateDialog(UpdateDependencies dependencies, const std::string& updateAddress, QWidget* parent,
                              ScriptedUser* scriptedUser)
{
    std::optional<UpdateTranscript> transcript;
    ViewDecoration<UpdateView> decoration;
    if (scriptedUser) {
        transcript.emplace(*scriptedUser, updatetext::Caption);
        decoration = [&transcript](UpdateView& window) -> UpdateView& { return transcript->wrap(window); };
    }
    UpdateDialog dialog(std::move(dependencies), parent, decoration);
    if (transcript)
        transcript->attach(dialog.controller());
    // The download starts once the dialog's loop runs, so that its notices and an early end reach a
    // running loop.
    QTimer::singleShot(0, &dialog, [&dialog, &updateAddress] { dialog.controller().start(updateAddress); });
    runDialogLoop(dialog, transcript.has_value());
    return dialog.controller().outcome();
}

} // namespace bv
