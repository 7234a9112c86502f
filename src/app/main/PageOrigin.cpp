#include "app/main/PageOrigin.h"

#include "platform/Text.h"

#include <cctype>

namespace bv {

namespace {

bool isSchemeChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

int defaultPort(std::string_view scheme)
{
    if (scheme == "http")
        return 80;
    if (scheme == "https")
        return 443;
    return -1;
}

// A decimal port of 1 to 5 digits no larger than 65535; nullopt otherwise.
std::optional<int> parsePort(std::string_view text)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int port = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port > 65535)
        return std::nullopt;
    return port;
}

} // namespace

std::optional<PageOrigin> pageOrigin(std::string_view url)
{
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0])))
        return std::nullopt;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!isSchemeChar(url[i]))
            return std::nullopt;
    }
    if (url.substr(colon + 1, 2) != "//")
        return std::nullopt;

    PageOrigin origin;
    origin.scheme = toLower(url.substr(0, colon));
    // The authority ends where the path, query or fragment begins; browsers read a backslash as a
    // path separator in web addresses.
    std::string_view authority = url.substr(colon + 3);
    const std::size_t end = authority.find_first_of("/?#\\");
    if (end != std::string_view::npos)
        authority = authority.substr(0, end);
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority = authority.substr(at + 1);

    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(0, close + 1);
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return std::nullopt;
            port = rest.substr(1);
        }
    } else {
        const std::size_t portColon = authority.find(':');
        if (portColon != std::string_view::npos) {
            host = authority.substr(0, portColon);
            port = authority.substr(portColon + 1);
        }
    }
    if (host.empty())
        return std::nullopt;
    origin.host = toLower(host);
    if (port.empty()) {
        origin.port = defaultPort(origin.scheme);
    } else {
        const auto number = parsePort(port);
        if (!number)
            return std::nullopt;
        origin.port = *number;
    }
    return origin;
}

bool pageMayCommand(std::string_view pageUrl, const std::vector<std::string>& trustedAddresses)
{
    const auto page = pageOrigin(pageUrl);
    if (!page)
        return false;
    for (const std::string& address : trustedAddresses) {
        const auto trusted = pageOrigin(address);
        if (trusted && *trusted == *page)
            return true;
    }
    return false;
}

} // namespace bv
