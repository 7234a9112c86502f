#include "bvcentre/ScriptBook.h"

#include <algorithm>

namespace bv::testing {

void ScriptBook::add(const std::string& path, ScriptedReply reply)
{
    if (reply.times == 0) {
        return; // answers no request at all
    }
    std::lock_guard lock(m_mutex);
    m_scripts.emplace_back(path, std::move(reply));
}

std::optional<ScriptedReply> ScriptBook::take(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_scripts.begin(), m_scripts.end(), [&](const auto& s) { return s.first == path; });
    if (it == m_scripts.end()) {
        return std::nullopt;
    }
    ScriptedReply reply = it->second;
    if (it->second.times > 0 && --it->second.times == 0) {
        m_scripts.erase(it);
    }
    return reply;
}

void ScriptBook::clear()
{
    std::lock_guard lock(m_mutex);
    m_scripts.clear();
}

} // namespace bv::testing
