#include "app/core/CInstanceChecker.h"

namespace bv {

CInstanceChecker::CInstanceChecker(std::string instanceName) : m_name(std::move(instanceName)), m_lock(m_name) {}

CInstanceChecker::~CInstanceChecker()
{
    if (m_server)
        m_server->close();
    m_lock.release();
}

bool CInstanceChecker::PreviousInstanceRunning()
{
    if (!m_lock.held())
        m_lock.acquire();
    return instanceExists(m_name);
}

bool CInstanceChecker::ActivatePreviousInstance(const std::string& request)
{
    const bool handed = sendToInstance(m_name, request);
    m_lock.release();
    return handed;
}

bool CInstanceChecker::TrackFirstInstanceRunning(std::function<void(const std::string&)> dispatch)
{
    if (!m_lock.held())
        m_lock.acquire();
    bool listening = true;
    if (!instanceExists(m_name)) {
        m_server = std::make_unique<InstanceServer>(m_name);
        listening = m_server->listen(std::move(dispatch));
    }
    m_lock.release();
    return listening;
}

} // namespace bv
