#include "app/main/MainWindowController.h"

#include "app/core/CInstanceChecker.h"
#include "app/core/ClientApp.h"
#include "app/login/LoginService.h"
#include "app/login/LoginTexts.h"
#include "app/main/MainWindowTexts.h"
#include "app/main/PageCommand.h"
#include "app/main/PageOrigin.h"
#include "app/main/RequestFile.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/ContractList.h"
#include "net/NetTexts.h"
#include "net/NetworkConnection.h"
#include "net/RemoteWrite.h"
#include "net/ReplyLines.h"
#include "net/SessionRecord.h"
#include "config/ProfileStore.h"
#include "net/UrlEscape.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <chrono>
#include <utility>

namespace bv {

namespace {

// How long a request of another start waits for a window of the client to become active.
constexpr std::chrono::milliseconds ActiveWindowWait{500};

} // namespace

// Marks that a modal dialog started by the window runs; page commands that would open a second
// dialog on top of it are not obeyed meanwhile.
class MainWindowController::ModalScope
{
public:
    explicit ModalScope(MainWindowController& owner) : m_owner(owner) { ++m_owner.m_modalDepth; }
    ~ModalScope() { --m_owner.m_modalDepth; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    MainWindowController& m_owner;
};

MainWindowContext mainWindowContext(ClientApp& app, UiDispatcher& ui)
{
    return {app.session(),
            app.contracts(),
            app.profile(),
            app.boxes(),
            app.connection(),
            app.popup(),
            processPageCommandMemory(),
            ui};
}

MainWindowController::MainWindowController(MainWindowView& view, MainWindowDialogs& dialogs, LoginService& login,
                                           MainWindowContext context, const std::string& startRequest)
    : m_view(view), m_dialogs(dialogs), m_login(login), m_context(context),
      m_gate(context.ui, [this](const std::string& request) { onInstanceRequest(request); })
{
    const StartRequest request = splitStartRequest(startRequest);
    if (request.command == pagecommand::StartUrl)
        m_startAddressOverride = request.value;
    else if (request.command == pagecommand::Request)
        m_pendingRequestFile = request.value;
}

MainWindowController::~MainWindowController()
{
    m_gate.close();
}

void MainWindowController::initialise(CInstanceChecker* checker)
{
    restorePlacement();
    m_view.postStartMessage();
    m_view.bringToFront();
    if (checker)
        checker->TrackFirstInstanceRunning(m_gate.dispatch());
}

void MainWindowController::onStartMessage()
{
    if (m_ended)
        return;
    bool loggedIn = false;
    {
        ModalScope modal(*this);
        loggedIn = m_login.logIn(nettext::ContextMainWindow, true);
    }
    if (!loggedIn) {
        loginFailed();
        return;
    }
    if (!m_pendingRequestFile.empty()) {
        const std::string path = std::exchange(m_pendingRequestFile, {});
        if (runRequestFile(path))
            return;
    }
    if (!m_startAddressOverride.empty())
        m_view.navigate(std::exchange(m_startAddressOverride, {}));
    else
        m_view.navigate(m_context.session.startAddress);
}

void MainWindowController::loginFailed()
{
    const SessionRecord& session = m_context.session;
    if (!session.updateAddress.empty()) {
        {
            ModalScope modal(*this);
            m_dialogs.runUpdate(session.updateAddress);
        }
        endWindow();
        return;
    }
    if (session.lockedOut) {
        const std::string phone = m_context.settings.read(profilekey::ServicelineTel);
        m_context.boxes.show(strFormat(logintext::LockedOutFormat, phone.c_str()), mainwindowtext::Caption,
                             MbIcon::Error);
    } else if (!session.cancelled) {
        m_context.boxes.show(logintext::NotConnected, mainwindowtext::Caption, MbIcon::Error);
    }
    endWindow();
}

bool MainWindowController::runRequestFile(const std::string& path)
{
    const RequestFile file = readRequestFile(path);
    if (!file.opened) {
        m_context.boxes.show(strFormat(mainwindowtext::RequestOpenFailed, path.c_str(), file.cause),
                             mainwindowtext::Caption, MbIcon::Error);
        return false;
    }
    const std::string requestUrl = m_context.settings.read(profilekey::RequestURL);
    const std::string address = strFormat(mainwindowtext::RequestAddressFormat, requestUrl.c_str(),
                                          urlEscape(m_context.contracts.selectedNumber()).c_str(),
                                          m_context.session.sessionId.c_str(), urlEscape(path).c_str());
    m_view.navigatePost(address, file.postData);
    return true;
}

std::vector<std::string> MainWindowController::trustedAddresses() const
{
    std::vector<std::string> addresses{
        m_context.settings.read(profilekey::LoginURL),
        m_context.session.loginAddress,
        m_context.session.startAddress,
        m_context.settings.read(profilekey::RequestURL),
        m_context.settings.read(profilekey::URL),
    };
    std::erase_if(addresses, [](const std::string& address) { return address.empty(); });
    return addresses;
}

bool MainWindowController::acceptCertificateError(const std::string& pageUrl,
                                                  const std::vector<std::string>& chain) const
{
    const auto origin = pageOrigin(pageUrl);
    if (!origin || origin->scheme != "https" || !pageMayCommand(pageUrl, trustedAddresses()))
        return false;
    return m_context.certificateTrusted && m_context.certificateTrusted(chain, origin->host);
}

void MainWindowController::onStatusTextChange(const std::string& pageUrl, const std::string& text)
{
    PageCommandMemory& memory = m_context.memory;
    if (m_ended || text == memory.lastHandledText)
        return;
    if (!pageMayCommand(pageUrl, trustedAddresses()))
        return;
    const StatusCommand command = splitStatusText(text);
    const bool commandOpensDialog =
        isPageCommand(text) && (command.keyword == pagecommand::SendDialog || command.keyword == pagecommand::Config);
    // A script of the page behind a running dialog could otherwise open a second send dialog on the
    // same spool directory. Not remembered, so the page can give the command again afterwards.
    if (commandOpensDialog && m_modalDepth > 0)
        return;
    memory.lastHandledText = text;
    if (!isPageCommand(text))
        return;

    if (command.keyword == pagecommand::SendDialog) {
        openSendDialog();
    } else if (command.keyword == pagecommand::Config) {
        ModalScope modal(*this);
        m_dialogs.runSetupDialog();
    } else if (command.keyword == pagecommand::PopupProperties) {
        applyPopupProperties(command.value, m_context.popup);
    } else if (command.keyword == pagecommand::RemoteWrite) {
        applyRemoteWrite(m_context.settings, m_context.boxes, command.value, RemoteWriteKind::String);
    } else if (command.keyword == pagecommand::SessionEnd) {
        endSession(command.value);
    } else if (command.keyword == pagecommand::Logout) {
        m_logoutRequested = true;
        m_view.postCancel();
    }
}

void MainWindowController::openSendDialog()
{
    ModalScope modal(*this);
    if (m_context.session.sendTestAllowed &&
        m_context.boxes.show(mainwindowtext::SendTestQuestion, mainwindowtext::Caption, MbIcon::Question,
                             MbButtons::YesNo) == MbResult::Yes) {
        m_dialogs.runTestFileDialog();
        return;
    }
    const std::string nextPage = m_dialogs.runSendDialog();
    if (!nextPage.empty())
        m_view.navigate(nextPage);
    // The send dialog ends the session when the billing centre reports it expired: log in again.
    if (!m_context.session.loggedIn) {
        m_view.navigate(mainwindowtext::BlankPage);
        m_view.postStartMessage();
    }
}

void MainWindowController::endSession(const std::string& message)
{
    SessionRecord& session = m_context.session;
    if (!session.loggedIn || session.sessionId == m_context.memory.lastEndedSessionId)
        return;
    m_view.navigate(mainwindowtext::BlankPage);
    m_context.memory.lastEndedSessionId = session.sessionId;
    m_context.boxes.show(messageText(message), mainwindowtext::Caption, MbIcon::Information);
    m_login.logOut();
    m_view.postStartMessage();
}

void MainWindowController::onInstanceRequest(const std::string& request)
{
    if (m_ended)
        return;
    m_view.bringToFront();
    if (request.empty())
        return;
    ActiveWindow active = m_view.activeWindow();
    if (active == ActiveWindow::None)
        active = m_view.waitForActiveWindow(ActiveWindowWait);
    if (active == ActiveWindow::None) {
        m_context.boxes.show(mainwindowtext::InstanceBusy, mainwindowtext::Caption, MbIcon::Warning);
        return;
    }
    const StartRequest handed = splitStartRequest(request);
    if (handed.command != pagecommand::Request)
        return;
    if (active == ActiveWindow::Main) {
        runRequestFile(handed.value);
    } else {
        m_context.boxes.show(mainwindowtext::InstanceCovered, mainwindowtext::Caption, MbIcon::Warning);
        m_view.activateOpenWindow();
    }
}

void MainWindowController::onInfoCommand()
{
    ModalScope modal(*this);
    m_dialogs.showInfo();
}

void MainWindowController::onConfigurationCommand()
{
    ModalScope modal(*this);
    m_dialogs.runSetupDialog();
}

void MainWindowController::onCancel()
{
    if (m_logoutRequested)
        endWindow();
}

void MainWindowController::onCloseCommand()
{
    endWindow();
}

void MainWindowController::endWindow()
{
    if (m_ended)
        return;
    m_ended = true;
    m_view.endWindow();
}

void MainWindowController::onDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_ended = true;
    m_gate.close();
    savePlacement();
    m_context.connection.hangUp(true);
}

void MainWindowController::restorePlacement()
{
    ProfileStore& settings = m_context.settings;
    const WindowPlacement placement =
        placeMainWindow(settings.readInt(profilekey::x), settings.readInt(profilekey::y),
                        settings.readInt(profilekey::cx), settings.readInt(profilekey::cy), m_view.workArea());
    m_view.placeWindow(placement);
}

void MainWindowController::savePlacement()
{
    ProfileStore& settings = m_context.settings;
    const ScreenRect rect = m_view.windowRect();
    settings.writeInt(profilekey::x, rect.left);
    settings.writeInt(profilekey::y, rect.top);
    settings.writeInt(profilekey::cx, rect.right - rect.left);
    settings.writeInt(profilekey::cy, rect.bottom - rect.top);
}

} // namespace bv
