#include "gui/update/UpdateDialogRunner.h"

#include "app/update/InstallerLauncher.h"
#include "app/update/UpdateWiring.h"
#include "app/update/UpdateTexts.h"
#include "gui/core/DialogTranscript.h"
#include "gui/core/QtDispatcher.h"
#include "gui/update/UpdateDialog.h"

#include <QEventLoop>
#include <QTimer>

namespace bv {

void runUpdateDialog(ClientApp& app, const std::string& updateAddress, QWidget* parent)
{
    QtDispatcher dispatcher;
    ShellInstallerLauncher launcher;
    runUpdateDialog(updateDependencies(app, dispatcher, launcher), updateAddress, parent);
}

UpdateOutcome runUpdateDialog(UpdateDependencies dependencies, const std::string& updateAddress, QWidget* parent)
{
    DialogTranscript transcript(updatetext::Caption);
    UpdateDialog dialog(std::move(dependencies), parent);
    // The download starts once the dialog's loop runs, so that its notices and an early end reach a
    // running loop.
    QTimer::singleShot(0, &dialog, [&dialog, &updateAddress] { dialog.controller().start(updateAddress); });
    if (transcript.active()) {
        dialog.controller().setAnswerSource(
            [&transcript](const std::function<bool(const std::string&)>& fits) { return transcript.takeAnswer(fits); });
        QEventLoop loop;
        QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        dialog.exec();
    }
    const UpdateOutcome outcome = dialog.controller().outcome();
    transcript.close(outcome == UpdateOutcome::Installing);
    return outcome;
}

} // namespace bv
