#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace bv {

// A Windows-style event: auto-reset events release one waiter and clear themselves, manual-reset
// events stay set until reset. Used for the start/finish/cancel/stopped handshakes of the workers.
class Event
{
public:
    enum class Reset
    {
        Auto,
        Manual
    };

    explicit Event(Reset reset = Reset::Auto, bool initiallySet = false);

    void set();
    void reset();
    // Waits until set; false on time-out. An auto-reset event is cleared by a successful wait.
    bool wait(std::chrono::milliseconds timeout);
    void wait();
    // Wait with zero time-out (WaitForSingleObject(h, 0)): consumes an auto-reset event.
    bool tryWait() { return wait(std::chrono::milliseconds(0)); }
    // Looks without consuming.
    bool isSet() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    Reset m_reset;
    bool m_set;
};

} // namespace bv
