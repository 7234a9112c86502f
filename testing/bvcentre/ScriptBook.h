#pragma once

#include "bvcentre/BillingCentre.h"

#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bv::testing {

// Scripted replies waiting for their endpoint, in the order they were added; safe to use from any thread.
class ScriptBook
{
public:
    void add(const std::string& path, ScriptedReply reply);
    // The reply that answers the next request for path, counting it against the script's times.
    std::optional<ScriptedReply> take(const std::string& path);
    void clear();

private:
    std::mutex m_mutex;
    std::vector<std::pair<std::string, ScriptedReply>> m_scripts;
};

} // namespace bv::testing
