#pragma once

#include "bvcentre/BillingCentre.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace bv::testing {

// The requests a billing centre received, in order of arrival; safe to use from any thread.
class RequestJournal
{
public:
    void add(ReceivedRequest request);
    std::vector<ReceivedRequest> all() const;
    std::vector<ReceivedRequest> forPath(const std::string& path) const;
    void clear();
    bool waitFor(const std::string& path, std::size_t n, std::chrono::milliseconds timeout) const;
    std::string dump() const;

private:
    std::size_t countLocked(const std::string& path) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<ReceivedRequest> m_requests;
};

// One request as a block of the plain-text dump: "method: ", "path: ", ... lines, values escaped so that
// every value stays on its line.
std::string dumpRequest(const ReceivedRequest& request, std::size_t number);

} // namespace bv::testing
