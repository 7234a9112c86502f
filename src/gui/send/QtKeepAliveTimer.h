#pragma once

#include "app/send/KeepAliveTimer.h"

#include <QTimer>

#include <functional>

namespace bv {

// The send dialog's keep-alive timer over a QTimer: each period it runs the tick handler on the
// user-interface thread.
class QtKeepAliveTimer : public KeepAliveTimer
{
public:
    QtKeepAliveTimer();
    void setTickHandler(std::function<void()> handler) { m_handler = std::move(handler); }
    void start(std::chrono::milliseconds period) override;
    void stop() override;
    bool isActive() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_handler;
};

} // namespace bv
