#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bv {

// One line of a billing-centre reply: keyword, ": ", value.
struct ReplyLine
{
    std::string keyword;
    std::string value;
};

// Splits a reply at each line feed (the text after the last one is a line too), trims white space
// at both ends of each line and splits it at the first ": "; a line without ": " is all keyword.
std::vector<ReplyLine> splitReplyLines(std::string_view reply);

// The text of a message line as shown: each backslash-n pair becomes a line break.
std::string messageText(std::string_view value);

} // namespace bv
