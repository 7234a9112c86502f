#include "app/unattended/LoginTranscript.h"

#include "app/login/LoginController.h"
#include "app/unattended/ScriptedUser.h"
#include "platform/Text.h"

#include <vector>

namespace bv {

namespace {

const char* const AnswerLogin = "login";
const char* const AnswerCancel = "cancel";

bool isLoginAnswer(const std::string& answer)
{
    const std::vector<std::string> fields = split(answer, '\t');
    return fields.size() == 3 && fields[0] == AnswerLogin;
}

bool fitsLoginDialog(const std::string& answer)
{
    return answer == AnswerCancel || isLoginAnswer(answer);
}

} // namespace

LoginTranscript::LoginTranscript(ScriptedUser& user, const std::string& title)
    : m_user(user), m_transcript(user.session(), title)
{}

LoginView& LoginTranscript::wrap(LoginView& window)
{
    m_window = &window;
    return *this;
}

void LoginTranscript::closeDialog(LoginDialogResult result)
{
    m_closed = true;
    m_window->closeDialog(result);
    m_transcript.close(result == LoginDialogResult::LoggedIn);
}

void LoginTranscript::awaitUser()
{
    m_window->awaitUser();
    if (m_closed || !m_controller)
        return;
    const std::optional<std::string> answer = m_user.take(fitsLoginDialog);
    if (!answer || *answer == AnswerCancel) {
        m_controller->cancel();
        return;
    }
    const std::vector<std::string> fields = split(*answer, '\t');
    setUserName(fields[1]);
    setPassword(fields[2]);
    m_controller->ok();
}

} // namespace bv
