#include "billing/SendReply.h"

#include "platform/Text.h"

namespace bv {

namespace {

constexpr std::size_t SeparatorLength = 2;

// The text that follows a keyword and its separator; empty when the keyword is missing.
std::string_view valueAfter(std::string_view reply, std::string_view keyword)
{
    const std::size_t at = reply.find(keyword);
    if (at == std::string_view::npos)
        return {};
    const std::size_t start = at + keyword.size() + SeparatorLength;
    return start < reply.size() ? reply.substr(start) : std::string_view();
}

} // namespace

std::string ReplySendOk(std::string_view reply)
{
    // The billing centre answers in keyword lines, so the message ends with its line; the lines after
    // it (the next page) are no part of what the user reads.
    const std::string_view value = valueAfter(reply, replykeyword::SendOk);
    return std::string(value.substr(0, value.find_first_of("\r\n")));
}

std::string ReplyNextUrl(std::string_view reply)
{
    std::string_view value = valueAfter(reply, replykeyword::NextUrl);
    const std::size_t lineFeed = value.find('\n');
    if (lineFeed != std::string_view::npos && lineFeed > 0)
        value = value.substr(0, lineFeed);
    if (!value.empty() && value.back() == '\r')
        value.remove_suffix(1);
    return std::string(value);
}

bool ReplySessionEnd(std::string_view reply)
{
    return reply.find(replykeyword::SessionEnd) != std::string_view::npos;
}

std::string ReplyMessageText(std::string_view value)
{
    return replaceAll(std::string(value), "\\n", "\n");
}

} // namespace bv
