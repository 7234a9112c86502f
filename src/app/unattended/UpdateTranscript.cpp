#include "app/unattended/UpdateTranscript.h"

#include "app/unattended/ScriptedUser.h"
#include "app/update/UpdateController.h"

namespace bv {

namespace {

const char* const AnswerCancel = "cancel";

} // namespace

UpdateTranscript::UpdateTranscript(ScriptedUser& user, const std::string& title)
    : m_user(user), m_transcript(user.session(), title)
{}

UpdateView& UpdateTranscript::wrap(UpdateView& window)
{
    m_window = &window;
    return *this;
}

void UpdateTranscript::setProgress(int percent)
{
    m_window->setProgress(percent);
    // The download runs: the user may cancel it now, once.
    if (m_answerTaken || !m_controller)
        return;
    m_answerTaken = true;
    if (m_user.take([](const std::string& answer) { return answer == AnswerCancel; }))
        m_controller->cancel();
}

void UpdateTranscript::closeDialog()
{
    m_window->closeDialog();
    m_transcript.close(m_controller && m_controller->outcome() == UpdateOutcome::Installing);
}

} // namespace bv
