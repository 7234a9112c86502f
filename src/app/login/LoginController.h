#pragma once

#include "app/login/LoginView.h"
#include "net/InternetRequest.h"
#include "net/LoginParameters.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace bv {

class ContractList;
class MessageBoxes;
class ProfileStore;
class UiDispatcher;
struct SessionRecord;

// What the login dialog works with; the application object provides it.
struct LoginDependencies
{
    LoginDependencies(SessionRecord& session_, ContractList& contracts_, ProfileStore& settings_, MessageBoxes& boxes_,
                      UiDispatcher& dispatcher_)
        : session(session_), contracts(contracts_), settings(settings_), boxes(boxes_), dispatcher(dispatcher_)
    {}

    SessionRecord& session;
    ContractList& contracts;
    ProfileStore& settings;
    MessageBoxes& boxes;
    UiDispatcher& dispatcher; // the login request reports its completion through it
    LoginEnvironment environment;
    std::string agent; // the program title
    bool useProxy = false;
    std::function<void(const std::string&)> appendCustomerNumber;
    RequestRoutine routine = runFormPost;
    // Time-outs of the login and backup requests (shorter in tests).
    std::chrono::milliseconds connectTimeout{60000};
    std::chrono::milliseconds idleTimeout{60000};
};

// The login dialog's behaviour. OK posts the credentials to the login address on a worker thread
// with OK and Cancel disabled; the reply opens the session, refuses (three refused attempts end the
// dialog), or ends the dialog. When the login server cannot be reached, the backup server may
// redirect the login once or tell the client to give up.
class LoginController
{
public:
    static constexpr int MaxAttempts = 3;

    LoginController(LoginView& view, LoginDependencies dependencies);
    ~LoginController();
    LoginController(const LoginController&) = delete;
    LoginController& operator=(const LoginController&) = delete;

    // The dialog's title: "brevalis", a blank and the configuration name.
    static std::string title(const std::string& configurationName);

    // When the dialog opens: the last user, the focus, then the dialog waits for the user.
    void start();
    void ok();
    void cancel();

    bool busy() const { return m_busy; }
    int attempts() const { return m_attempts; }
    bool finished() const { return m_finished; }
    const std::string& loginParameters() const { return m_parameters; }

private:
    void startRequest();
    void requestCompleted();
    void replyReceived();
    void runBackupProcedure();
    void waitForUser();
    void fail(const std::string& message);
    void finish(LoginDialogResult result);

    LoginView& m_view;
    LoginDependencies m_deps;
    std::string m_parameters;
    int m_attempts = 0;
    bool m_busy = false;
    bool m_finished = false;
    bool m_redirectFollowed = false;
    std::string m_user;
    std::string m_password;
    InternetRequest m_request;
    std::thread m_worker;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0); // completions check it after the dialog is gone
};

} // namespace bv
