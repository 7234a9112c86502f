#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace bv {

class ContractList;
class MessageBoxes;
class ProfileStore;
struct SessionRecord;

// What a login reply did besides changing the session.
struct LoginReplyOutcome
{
    bool recognised = false;     // at least one line carried a keyword
    bool closeDialog = false;    // the reply ends the login dialog (locked, end client, faulty reply)
    bool updateAccepted = false; // the user accepted an offered update
};

// Works through the billing centre's answer to a login: each line's keyword opens the session,
// names the start page, lists the contracts, shows messages, changes profile values or offers an
// update. Lines after a closing keyword are still handled. A reply without a single keyword is
// faulty: the user is not logged in and is told so.
class LoginReplyHandler
{
public:
    using AppendCustomerNumber = std::function<void(const std::string&)>;

    LoginReplyHandler(SessionRecord& session, ContractList& contracts, MessageBoxes& boxes, ProfileStore& settings,
                      AppendCustomerNumber appendCustomerNumber);

    LoginReplyOutcome handle(std::string_view reply);

private:
    bool handleLine(const std::string& keyword, const std::string& value, LoginReplyOutcome& outcome);
    void offerUpdate(const std::string& value, LoginReplyOutcome& outcome);

    SessionRecord& m_session;
    ContractList& m_contracts;
    MessageBoxes& m_boxes;
    ProfileStore& m_settings;
    AppendCustomerNumber m_appendCustomerNumber;
};

} // namespace bv
