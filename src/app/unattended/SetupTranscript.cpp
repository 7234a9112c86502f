#include "app/unattended/SetupTranscript.h"

#include "app/unattended/DialogTranscript.h"
#include "app/unattended/ScriptedUser.h"
#include "config/ConfigTexts.h"
#include "config/SetupController.h"
#include "platform/Text.h"

namespace bv {

namespace {

const char* const AnswerCancel = "cancel";

bool fitsSetupDialog(const std::string& text)
{
    if (text == AnswerCancel)
        return true;
    const auto fields = split(text, '\t');
    return fields.size() == 4 && fields[0] == "setup" && startsWith(fields[2], "useproxy ") &&
           startsWith(fields[3], "uselan ");
}

} // namespace

bool runSetupTranscript(ScriptedUser& user, SetupController& controller)
{
    DialogTranscript transcript(user.session(), configtext::SetupCaption);
    const auto answer = user.take(fitsSetupDialog);
    if (!answer || *answer == AnswerCancel)
        return false;
    const auto fields = split(*answer, '\t');
    SetupState state;
    state.choice = SetupState::Choice::Directory;
    state.directory = fields[1];
    state.useProxy = fields[2] == "useproxy 1";
    state.useLan = fields[3] == "uselan 1";
    controller.accept(state);
    transcript.close(true);
    return true;
}

} // namespace bv
