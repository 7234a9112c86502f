#include "app/main/InstanceRequestGate.h"

#include "platform/Dispatcher.h"

#include <condition_variable>
#include <mutex>

namespace bv {

struct InstanceRequestGate::State
{
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    UiDispatcher* ui = nullptr;
    Handler handler;
};

InstanceRequestGate::InstanceRequestGate(UiDispatcher& ui, Handler handler) : m_state(std::make_shared<State>())
{
    m_state->ui = &ui;
    m_state->handler = std::move(handler);
}

InstanceRequestGate::~InstanceRequestGate()
{
    close();
}

std::function<void(const std::string&)> InstanceRequestGate::dispatch() const
{
    return [state = m_state](const std::string& request) {
        auto done = std::make_shared<bool>(false);
        std::unique_lock lock(state->mutex);
        if (state->closed)
            return;
        // Posted under the lock: once close() has returned, nothing reaches the dispatcher any more,
        // so it may be destroyed right after the window.
        state->ui->post([state, done, request] {
            Handler handler;
            {
                std::lock_guard inner(state->mutex);
                if (!state->closed)
                    handler = state->handler;
            }
            if (handler)
                handler(request);
            {
                std::lock_guard inner(state->mutex);
                *done = true;
            }
            state->changed.notify_all();
        });
        state->changed.wait(lock, [&] { return *done || state->closed; });
    };
}

void InstanceRequestGate::close()
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closed)
            return;
        m_state->closed = true;
        m_state->handler = nullptr;
    }
    m_state->changed.notify_all();
}

bool InstanceRequestGate::closed() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->closed;
}

} // namespace bv
