#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bv {

// The browser's zone of trusted sites. The embedded browser here knows no zones, so the mappings
// are only kept, for the start-up and for anyone who asks which sites the client trusts.
class TrustedZone
{
public:
    // Adds a site pattern; an existing mapping is left as it is. False for an empty pattern.
    bool addMapping(const std::string& pattern);
    bool contains(std::string_view pattern) const;
    const std::vector<std::string>& patterns() const { return m_patterns; }

private:
    std::vector<std::string> m_patterns;
};

// The login server's site: the login address cut before the first "/" at or after character 8,
// so that only scheme and host remain ("https://login.example.ch"). Empty when the address is
// empty or has no such "/".
std::string trustedZonePattern(std::string_view loginUrl);

// Puts the login server into the trusted zone at start-up; nothing happens without a pattern.
void trustLoginServer(std::string_view loginUrl, TrustedZone& zone);

} // namespace bv
