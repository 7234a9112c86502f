#pragma once

#include "app/update/UpdateView.h"
#include "net/InternetRequest.h"
#include "platform/Event.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace bv {

class InstallerLauncher;
class MessageBoxes;
class ProfileStore;
class UiDispatcher;

// What the update dialog works with; the application object provides it.
struct UpdateDependencies
{
    UpdateDependencies(MessageBoxes& boxes_, ProfileStore& settings_, UiDispatcher& dispatcher_,
                       InstallerLauncher& launcher_)
        : boxes(boxes_), settings(settings_), dispatcher(dispatcher_), launcher(launcher_)
    {}

    MessageBoxes& boxes;
    ProfileStore& settings;   // General AutoUpdateFile
    UiDispatcher& dispatcher; // the download reports progress and completion through it
    InstallerLauncher& launcher;
    std::function<void(bool ask)> hangUp; // hangs dial-up connections up, asking the user or not
    std::string temporaryDirectory;       // ends in "/"
    std::string agent;                    // the program title
    bool useProxy = false;
    RequestRoutine routine = runDownload;
    std::chrono::milliseconds connectTimeout{60000};
    std::chrono::milliseconds idleTimeout{60000};
};

// How the update dialog ended.
enum class UpdateOutcome
{
    Running,    // the download has not ended yet
    Installing, // downloaded, accepted and the installer was handed to the desktop
    Declined,   // downloaded, but the user did not want to install now
    Failed,     // the download failed
    Cancelled   // the user cancelled the download
};

// The update dialog's behaviour: downloads the installer announced at login into the temporary
// directory on a worker thread, asks whether to install it and starts it. A download that fails,
// is cancelled or declined leaves no installer behind.
class UpdateController
{
public:
    UpdateController(UpdateView& view, UpdateDependencies dependencies);
    ~UpdateController();
    UpdateController(const UpdateController&) = delete;
    UpdateController& operator=(const UpdateController&) = delete;

    // Temporary directory + "bv_setup.exe".
    static std::string installerFile(const std::string& temporaryDirectory);
    const std::string& installerFile() const { return m_installerFile; }

    // When the dialog opens: starts the download. A second start while one runs is ignored.
    void start(const std::string& updateAddress);
    // The Cancel button: stops a running download and waits until it has stopped.
    void cancel();

    bool downloading() const { return m_downloading; }
    UpdateOutcome outcome() const { return m_outcome; }

private:
    void progressReported(int percent);
    void downloadCompleted();
    void install();
    void finish(UpdateOutcome outcome);
    void joinWorker();

    UpdateView& m_view;
    UpdateDependencies m_deps;
    std::string m_installerFile;
    bool m_downloading = false;
    UpdateOutcome m_outcome = UpdateOutcome::Running;
    // The download's handshakes: start (initially set), finish, cancel and stopped.
    Event m_startEvent{Event::Reset::Auto, true};
    Event m_finishEvent{Event::Reset::Auto, false};
    Event m_cancelEvent{Event::Reset::Auto, false};
    Event m_stoppedEvent{Event::Reset::Auto, false};
    InternetRequest m_request;
    std::thread m_worker;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0); // notices check it after the dialog is gone
};

} // namespace bv
