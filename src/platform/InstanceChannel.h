#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace bv {

// Directory of the single-instance objects: $XDG_RUNTIME_DIR, else the temporary directory.
std::string instanceRuntimeDirectory();

// A named lock between processes (the named mutex): an advisory lock on "<dir>/<name>.lock".
// Acquire waits as long as needed; the lock is released by release() or the destructor, and by the
// system when the process dies.
class NamedLock
{
public:
    explicit NamedLock(const std::string& name);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    bool acquire();
    bool tryAcquire();
    void release();
    bool held() const { return m_held; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_held = false;
};

// The named channel (named file mapping + WM_COPYDATA): the first instance listens on a
// Unix-domain socket "<dir>/<name>.sock"; a second instance connects, sends its request string and
// waits until the first has handled it and answered.
class InstanceServer
{
public:
    // Handler runs on the thread that calls poll()/runs the dispatcher given to start().
    using Handler = std::function<void(const std::string& request)>;

    explicit InstanceServer(const std::string& name);
    ~InstanceServer();

    // Starts listening. `dispatch` hands each received request to the GUI thread and must return only
    // after the handler ran there (for Qt: a blocking queued call). False when the socket cannot be made
    // or another instance already answers on it. Call it while holding the NamedLock: a socket file
    // left by a killed instance is then removed safely.
    // Requests are served one at a time on a background thread; close() waits for the one being
    // dispatched, so the GUI thread must not call close() while a dispatch waits for it.
    bool listen(std::function<void(const std::string&)> dispatch);
    void close();
    bool isListening() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// True when an instance of that name listens (the "mapping exists" test).
bool instanceExists(const std::string& name);
// Sends the request (may be empty: only "activate") and waits for the acknowledgement, at most
// `timeout` (five minutes by default, as the first instance may be busy in a modal dialog).
// False when nobody listens or the exchange failed.
inline constexpr std::chrono::milliseconds DefaultAcknowledgementTimeout = std::chrono::minutes(5);
bool sendToInstance(const std::string& name, const std::string& request);
bool sendToInstance(const std::string& name, const std::string& request, std::chrono::milliseconds timeout);

} // namespace bv
