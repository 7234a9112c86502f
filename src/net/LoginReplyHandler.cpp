#include "net/LoginReplyHandler.h"

#include "net/ContractList.h"
#include "net/NetTexts.h"
#include "net/RemoteWrite.h"
#include "net/ReplyLines.h"
#include "net/SessionRecord.h"
#include "platform/MessageBoxes.h"

namespace bv {

LoginReplyHandler::LoginReplyHandler(SessionRecord& session, ContractList& contracts, MessageBoxes& boxes,
                                     ProfileStore& settings, AppendCustomerNumber appendCustomerNumber)
    : m_session(session), m_contracts(contracts), m_boxes(boxes), m_settings(settings),
      m_appendCustomerNumber(std::move(appendCustomerNumber))
{}

LoginReplyOutcome LoginReplyHandler::handle(std::string_view reply)
{
    LoginReplyOutcome outcome;
    for (const ReplyLine& line : splitReplyLines(reply)) {
        if (handleLine(line.keyword, line.value, outcome))
            outcome.recognised = true;
    }
    if (!outcome.recognised) {
        m_session.loggedIn = false;
        m_boxes.show(nettext::FaultyReply, nettext::Caption, MbIcon::Error);
        outcome.closeDialog = true;
    }
    return outcome;
}

// Keywords are compared exactly and case-sensitively, in the order of the billing centre's table.
bool LoginReplyHandler::handleLine(const std::string& keyword, const std::string& value, LoginReplyOutcome& outcome)
{
    if (keyword == "SESSIONID") {
        m_session.loggedIn = true;
        m_session.sessionId = value;
    } else if (keyword == "STARTURL") {
        m_session.startAddress = value;
    } else if (keyword == "LOGINNOTOK") {
        m_boxes.show(messageText(value), nettext::Caption, MbIcon::Information);
    } else if (keyword == "ALLOWSENDTEST") {
        m_session.sendTestAllowed = true;
    } else if (keyword == "REG") {
        applyRemoteWrite(m_settings, m_boxes, value, RemoteWriteKind::String);
    } else if (keyword == "REG_INT") {
        applyRemoteWrite(m_settings, m_boxes, value, RemoteWriteKind::Integer);
    } else if (keyword == "REG_CREATE") {
        applyRemoteWrite(m_settings, m_boxes, value, RemoteWriteKind::CreateString);
    } else if (keyword == "REG_CREATE_INT") {
        applyRemoteWrite(m_settings, m_boxes, value, RemoteWriteKind::CreateInteger);
    } else if (keyword == "VERTLIST") {
        m_contracts.replaceFrom(value, m_appendCustomerNumber);
    } else if (keyword == "MSG/INFO") {
        m_boxes.show(messageText(value), nettext::Caption, MbIcon::Information);
    } else if (keyword == "MSG/WARNING") {
        m_boxes.show(messageText(value), nettext::Caption, MbIcon::Warning);
    } else if (keyword == "MSG/ERROR") {
        m_boxes.show(messageText(value), nettext::Caption, MbIcon::Error);
        m_session.loggedIn = false;
    } else if (keyword == "BV_LOCKED") {
        m_session.loggedIn = false;
        m_boxes.show(messageText(value), nettext::Caption, MbIcon::Warning);
        outcome.closeDialog = true;
    } else if (keyword == "ENDCLIENT") {
        m_session.loggedIn = false;
        outcome.closeDialog = true;
    } else if (keyword == "AUTOUPDATE") {
        if (m_session.updatesAllowed)
            offerUpdate(value, outcome);
    } else {
        return false;
    }
    return true;
}

// "AUTOUPDATE: <installer address> <question>": the question is optional.
void LoginReplyHandler::offerUpdate(const std::string& value, LoginReplyOutcome& outcome)
{
    const std::size_t blank = value.find(' ');
    const std::string address = value.substr(0, blank);
    const std::string question =
        blank == std::string::npos ? std::string(nettext::DefaultUpdateQuestion) : messageText(value.substr(blank + 1));
    if (m_boxes.show(question, nettext::Caption, MbIcon::Question, MbButtons::YesNo) != MbResult::Yes)
        return;
    m_session.loggedIn = false;
    m_session.updateAddress = address;
    outcome.updateAccepted = true;
}

} // namespace bv
