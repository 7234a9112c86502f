#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bv {

// The machine's internet connection state, as the connected-state query reports it.
struct ConnectionState
{
    bool connected = false; // some connection to the internet is reported
    bool lan = false;       // through a local network
    bool modem = false;     // through a dial-up connection
    bool offline = false;   // the system is set to work offline
    std::string name;       // connection name ("LAN" for a network connection)
};

// Asks the system for the connection state. On this machine "connected" means a non-loopback
// interface that is up and has a route; its state then has the LAN flag and the name "LAN".
class NetworkProbe
{
public:
    virtual ~NetworkProbe() = default;
    virtual ConnectionState query() const;
    // Asks the system to go online; nothing to do here.
    virtual bool goOnline() const { return true; }
};

// Whether the route tables (the text of /proc/net/route and /proc/net/ipv6_route) hold a usable
// route through one of `upInterfaces` (non-loopback interfaces that are up). IPv6 link-local and
// multicast routes, which every interface has, do not count.
bool hasRoutedInterface(const std::string& ipv4Routes, const std::string& ipv6Routes,
                        const std::vector<std::string>& upInterfaces);

// Dial-up entries of the remote access service. Linux has none: the listing is empty, dialling
// fails, hanging up has nothing to do. Tests replace it with a fake to exercise the rules.
class DialUp
{
public:
    struct Connection
    {
        std::uint32_t handle = 0;
        std::string entryName;
    };

    virtual ~DialUp() = default;
    // Active dial-up connections (room for 5); returns a system error code, 0 on success.
    virtual int activeConnections(std::vector<Connection>& out) const
    {
        out.clear();
        return 0;
    }
    // Dials the entry with the system's dial dialog; the connection handle, or 0 when it failed.
    virtual std::uint32_t dial(const std::string& /*entryName*/) { return 0; }
    // Hangs up; a system error code, 0 on success.
    virtual int hangUp(std::uint32_t /*handle*/) { return 0; }
    // Whether the system still knows the handle (its status query does not fail).
    virtual bool isKnown(std::uint32_t /*handle*/) const { return false; }
};

} // namespace bv
