#pragma once

#include "app/login/LoginController.h"
#include "app/login/LoginView.h"
#include "net/ContractList.h"
#include "net/SessionRecord.h"
#include "platform/Dispatcher.h"

#include "FakePorts.h"

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace bv::test {

// The login window as the controller sees it, recording what it was told.
class FakeLoginView : public LoginView
{
public:
    std::string userName() const override { return user; }
    std::string password() const override { return pass; }
    void setUserName(const std::string& text) override { user = text; }
    void setPassword(const std::string& text) override { pass = text; }
    void focusUserName() override { focus = "user"; }
    void focusPassword() override { focus = "password"; }
    void setButtonsEnabled(bool enabled) override { buttonsEnabled = enabled; }
    void closeDialog(LoginDialogResult r) override
    {
        ++closes;
        result = r;
    }

    std::string user, pass, focus;
    bool buttonsEnabled = true;
    int closes = 0;
    std::optional<LoginDialogResult> result;
};

// A request routine answering from a script, one entry per request, and keeping what was sent.
class ScriptedRoutine
{
public:
    struct Answer
    {
        int errorCode = 0;
        std::string errorText;
        std::string reply;
    };

    RequestRoutine routine()
    {
        return [this](InternetRequest& request) {
            Answer answer;
            {
                std::lock_guard lock(m_mutex);
                sent.push_back(request);
                if (!answers.empty()) {
                    answer = answers.front();
                    answers.pop_front();
                }
            }
            request.errorCode = answer.errorCode;
            request.errorText = answer.errorText;
            request.reply = answer.reply;
            if (request.notifyWindow && request.onCompleted)
                request.notifyWindow->post(request.onCompleted);
        };
    }

    std::vector<InternetRequest> requests()
    {
        std::lock_guard lock(m_mutex);
        return sent;
    }

    std::deque<Answer> answers;

private:
    std::mutex m_mutex;
    std::vector<InternetRequest> sent;
};

} // namespace bv::test
