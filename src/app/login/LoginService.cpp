#include "app/login/LoginService.h"

#include "app/login/LoginDialogRunner.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/AliveCheck.h"
#include "net/NetTexts.h"
#include "net/NetworkConnection.h"
#include "net/SessionRecord.h"
#include "config/ProfileStore.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

namespace bv {

LoginService::LoginService(SessionRecord& session, ContractList& contracts, ProfileStore& settings, MessageBoxes& boxes,
                           NetworkConnection& connection, LoginDialogRunner& dialog, std::string agent, bool useProxy)
    : m_session(session), m_contracts(contracts), m_settings(settings), m_boxes(boxes), m_connection(connection),
      m_dialog(dialog), m_agent(std::move(agent)), m_useProxy(useProxy)
{}

bool LoginService::logIn(const std::string& loginContext, bool updatesAllowed)
{
    if (!m_session.sessionId.empty())
        return m_session.loggedIn;
    if (!m_connection.goOnline()) {
        m_boxes.show(strFormat(nettext::CannotGoOnline, CompanyWord), nettext::Caption, MbIcon::Error);
        return false;
    }
    m_session.loginAddress = m_settings.read(profilekey::LoginURL);
    m_session.loginContext = loginContext;
    m_session.updatesAllowed = updatesAllowed;
    m_session.loggedIn = false;
    m_session.cancelled = false;
    m_session.lockedOut = false;

    const LoginDialogResult result = m_dialog.runLoginDialog();
    m_session.cancelled = result == LoginDialogResult::Cancelled;
    // A refused login leaves no session behind: an id from a reply that later refused (an error
    // line after the id) would otherwise answer every further login with "not logged in".
    if (!m_session.loggedIn)
        m_session.sessionId.clear();
    return m_session.loggedIn;
}

bool LoginService::checkSession(std::string& message)
{
    const std::string aliveUrl = m_settings.read(profilekey::AliveURL);
    return checkSessionAlive(m_session, aliveUrl, m_agent, m_useProxy, message, m_routine);
}

void LoginService::logOut()
{
    m_session.logOut();
}

const std::string& LoginService::updateAddress() const
{
    return m_session.updateAddress;
}

bool LoginService::lockedOut() const
{
    return m_session.lockedOut;
}

bool LoginService::cancelled() const
{
    return m_session.cancelled;
}

} // namespace bv
