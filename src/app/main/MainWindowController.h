#pragma once

#include "app/main/InstanceRequestGate.h"
#include "app/main/MainWindowPorts.h"
#include "net/CertificateTrust.h"

#include <functional>
#include <string>
#include <vector>

namespace bv {

class CInstanceChecker;
class ClientApp;
class ContractList;
class LoginService;
class MessageBoxes;
class NetworkConnection;
class ProfileStore;
class UiDispatcher;
struct PageCommandMemory;
struct PopupProperties;
struct SessionRecord;

// What the main window works with; the application object provides it.
struct MainWindowContext
{
    SessionRecord& session;
    ContractList& contracts;
    ProfileStore& settings;
    MessageBoxes& boxes;
    NetworkConnection& connection;
    PopupProperties& popup;
    PageCommandMemory& memory; // shared by every main window of the process
    UiDispatcher& ui;          // requests of later starts reach the window through it
    // Whether a server's certificate chain (DER, its own certificate first) for a host leads to the
    // extra authority the client's requests trust.
    std::function<bool(const std::vector<std::string>& chain, const std::string& host)> certificateTrusted =
        chainTrustedByConfiguredAuthority;
};

// The context of this process's main window: the application object's values and the process-wide
// page-command memory.
MainWindowContext mainWindowContext(ClientApp& app, UiDispatcher& ui);

// The behaviour of the main window, free of any toolkit. After the login it shows the billing
// centre's web application, whose pages drive the client by setting the browser's status text to a
// page command (open the send dialog or the setup, set the popup size, write a configuration value,
// end the session, log out). It also posts request files, takes requests from later starts of the
// program, and remembers its place on the screen.
class MainWindowController
{
public:
    // `startRequest` is "REQ:<file>" (post that file after the login), "StartURL:<address>" (show that
    // page instead of the session's start page) or empty.
    MainWindowController(MainWindowView& view, MainWindowDialogs& dialogs, LoginService& login,
                         MainWindowContext context, const std::string& startRequest);
    ~MainWindowController();
    MainWindowController(const MainWindowController&) = delete;
    MainWindowController& operator=(const MainWindowController&) = delete;

    // Places the window, queues the start message, brings the window forward and publishes it for
    // later starts (when a checker is given).
    void initialise(CInstanceChecker* checker);

    // The start message: log in ("CMA", updates allowed), then post the pending request file or show
    // the first page. A failed login ends the window, after the update when one was accepted.
    void onStartMessage();

    // Posts a request file to the request address; false when the file could not be opened (the
    // message was shown then).
    bool runRequestFile(const std::string& path);

    // A page set the browser's status text.
    void onStatusTextChange(const std::string& pageUrl, const std::string& text);

    // A later start of the program handed over its request ("REQ:<file>"; empty: only come forward).
    void onInstanceRequest(const std::string& request);

    // The window menu.
    void onInfoCommand();
    void onConfigurationCommand();

    // Escape, or the close message of BV_LOGOUT: ends the window only after BV_LOGOUT.
    void onCancel();
    // The window's close command ends it.
    void onCloseCommand();

    // The window is going away: remembers its place and offers to hang up dial-up connections. Later
    // requests from other starts are no longer handled.
    void onDestroy();

    bool logoutRequested() const { return m_logoutRequested; }
    bool ended() const { return m_ended; }
    // A dialog the window started (login, send, setup, ...) is running.
    bool dialogRunning() const { return m_modalDepth > 0; }
    const std::string& pendingRequestFile() const { return m_pendingRequestFile; }
    const std::string& startAddressOverride() const { return m_startAddressOverride; }

    // The addresses whose pages may give page commands (see pageMayCommand).
    std::vector<std::string> trustedAddresses() const;

    // The browser refused the certificate of a page (DER chain, its own certificate first). It is
    // accepted only for the billing centre's own origins (as for page commands) and only when the
    // chain leads to the authority the client's requests trust, with the host name checked; so with
    // BVALS_CA_FILE the centre's pages show as the login and the upload work.
    bool acceptCertificateError(const std::string& pageUrl, const std::vector<std::string>& chain) const;

private:
    class ModalScope;

    void endWindow();
    void loginFailed();
    void openSendDialog();
    void endSession(const std::string& message);
    void restorePlacement();
    void savePlacement();

    MainWindowView& m_view;
    MainWindowDialogs& m_dialogs;
    LoginService& m_login;
    MainWindowContext m_context;
    InstanceRequestGate m_gate;
    std::string m_pendingRequestFile;
    std::string m_startAddressOverride;
    bool m_logoutRequested = false;
    bool m_ended = false;
    bool m_destroyed = false;
    int m_modalDepth = 0; // a modal dialog started by the window is running
};

} // namespace bv
