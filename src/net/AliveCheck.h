#pragma once

#include "net/InternetRequest.h"

#include <string>

namespace bv {

struct SessionRecord;

// Asks the billing centre whether the session still lives: posts "CurrentSessionId=<id>" to the
// alive address on the calling thread and waits for the reply. Alive only when the reply is exactly
// "1"; otherwise `message` says why (no session, the request's error, or the session timed out).
bool checkSessionAlive(const SessionRecord& session, const std::string& aliveUrl, const std::string& agent,
                       bool useProxy, std::string& message, const RequestRoutine& routine = runFormPost);

} // namespace bv
