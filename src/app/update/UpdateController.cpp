#include "app/update/UpdateController.h"

#include "app/update/InstallerLauncher.h"
#include "app/update/UpdateTexts.h"
#include "config/Profile.h"
#include "config/ProfileStore.h"
#include "platform/Dispatcher.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

namespace bv {

UpdateController::UpdateController(UpdateView& view, UpdateDependencies dependencies)
    : m_view(view), m_deps(std::move(dependencies)), m_installerFile(installerFile(m_deps.temporaryDirectory))
{}

UpdateController::~UpdateController()
{
    // A dialog torn down while downloading stops the download first: the worker writes into the
    // request record that dies with the controller.
    if (m_worker.joinable()) {
        m_cancelEvent.set();
        m_worker.join();
    }
}

std::string UpdateController::installerFile(const std::string& temporaryDirectory)
{
    return temporaryDirectory + updatetext::InstallerName;
}

void UpdateController::start(const std::string& updateAddress)
{
    if (m_downloading || m_outcome != UpdateOutcome::Running)
        return;
    m_request = InternetRequest{};
    m_request.address = updateAddress;
    m_request.targetFile = m_installerFile;
    m_request.agent = m_deps.agent;
    m_request.useProxy = m_deps.useProxy;
    m_request.connectTimeout = m_deps.connectTimeout;
    m_request.idleTimeout = m_deps.idleTimeout;
    std::weak_ptr<int> alive = m_alive;
    m_request.progressWindow = &m_deps.dispatcher;
    m_request.onProgress = [this, alive](int percent) {
        if (alive.lock())
            progressReported(percent);
    };
    m_request.notifyWindow = &m_deps.dispatcher;
    m_request.onCompleted = [this, alive] {
        if (alive.lock())
            downloadCompleted();
    };
    m_request.startEvent = &m_startEvent;
    m_request.finishEvent = &m_finishEvent;
    m_request.cancelEvent = &m_cancelEvent;
    m_request.stoppedEvent = &m_stoppedEvent;
    m_startEvent.set();
    m_finishEvent.reset();
    m_cancelEvent.reset();
    m_stoppedEvent.reset();

    m_downloading = true;
    m_worker = std::thread([this] { m_deps.routine(m_request); });
}

void UpdateController::cancel()
{
    if (!m_downloading)
        return;
    m_cancelEvent.set();
    // The download stops at its next look at the cancel event and sets the stopped event. Joining
    // the worker waits for exactly that, and also returns when the download had already ended just
    // before the click, which would never set the stopped event.
    joinWorker();
    m_stoppedEvent.reset();
    m_cancelEvent.reset();
    m_deps.boxes.show(updatetext::Interrupted, updatetext::Caption, MbIcon::Error);
    files::removeFile(m_installerFile);
    finish(UpdateOutcome::Cancelled);
}

void UpdateController::progressReported(int percent)
{
    if (!m_downloading)
        return;
    m_view.setProgress(percent);
}

void UpdateController::downloadCompleted()
{
    if (!m_downloading)
        return; // cancelled meanwhile: the completion notice was already on its way
    joinWorker();

    if (m_request.errorCode != 0) {
        const std::string text = m_request.errorText.empty()
                                     ? strFormat(updatetext::DownloadErrorNumber, m_request.errorCode)
                                     : strFormat(updatetext::DownloadError, m_request.errorText.c_str());
        m_deps.boxes.show(text, updatetext::Caption, MbIcon::Error);
        files::removeFile(m_installerFile);
        m_outcome = UpdateOutcome::Failed;
    } else if (m_deps.boxes.show(updatetext::InstallQuestion, updatetext::Caption, MbIcon::Question,
                                 MbButtons::YesNo) == MbResult::Yes) {
        install();
        m_outcome = UpdateOutcome::Installing;
    } else {
        files::removeFile(m_installerFile);
        m_outcome = UpdateOutcome::Declined;
    }
    if (m_deps.hangUp)
        m_deps.hangUp(true);
    finish(m_outcome);
}

// The installer replaces the client, which ends after this dialog. The next start deletes the
// installer once it has reported its success in the profile.
void UpdateController::install()
{
    if (m_deps.hangUp)
        m_deps.hangUp(false);
    m_deps.settings.write(profilekey::AutoUpdateFile, m_installerFile);
    // The desktop's own failure report when a file cannot be opened.
    if (const SystemError error = m_deps.launcher.openInstaller(m_installerFile))
        m_deps.boxes.show(error.text, updatetext::Caption, MbIcon::Error);
}

void UpdateController::finish(UpdateOutcome outcome)
{
    m_outcome = outcome;
    m_view.closeDialog();
}

void UpdateController::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
    m_downloading = false;
}

} // namespace bv
