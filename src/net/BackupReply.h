#pragma once

#include <string>
#include <string_view>

namespace bv {

class MessageBoxes;

// What the backup server told the client to do when the login server could not be reached.
struct BackupReply
{
    bool recognised = false; // at least one line carried a backup keyword
    bool redirect = false;   // post the login again, to redirectAddress
    std::string redirectAddress;
    bool doNothing = false; // give up, telling the user the backup server was reached
};

// Reads a backup-server reply: BV_BACKUPMSG lines are shown as information at once,
// BV_LOGINREDIRECT names a new login address (the last one wins), BV_DONOTHING gives up.
BackupReply handleBackupReply(std::string_view reply, MessageBoxes& boxes);

} // namespace bv
