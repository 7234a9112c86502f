#pragma once

#include <functional>
#include <optional>
#include <string>

namespace bv {

class UnattendedSession;

// The user of an unattended run. The composition root creates it once when the run is unattended
// and hands it to every dialog it builds; a dialog's transcript decorator asks it for the next
// answer when the dialog waits for the user and presses the controller's own buttons with it.
class ScriptedUser
{
public:
    explicit ScriptedUser(UnattendedSession& session) : m_session(session) {}

    // The transcript every dialog of the run writes to.
    UnattendedSession& session() { return m_session; }

    // The next answer when `fits` accepts it; it is then consumed. An answer that does not fit stays
    // for the next taker (a message box, the next dialog).
    std::optional<std::string> take(const std::function<bool(const std::string&)>& fits);

private:
    UnattendedSession& m_session;
};

} // namespace bv
