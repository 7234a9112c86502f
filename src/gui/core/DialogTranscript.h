#pragma once

#include "platform/Unattended.h"

#include <functional>
#include <optional>
#include <string>

namespace bv {

// The unattended side of one dialog: writes its "open" line when created, its field lines, and its
// "close" line when it ends, and hands out the answers meant for it. Inactive (every call does
// nothing, no answer) when the run is not unattended.
class DialogTranscript
{
public:
    explicit DialogTranscript(std::string title);
    ~DialogTranscript();
    DialogTranscript(const DialogTranscript&) = delete;
    DialogTranscript& operator=(const DialogTranscript&) = delete;

    static bool unattended() { return UnattendedSession::fromEnvironment() != nullptr; }
    bool active() const { return m_session != nullptr; }

    void field(const std::string& label, const std::string& value);
    // The next answer if `fits` accepts it (it is then consumed); nullopt otherwise.
    std::optional<std::string> takeAnswer(const std::function<bool(const std::string&)>& fits);
    // Writes the close line once.
    void close(bool ok);

private:
    UnattendedSession* m_session;
    std::string m_title;
    bool m_closed = false;
};

} // namespace bv
