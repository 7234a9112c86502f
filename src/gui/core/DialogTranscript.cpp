#include "gui/core/DialogTranscript.h"

namespace bv {

DialogTranscript::DialogTranscript(std::string title)
    : m_session(UnattendedSession::fromEnvironment()), m_title(std::move(title))
{
    if (m_session)
        m_session->writeDialogOpen(m_title);
}

DialogTranscript::~DialogTranscript()
{
    close(false);
}

void DialogTranscript::field(const std::string& label, const std::string& value)
{
    if (m_session)
        m_session->writeField(label, value);
}

std::optional<std::string> DialogTranscript::takeAnswer(const std::function<bool(const std::string&)>& fits)
{
    if (!m_session)
        return std::nullopt;
    return m_session->takeAnswer(fits);
}

void DialogTranscript::close(bool ok)
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_session)
        m_session->writeDialogClose(m_title, ok);
}

} // namespace bv
