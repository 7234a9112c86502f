#pragma once

#include <string>

namespace bv {

class UnattendedSession;

// The transcript lines of one dialog of an unattended run: its "open" line when created, its field
// lines, and its "close" line once, when it ends (cancel when it ends without saying).
class DialogTranscript
{
public:
    DialogTranscript(UnattendedSession& session, std::string title);
    ~DialogTranscript();
    DialogTranscript(const DialogTranscript&) = delete;
    DialogTranscript& operator=(const DialogTranscript&) = delete;

    void field(const std::string& label, const std::string& value);
    // Writes the close line once.
    void close(bool ok);

private:
    UnattendedSession& m_session;
    std::string m_title;
    bool m_closed = false;
};

} // namespace bv
