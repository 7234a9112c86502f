#include "app/login/LoginController.h"

#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/BackupReply.h"
#include "net/ContractList.h"
#include "net/LoginReplyHandler.h"
#include "net/NetTexts.h"
#include "net/SessionRecord.h"
#include "config/ProfileStore.h"
#include "platform/Dispatcher.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

namespace bv {

LoginController::LoginController(LoginView& view, LoginDependencies dependencies)
    : m_view(view), m_deps(std::move(dependencies))
{
    // Built once per dialog: the context is that of the login that opened it.
    m_parameters = buildLoginParameters(m_deps.environment, m_deps.session.loginContext, m_deps.settings);
}

LoginController::~LoginController()
{
    if (m_worker.joinable())
        m_worker.join();
}

std::string LoginController::title(const std::string& configurationName)
{
    return std::string(CompanyWord) + " " + configurationName;
}

void LoginController::start()
{
    const std::string lastUser = m_deps.settings.read(profilekey::LastUser);
    m_view.setUserName(lastUser);
    m_view.setPassword("");
    if (lastUser.empty())
        m_view.focusUserName();
    else
        m_view.focusPassword();
    waitForUser();
}

void LoginController::ok()
{
    if (m_busy || m_finished)
        return;
    ++m_attempts;
    m_user = m_view.userName();
    m_password = m_view.password();
    if (m_user.empty() || m_password.empty()) {
        m_deps.boxes.show(nettext::EnterUserAndPassword, nettext::Caption, MbIcon::None);
        waitForUser();
        return;
    }
    startRequest();
}

void LoginController::cancel()
{
    if (m_busy || m_finished)
        return;
    m_deps.session.loggedIn = false;
    finish(LoginDialogResult::Cancelled);
}

void LoginController::startRequest()
{
    m_request = InternetRequest{};
    m_request.address = m_deps.session.loginAddress;
    m_request.agent = m_deps.agent;
    m_request.useProxy = m_deps.useProxy;
    m_request.formBody = buildLoginBody(m_user, m_password, m_parameters);
    m_request.connectTimeout = m_deps.connectTimeout;
    m_request.idleTimeout = m_deps.idleTimeout;
    m_request.notifyWindow = &m_deps.dispatcher;
    std::weak_ptr<int> alive = m_alive;
    m_request.onCompleted = [this, alive] {
        if (alive.lock())
            requestCompleted();
    };
    m_view.setButtonsEnabled(false);
    m_busy = true;
    if (m_worker.joinable())
        m_worker.join();
    m_worker = std::thread([this] { m_deps.routine(m_request); });
}

void LoginController::requestCompleted()
{
    // The worker posted this as its last act; it has ended or is about to.
    if (m_worker.joinable())
        m_worker.join();
    m_busy = false;
    m_view.setButtonsEnabled(true);

    if (m_request.errorCode == 0) {
        replyReceived();
    } else if (m_request.errorCode == 2) {
        fail(nettext::LoginOffline);
    } else if (m_deps.settings.read(profilekey::UseBackupURL) != "1" || m_redirectFollowed) {
        fail(m_request.errorText.empty() ? strFormat(nettext::ErrorNumber, m_request.errorCode) : m_request.errorText);
    } else {
        runBackupProcedure();
    }
}

void LoginController::replyReceived()
{
    LoginReplyHandler handler(m_deps.session, m_deps.contracts, m_deps.boxes, m_deps.settings,
                              m_deps.appendCustomerNumber);
    const LoginReplyOutcome outcome = handler.handle(m_request.reply);
    if (m_deps.session.loggedIn || outcome.updateAccepted) {
        m_deps.settings.write(profilekey::LastUser, m_user);
        m_deps.settings.write(profilekey::LoginSuccess, "1");
        finish(LoginDialogResult::LoggedIn);
        return;
    }
    // Refused. The third refusal locks the user out; the reply may also have ended the dialog.
    if (m_attempts >= MaxAttempts) {
        m_deps.session.lockedOut = true;
        finish(LoginDialogResult::Failed);
        return;
    }
    if (outcome.closeDialog) {
        finish(LoginDialogResult::Failed);
        return;
    }
    m_view.setPassword("");
    m_view.focusPassword();
    waitForUser();
}

// The login server could not be reached: the backup server, asked on this thread, either redirects
// the login (once per dialog), tells the client to give up, or only shows its messages.
void LoginController::runBackupProcedure()
{
    InternetRequest backup;
    backup.address = m_deps.settings.read(profilekey::LoginBackupURL);
    backup.agent = m_deps.agent;
    backup.useProxy = m_deps.useProxy;
    backup.connectTimeout = m_deps.connectTimeout;
    backup.idleTimeout = m_deps.idleTimeout;
    m_deps.routine(backup);
    if (backup.errorCode != 0) {
        const std::string text =
            backup.errorText.empty() ? strFormat(nettext::ErrorNumber, backup.errorCode) : backup.errorText;
        fail(nettext::BackupErrorPrefix + text);
        return;
    }
    const BackupReply reply = handleBackupReply(backup.reply, m_deps.boxes);
    if (!reply.recognised) {
        fail(nettext::FaultyBackupReply);
        return;
    }
    if (reply.redirect) {
        m_deps.session.loginAddress = reply.redirectAddress;
        m_redirectFollowed = true;
        startRequest();
        return;
    }
    if (reply.doNothing) {
        fail(m_request.errorText.empty() ? strFormat(nettext::BackupReachedNumber, m_request.errorCode)
                                         : strFormat(nettext::BackupReached, m_request.errorText.c_str()));
        return;
    }
    waitForUser();
}

void LoginController::waitForUser()
{
    if (!m_finished)
        m_view.awaitUser();
}

void LoginController::fail(const std::string& message)
{
    m_deps.session.loggedIn = false;
    m_deps.boxes.show(message, nettext::Caption, MbIcon::Error);
    finish(LoginDialogResult::Failed);
}

void LoginController::finish(LoginDialogResult result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_view.closeDialog(result);
}

} // namespace bv
