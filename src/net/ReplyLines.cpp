#include "net/ReplyLines.h"

#include "platform/Text.h"

namespace bv {

std::vector<ReplyLine> splitReplyLines(std::string_view reply)
{
    std::vector<ReplyLine> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = reply.find('\n', start);
        const std::string line = trim(reply.substr(start, end == std::string_view::npos ? end : end - start));
        const std::size_t separator = line.find(": ");
        if (separator == std::string::npos)
            lines.push_back({line, {}});
        else
            lines.push_back({line.substr(0, separator), line.substr(separator + 2)});
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::string messageText(std::string_view value)
{
    return replaceAll(std::string(value), "\\n", "\n");
}

} // namespace bv
