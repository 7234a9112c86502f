#include "net/NetworkConnection.h"

#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/NetTexts.h"
#include "config/ProfileStore.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <thread>
#include <vector>

namespace bv {

NetworkConnection::NetworkConnection(ProfileStore& settings, MessageBoxes& boxes, const NetworkProbe& probe,
                                     DialUp& dialUp)
    : m_settings(settings), m_boxes(boxes), m_probe(probe), m_dialUp(dialUp)
{}

void NetworkConnection::readSettings()
{
    m_onNetwork = m_settings.read(profilekey::UseLan) != "0";
    m_dialUpEntry = m_settings.read(profilekey::DefaultRASName);
}

std::string NetworkConnection::hotline() const
{
    return m_settings.read(profilekey::TechHotlineTel);
}

std::string NetworkConnection::connectionName() const
{
    return m_probe.query().name;
}

bool NetworkConnection::goOnline()
{
    if (m_settings.read(profilekey::LoginSuccess) != "1") {
        const std::string phone = hotline();
        m_boxes.show(strFormat(nettext::FirewallHint, phone.c_str()), nettext::Caption, MbIcon::Warning);
    }
    const ConnectionState state = m_probe.query();
    if (m_onNetwork || state.lan || state.connected) {
        if (state.offline)
            return m_probe.goOnline();
        return true;
    }
    m_dialConnection = m_dialUp.dial(m_dialUpEntry);
    if (m_dialConnection == 0)
        return false;
    const ConnectionState dialled = m_probe.query();
    if (dialled.modem && dialled.connected) {
        m_dialUpEntry = dialled.name;
        if (!m_dialUpEntry.empty())
            m_settings.write(profilekey::DefaultRASName, m_dialUpEntry);
    }
    return true;
}

void NetworkConnection::hangUp(bool ask)
{
    if (m_onNetwork)
        return;
    if (ask) {
        if (m_hangUpAsked)
            return;
        m_hangUpAsked = true;
    }
    std::vector<DialUp::Connection> connections;
    if (const int error = m_dialUp.activeConnections(connections); error != 0) {
        const std::string phone = hotline();
        m_boxes.show(strFormat(nettext::ListDialUpFailed, error, CompanyWord, phone.c_str()), nettext::Caption,
                     MbIcon::Error);
        return;
    }
    for (const DialUp::Connection& connection : connections) {
        if (ask && m_boxes.show(strFormat(nettext::AskHangUp, connection.entryName.c_str()), nettext::Caption,
                                MbIcon::Question, MbButtons::YesNo) != MbResult::Yes)
            continue;
        if (const int error = m_dialUp.hangUp(connection.handle); error != 0) {
            const std::string phone = hotline();
            m_boxes.show(strFormat(nettext::HangUpFailed, connection.entryName.c_str(), error, phone.c_str()),
                         nettext::Caption, MbIcon::Error);
        }
        // The system forgets the connection a moment after the hang-up; a failed hang-up may keep
        // it for good, so the wait is bounded.
        const auto until = std::chrono::steady_clock::now() + m_hangUpWait;
        while (m_dialUp.isKnown(connection.handle) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (connection.handle == m_dialConnection)
            m_dialConnection = 0;
    }
}

} // namespace bv
