#include "app/unattended/DialogTranscript.h"

#include "platform/Unattended.h"

namespace bv {

DialogTranscript::DialogTranscript(UnattendedSession& session, std::string title)
    : m_session(session), m_title(std::move(title))
{
    m_session.writeDialogOpen(m_title);
}

DialogTranscript::~DialogTranscript()
{
    close(false);
}

void DialogTranscript::field(const std::string& label, const std::string& value)
{
    m_session.writeField(label, value);
}

void DialogTranscript::close(bool ok)
{
    if (m_closed)
        return;
    m_closed = true;
    m_session.writeDialogClose(m_title, ok);
}

} // namespace bv
