#include "gui/send/QtKeepAliveTimer.h"

namespace bv {

QtKeepAliveTimer::QtKeepAliveTimer()
{
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        if (m_handler)
            m_handler();
    });
}

void QtKeepAliveTimer::start(std::chrono::milliseconds period)
{
    m_timer.start(period);
}

void QtKeepAliveTimer::stop()
{
    m_timer.stop();
}

} // namespace bv
