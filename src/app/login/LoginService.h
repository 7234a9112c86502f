#pragma once

#include "net/InternetRequest.h"

#include <string>

namespace bv {

class ContractList;
class LoginDialogRunner;
class MessageBoxes;
class NetworkConnection;
class ProfileStore;
struct SessionRecord;

// The session operations the main window, the send dialog and the auto-update call: log in
// (through the modal login dialog), check that the session is alive, log out.
class LoginService
{
public:
    LoginService(SessionRecord& session, ContractList& contracts, ProfileStore& settings, MessageBoxes& boxes,
                 NetworkConnection& connection, LoginDialogRunner& dialog, std::string agent, bool useProxy);

    // Logs in with the context "CMA" (main window, updates allowed) or "CSE" (send dialog, no
    // updates). An existing session answers at once. Returns whether the user is logged in.
    bool logIn(const std::string& loginContext, bool updatesAllowed);

    // Asks the billing centre whether the session lives; `message` is for the caller to show.
    bool checkSession(std::string& message);

    void logOut();

    const SessionRecord& session() const { return m_session; }
    const ContractList& contracts() const { return m_contracts; }
    ContractList& contracts() { return m_contracts; }
    // The installer address the user accepted at the last login; empty when none.
    const std::string& updateAddress() const;
    bool lockedOut() const;
    bool cancelled() const;

    void setRequestRoutine(RequestRoutine routine) { m_routine = std::move(routine); }

private:
    SessionRecord& m_session;
    ContractList& m_contracts;
    ProfileStore& m_settings;
    MessageBoxes& m_boxes;
    NetworkConnection& m_connection;
    LoginDialogRunner& m_dialog;
    std::string m_agent;
    bool m_useProxy;
    RequestRoutine m_routine = runFormPost;
};

} // namespace bv
