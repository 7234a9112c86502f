#pragma once

#include "app/send/FileChooser.h"
#include "app/send/SendDialogView.h"
#include "app/unattended/DialogTranscript.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace bv {

class ScriptedUser;
class SendDialogController;
class UiDispatcher;

// The send dialog of an unattended run: wraps the window; when the dialog shows itself it writes the
// open line and a field line per visible field, and when it closes the close line (ok when the
// billing centre confirmed the transmission). When the dialog waits for the user it takes "send"
// (presses "Envoyer") or "cancel"; no fitting answer presses "Annuler". While an upload runs, the
// answer "cancel" presses "Annuler". Answers are taken once the current event has been handled, as a
// click would come.
class SendTranscript : public SendDialogView
{
public:
    SendTranscript(ScriptedUser& user, UiDispatcher& dispatcher);

    SendDialogView& wrap(SendDialogView& window);
    void attach(SendDialogController& controller) { m_controller = &controller; }

    void setFieldLabel(SendField field, const std::string& label) override;
    void setFieldText(SendField field, const std::string& text) override;
    void showGroup(SendGroup group, bool visible) override;
    void setButtonEnabled(SendButton button, bool enabled) override { m_window->setButtonEnabled(button, enabled); }
    void setButtonText(SendButton button, const std::string& text) override { m_window->setButtonText(button, text); }
    void setProgress(int percent) override { m_window->setProgress(percent); }
    void setStatusText(const std::string& text) override { m_window->setStatusText(text); }
    void showDialog() override;
    void closeDialog() override;
    void awaitUser() override;
    void awaitCancelDuringUpload() override;

private:
    struct Field
    {
        std::string label;
        std::string text;
    };
    void post(void (SendTranscript::*answer)());
    void answerWaitingDialog();
    void answerDuringUpload();

    ScriptedUser& m_user;
    UiDispatcher& m_dispatcher;
    std::optional<DialogTranscript> m_transcript;
    SendDialogView* m_window = nullptr;
    SendDialogController* m_controller = nullptr;
    std::map<SendField, Field> m_fields;
    bool m_lastBatchShown = true;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0); // posted answers check it
};

// The file chooser of an unattended run: takes the answer "file<TAB>path"; none cancels the choice.
// The test-file dialog it belongs to writes its open line when created and its close line (cancel)
// when it ends.
class TestFileTranscript : public FileChooser
{
public:
    TestFileTranscript(ScriptedUser& user, const std::string& title);

    std::optional<std::string> chooseFile(const std::string& title, const std::string& startDirectory) override;

    // The path an answer "file<TAB>path" names, nullopt for any other answer.
    static std::optional<std::string> answeredPath(const std::string& answer);

private:
    ScriptedUser& m_user;
    DialogTranscript m_transcript;
};

} // namespace bv
