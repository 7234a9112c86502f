// The billing centre's answer to an upload: the keyword parsers never crash, and what they give back
// is always a piece of the answer itself. The confirmation's message is one line, and a message as
// shown only turns backslash-n pairs into line breaks.
#include "billing/SendReply.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);

    const std::string message = bv::ReplySendOk(reply);
    check(message.find_first_of("\r\n") == std::string::npos);
    check(message.empty() || reply.find(message) != std::string_view::npos);

    const std::string next = bv::ReplyNextUrl(reply);
    check(next.empty() || reply.find(next) != std::string_view::npos);

    const bool sessionEnd = bv::ReplySessionEnd(reply);
    check(sessionEnd == (reply.find(bv::replykeyword::SessionEnd) != std::string_view::npos));

    const std::string shown = bv::ReplyMessageText(message);
    check(shown.size() <= message.size());
    return 0;
}
