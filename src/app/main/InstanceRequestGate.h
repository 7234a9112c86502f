#pragma once

#include <functional>
#include <memory>
#include <string>

namespace bv {

class UiDispatcher;

// Carries the requests of later starts from the single-instance channel's thread to the main
// window on the user-interface thread. The channel thread waits until the window has handled a
// request, as the second start expects, but gives up as soon as the window closes the gate: the
// channel is shut down on the user-interface thread after the window has ended, and that shutdown
// waits for the request in hand, so a waiting request must never depend on the window any more.
class InstanceRequestGate
{
public:
    using Handler = std::function<void(const std::string&)>;

    InstanceRequestGate(UiDispatcher& ui, Handler handler);
    ~InstanceRequestGate();
    InstanceRequestGate(const InstanceRequestGate&) = delete;
    InstanceRequestGate& operator=(const InstanceRequestGate&) = delete;

    // The dispatch function for the single-instance channel; it stays safe to call after the gate
    // was closed or destroyed (it then returns at once without handling the request).
    std::function<void(const std::string&)> dispatch() const;

    // No request is handled from now on, and a request waiting for the window is released.
    void close();
    bool closed() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace bv
