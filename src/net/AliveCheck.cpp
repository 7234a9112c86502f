#include "net/AliveCheck.h"

#include "net/NetTexts.h"
#include "net/SessionRecord.h"
#include "platform/Text.h"

namespace bv {

bool checkSessionAlive(const SessionRecord& session, const std::string& aliveUrl, const std::string& agent,
                       bool useProxy, std::string& message, const RequestRoutine& routine)
{
    message.clear();
    if (session.sessionId.empty()) {
        message = nettext::NoValidSession;
        return false;
    }
    InternetRequest request;
    request.address = aliveUrl;
    request.agent = agent;
    request.useProxy = useProxy;
    // The id goes as it is: the billing centre issued it and it needs no escaping.
    request.formBody = "CurrentSessionId=" + session.sessionId;
    routine(request);
    if (request.errorCode != 0) {
        message = request.errorText.empty() ? strFormat(nettext::ErrorNumber, request.errorCode) : request.errorText;
        return false;
    }
    if (request.reply != "1") {
        message = nettext::SessionTimedOut;
        return false;
    }
    return true;
}

} // namespace bv
