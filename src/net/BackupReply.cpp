#include "net/BackupReply.h"

#include "net/NetTexts.h"
#include "net/ReplyLines.h"
#include "platform/MessageBoxes.h"

namespace bv {

BackupReply handleBackupReply(std::string_view reply, MessageBoxes& boxes)
{
    BackupReply result;
    for (const ReplyLine& line : splitReplyLines(reply)) {
        if (line.keyword == "BV_BACKUPMSG") {
            boxes.show(messageText(line.value), nettext::Caption, MbIcon::Information);
        } else if (line.keyword == "BV_LOGINREDIRECT") {
            result.redirect = true;
            result.redirectAddress = line.value;
        } else if (line.keyword == "BV_DONOTHING") {
            result.doNothing = true;
        } else {
            continue;
        }
        result.recognised = true;
    }
    return result;
}

} // namespace bv
