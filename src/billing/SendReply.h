#pragma once

#include <string>
#include <string_view>

namespace bv {

// The keywords of the billing centre's answer to an upload. Each is searched anywhere in the reply
// body and the first occurrence counts; the two characters after a keyword are its separator
// (": " or CR LF) and are not examined.
namespace replykeyword {
inline constexpr std::string_view SendOk = "BV_SENDOK";
inline constexpr std::string_view NextUrl = "BV_NEXTURL";
inline constexpr std::string_view SessionEnd = "BV_SESSIONEND";
// The confirmation's message when there is nothing to show.
inline constexpr std::string_view NoMessage = "NOMSG";
} // namespace replykeyword

// The confirmation's message: the rest of the keyword's line. Empty when the keyword is missing or
// nothing follows it, which does not confirm the transmission.
std::string ReplySendOk(std::string_view reply);
// The page to show next: the text after the keyword up to the first line feed (the whole rest when
// there is none, or when it comes first), without the carriage return of a CR LF line end.
std::string ReplyNextUrl(std::string_view reply);
// Whether the login session has expired.
bool ReplySessionEnd(std::string_view reply);

// A server message as shown: each backslash-n pair becomes a line break.
std::string ReplyMessageText(std::string_view value);

} // namespace bv
