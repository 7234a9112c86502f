#pragma once

#include "platform/InstanceChannel.h"

#include <functional>
#include <memory>
#include <string>

namespace bv {

// Keeps a second start for the same configuration from opening a second main window: the named
// lock serialises the test for a running instance against the publishing of the first one, and the
// named channel carries the second start's request to the first, which answers once it has handled it.
class CInstanceChecker
{
public:
    explicit CInstanceChecker(std::string instanceName);
    ~CInstanceChecker();

    // Takes the named lock (waiting as long as needed) and tests whether an instance has published
    // itself. The lock stays held until the request was handed over or this instance published.
    bool PreviousInstanceRunning();

    // Hands the start request to the running instance (an empty request only brings its window
    // forward), waits until it was handled, then releases the named lock. False when the running
    // instance could not be reached; the second start ends either way.
    bool ActivatePreviousInstance(const std::string& request);

    // Publishes this instance: listens on the named channel and releases the named lock. Each request
    // of a later start is given to `handler` through `dispatch`, which must return only after the
    // handler ran on the user-interface thread.
    bool TrackFirstInstanceRunning(std::function<void(const std::string&)> dispatch);

    const std::string& instanceName() const { return m_name; }

private:
    std::string m_name;
    NamedLock m_lock;
    std::unique_ptr<InstanceServer> m_server;
};

} // namespace bv
