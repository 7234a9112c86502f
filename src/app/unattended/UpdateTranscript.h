#pragma once

#include "app/unattended/DialogTranscript.h"
#include "app/update/UpdateView.h"

namespace bv {

class ScriptedUser;
class UpdateController;

// The update dialog of an unattended run: wraps the window, writes the dialog's open and close lines
// (ok when the installer was started) and, at the download's first progress report, takes the answer
// "cancel" and presses Cancel; any other answer is left for the install question.
class UpdateTranscript : public UpdateView
{
public:
    UpdateTranscript(ScriptedUser& user, const std::string& title);

    UpdateView& wrap(UpdateView& window);
    void attach(UpdateController& controller) { m_controller = &controller; }

    void setProgress(int percent) override;
    void closeDialog() override;

private:
    ScriptedUser& m_user;
    DialogTranscript m_transcript;
    UpdateView* m_window = nullptr;
    UpdateController* m_controller = nullptr;
    bool m_answerTaken = false;
};

} // namespace bv
