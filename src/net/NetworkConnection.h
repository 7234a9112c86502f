#pragma once

#include "platform/NetworkState.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace bv {

class MessageBoxes;
class ProfileStore;

// Makes sure the computer is online before a login, dialling the remembered dial-up entry when
// needed, and offers to hang dial-up connections up when the client is done. A workstation on a
// network (UseLan) skips all dial-up handling. The first logins also show a hint about desktop
// firewalls until one has succeeded.
class NetworkConnection
{
public:
    NetworkConnection(ProfileStore& settings, MessageBoxes& boxes, const NetworkProbe& probe, DialUp& dialUp);

    // Reads General UseLan and DefaultRASName, once at start-up.
    void readSettings();

    bool goOnline();
    // With `ask`, the user is asked once per run and per connection; without it every listed
    // connection is hung up silently.
    void hangUp(bool ask);

    bool onNetwork() const { return m_onNetwork; }
    const std::string& dialUpEntry() const { return m_dialUpEntry; }
    // The system's name for the current internet connection ("LAN" on a network).
    std::string connectionName() const;
    // How long hangUp waits for the system to forget a connection.
    void setHangUpWait(std::chrono::milliseconds wait) { m_hangUpWait = wait; }

private:
    std::string hotline() const;

    ProfileStore& m_settings;
    MessageBoxes& m_boxes;
    const NetworkProbe& m_probe;
    DialUp& m_dialUp;
    bool m_onNetwork = false;
    std::string m_dialUpEntry;
    std::uint32_t m_dialConnection = 0;
    bool m_hangUpAsked = false;
    std::chrono::milliseconds m_hangUpWait{5000};
};

} // namespace bv
