#pragma once

#include <chrono>

namespace bv {

// The send dialog's keep-alive timer: while an upload runs, the session is checked on every tick.
// The Qt layer drives it with a QTimer; tests tick it by hand.
class KeepAliveTimer
{
public:
    virtual ~KeepAliveTimer() = default;
    virtual void start(std::chrono::milliseconds period) = 0;
    virtual void stop() = 0;
};

} // namespace bv
