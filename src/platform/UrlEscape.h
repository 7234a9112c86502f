#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bv {

// Room of the escape function's output buffer, terminating zero included.
inline constexpr std::size_t UrlEscapeBufferSize = 2084;

// Escapes a value for a form body or a query, by the rules for one path segment: control
// characters, blanks, bytes outside ASCII and the unsafe characters " < > { } | \ ^ [ ] ` become
// %XX, and so do "/", "?" and "#". "&", "=", "+" and "%" are escaped as well, so that a user name or
// password holding them reaches the server unchanged. A value whose escaped form does not fit the
// 2084-character buffer comes back empty.
std::string urlEscape(std::string_view value);

} // namespace bv
