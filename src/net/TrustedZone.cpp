#include "net/TrustedZone.h"

#include <algorithm>

namespace bv {

bool TrustedZone::addMapping(const std::string& pattern)
{
    if (pattern.empty())
        return false;
    if (!contains(pattern))
        m_patterns.push_back(pattern);
    return true;
}

bool TrustedZone::contains(std::string_view pattern) const
{
    return std::find(m_patterns.begin(), m_patterns.end(), pattern) != m_patterns.end();
}

std::string trustedZonePattern(std::string_view loginUrl)
{
    // Position 8 lies just past "https://", so the search skips the slashes of the scheme.
    constexpr std::size_t HostStart = 8;
    if (loginUrl.size() <= HostStart)
        return {};
    const std::size_t slash = loginUrl.find('/', HostStart);
    if (slash == std::string_view::npos)
        return {};
    return std::string(loginUrl.substr(0, slash));
}

void trustLoginServer(std::string_view loginUrl, TrustedZone& zone)
{
    zone.addMapping(trustedZonePattern(loginUrl));
}

} // namespace bv
