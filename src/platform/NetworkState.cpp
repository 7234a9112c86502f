#include "platform/NetworkState.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <ifaddrs.h>
#include <net/if.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace bv {

namespace {

constexpr unsigned long RouteUp = 0x0001;     // RTF_UP
constexpr unsigned long RouteReject = 0x0200; // RTF_REJECT

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string f;
    while (in >> f)
        out.push_back(f);
    return out;
}

bool usableFlags(const std::string& hex)
{
    char* end = nullptr;
    const unsigned long flags = std::strtoul(hex.c_str(), &end, 16);
    return end && *end == '\0' && (flags & RouteUp) && !(flags & RouteReject);
}

std::vector<std::string> upInterfaces()
{
    std::vector<std::string> names;
    struct ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return names;
    for (const struct ifaddrs* a = list; a; a = a->ifa_next) {
        if ((a->ifa_flags & IFF_UP) && !(a->ifa_flags & IFF_LOOPBACK) &&
            std::find(names.begin(), names.end(), a->ifa_name) == names.end())
            names.emplace_back(a->ifa_name);
    }
    ::freeifaddrs(list);
    return names;
}

} // namespace

bool hasRoutedInterface(const std::string& ipv4Routes, const std::string& ipv6Routes,
                        const std::vector<std::string>& upInterfaces)
{
    auto isUp = [&](const std::string& name) {
        return std::find(upInterfaces.begin(), upInterfaces.end(), name) != upInterfaces.end();
    };
    // Iface Destination Gateway Flags RefCnt Use Metric Mask MTU Window IRTT
    for (const std::string& line : split(ipv4Routes, '\n')) {
        const auto f = fields(line);
        if (f.size() >= 4 && f[0] != "Iface" && isUp(f[0]) && usableFlags(f[3]))
            return true;
    }
    // Destination PrefixLength Source SourcePrefixLength NextHop Metric RefCnt Use Flags Iface
    for (const std::string& line : split(ipv6Routes, '\n')) {
        const auto f = fields(line);
        if (f.size() < 10 || !isUp(f[9]) || !usableFlags(f[8]))
            continue;
        const std::string destination = toLower(f[0]);
        if (startsWith(destination, "fe80") || startsWith(destination, "ff"))
            continue;
        return true;
    }
    return false;
}

ConnectionState NetworkProbe::query() const
{
    ConnectionState state;
    const std::string ipv4 = files::readFile("/proc/net/route").value_or(std::string());
    const std::string ipv6 = files::readFile("/proc/net/ipv6_route").value_or(std::string());
    if (hasRoutedInterface(ipv4, ipv6, upInterfaces())) {
        state.connected = true;
        state.lan = true;
        state.name = "LAN";
    }
    return state;
}

} // namespace bv
