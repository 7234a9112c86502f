#include "platform/Event.h"

namespace bv {

Event::Event(Reset reset, bool initiallySet) : m_reset(reset), m_set(initiallySet) {}

void Event::set()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    // An auto-reset event releases one waiter; a manual-reset event releases all of them.
    if (m_reset == Reset::Auto)
        m_cond.notify_one();
    else
        m_cond.notify_all();
}

void Event::reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool Event::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    // A zero time-out only looks: no timed wait in the kernel, so polling loops stay cheap.
    if (!m_set && (timeout.count() <= 0 || !m_cond.wait_for(lock, timeout, [this] { return m_set; })))
        return false;
    if (m_reset == Reset::Auto)
        m_set = false;
    return true;
}

void Event::wait()
{
    std::unique_lock lock(m_mutex);
    m_cond.wait(lock, [this] { return m_set; });
    if (m_reset == Reset::Auto)
        m_set = false;
}

bool Event::isSet() const
{
    std::lock_guard lock(m_mutex);
    return m_set;
}

} // namespace bv
