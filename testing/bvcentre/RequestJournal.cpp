#include "bvcentre/RequestJournal.h"

#include "bvcentre/FormCodec.h"

#include <algorithm>

namespace bv::testing {

void RequestJournal::add(ReceivedRequest request)
{
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(std::move(request));
    }
    m_arrived.notify_all();
}

std::vector<ReceivedRequest> RequestJournal::all() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<ReceivedRequest> RequestJournal::forPath(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    std::vector<ReceivedRequest> found;
    std::copy_if(m_requests.begin(), m_requests.end(), std::back_inserter(found),
                 [&](const ReceivedRequest& r) { return r.path == path; });
    return found;
}

void RequestJournal::clear()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

std::size_t RequestJournal::countLocked(const std::string& path) const
{
    return static_cast<std::size_t>(
        std::count_if(m_requests.begin(), m_requests.end(), [&](const ReceivedRequest& r) { return r.path == path; }));
}

bool RequestJournal::waitFor(const std::string& path, std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, timeout, [&] { return countLocked(path) >= n; });
}

std::string RequestJournal::dump() const
{
    std::lock_guard lock(m_mutex);
    std::string text;
    for (std::size_t i = 0; i < m_requests.size(); ++i) {
        text += dumpRequest(m_requests[i], i + 1);
    }
    return text;
}

std::string dumpRequest(const ReceivedRequest& request, std::size_t number)
{
    std::string block = "request: " + std::to_string(number) + "\n";
    block += "method: " + escapeForDump(request.method) + "\n";
    block += "path: " + escapeForDump(request.path) + "\n";
    block += "query: " + escapeForDump(request.rawQuery) + "\n";
    block += "version: " + escapeForDump(request.httpVersion) + "\n";
    for (const auto& [name, value] : request.headers) {
        block += "header: " + escapeForDump(name) + ": " + escapeForDump(value) + "\n";
    }
    for (const auto& [name, value] : request.query) {
        block += "param: " + escapeForDump(name) + "=" + escapeForDump(value) + "\n";
    }
    block += "body-length: " + std::to_string(request.bodyLength) + "\n";
    if (!request.bodyComplete) {
        block += "body-complete: no\n";
    }
    if (!request.bodyFile.empty()) {
        block += "body-file: " + escapeForDump(request.bodyFile.string()) + "\n";
    }
    for (const auto& [name, value] : request.form) {
        block += "form: " + escapeForDump(name) + "=" + escapeForDump(value) + "\n";
    }
    return block + "\n";
}

} // namespace bv::testing
