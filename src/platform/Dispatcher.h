#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace bv {

// Hands work from a worker thread to the user-interface thread. The GUI layer implements it with
// queued calls into the Qt event loop; tests use QueueDispatcher and pump it themselves.
class UiDispatcher
{
public:
    virtual ~UiDispatcher() = default;
    // Queues fn to run on the user-interface thread and returns at once (PostMessage).
    virtual void post(std::function<void()> fn) = 0;
    // Runs fn on the user-interface thread and returns after it ran (SendMessage). Called on the
    // user-interface thread itself, it runs fn directly.
    virtual void send(std::function<void()> fn) = 0;
};

// A dispatcher for tests and console programs: the thread that created it is the "user-interface
// thread"; it runs queued work when it calls runPending() or waitAndRun().
class QueueDispatcher : public UiDispatcher
{
public:
    QueueDispatcher() : m_owner(std::this_thread::get_id()) {}

    void post(std::function<void()> fn) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(fn));
        }
        m_cond.notify_all();
    }

    void send(std::function<void()> fn) override
    {
        if (std::this_thread::get_id() == m_owner) {
            fn();
            return;
        }
        std::mutex doneMutex;
        std::condition_variable doneCond;
        bool done = false;
        post([&] {
            fn();
            std::lock_guard lock(doneMutex);
            done = true;
            doneCond.notify_all();
        });
        std::unique_lock lock(doneMutex);
        doneCond.wait(lock, [&] { return done; });
    }

    // Runs everything queued so far; returns how many ran.
    int runPending()
    {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(m_mutex);
            batch.swap(m_queue);
        }
        for (auto& fn : batch)
            fn();
        return static_cast<int>(batch.size());
    }

    // Waits until something is queued (or the time-out passes), then runs what is queued.
    int waitAndRun(std::chrono::milliseconds timeout)
    {
        {
            std::unique_lock lock(m_mutex);
            m_cond.wait_for(lock, timeout, [&] { return !m_queue.empty(); });
        }
        return runPending();
    }

    // Pumps until pred() holds or the time-out passes; returns pred().
    bool runUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!pred()) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= end)
                return pred();
            waitAndRun(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
        }
        return true;
    }

private:
    std::thread::id m_owner;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<std::function<void()>> m_queue;
};

} // namespace bv
