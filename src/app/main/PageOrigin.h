#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

// Where a page comes from: scheme and host of its address, with the port (the scheme's default
// port when the address names none). Scheme and host are compared without regard to case.
struct PageOrigin
{
    std::string scheme; // lower case
    std::string host;   // lower case; an IPv6 address keeps its brackets
    int port = -1;      // -1: no port given and the scheme has no default

    bool operator==(const PageOrigin&) const = default;
};

// The origin of an absolute address "scheme://[user@]host[:port][/...]"; nullopt for an address
// without scheme or host ("about:blank", a relative path) or with a port that is not a number.
std::optional<PageOrigin> pageOrigin(std::string_view url);

// Page commands are obeyed only from the billing centre's own pages: a page whose origin equals
// that of one of the trusted addresses (the login address, the session's start address, the
// request address and the upload address). Every other page may be shown, but its status texts
// are no commands: a page from another site could otherwise rewrite the configuration (BV_REG)
// and redirect the next upload of billing data.
bool pageMayCommand(std::string_view pageUrl, const std::vector<std::string>& trustedAddresses);

} // namespace bv
