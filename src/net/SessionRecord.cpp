#include "net/SessionRecord.h"

namespace bv {

void SessionRecord::logOut()
{
    loggedIn = false;
    sendTestAllowed = false;
    sessionId.clear();
    loginAddress.clear();
    startAddress.clear();
    updateAddress.clear();
    updatesAllowed = true;
}

} // namespace bv
