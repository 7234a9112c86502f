#include "app/unattended/SendTranscript.h"

#include "app/send/SendDialogController.h"
#include "app/send/SendTexts.h"
#include "app/unattended/ScriptedUser.h"
#include "platform/Dispatcher.h"

namespace bv {

namespace {

const char* const AnswerSend = "send";
const char* const AnswerCancel = "cancel";
const std::string FileAnswer = "file\t";

// The fields top to bottom with the labels the dialog opens with; the file size has no label of its
// own and no line.
const std::pair<SendField, const char*> FieldOrder[] = {
    {SendField::InvoiceCount, sendtext::InvoiceCountLabel}, {SendField::Amount, sendtext::AmountLabel},
    {SendField::FileDate, sendtext::FileDateLabel},         {SendField::Customer, sendtext::CustomerLabelInitial},
    {SendField::LastBatch, sendtext::LastBatchLabel},       {SendField::LastSend, sendtext::LastSendLabel},
    {SendField::TransferTime, sendtext::TransferTimeLabel},
};

} // namespace

SendTranscript::SendTranscript(ScriptedUser& user, UiDispatcher& dispatcher) : m_user(user), m_dispatcher(dispatcher)
{
    for (const auto& [field, label] : FieldOrder)
        m_fields[field].label = label;
}

SendDialogView& SendTranscript::wrap(SendDialogView& window)
{
    m_window = &window;
    return *this;
}

void SendTranscript::setFieldLabel(SendField field, const std::string& label)
{
    m_fields[field].label = label;
    m_window->setFieldLabel(field, label);
}

void SendTranscript::setFieldText(SendField field, const std::string& text)
{
    m_fields[field].text = text;
    m_window->setFieldText(field, text);
}

void SendTranscript::showGroup(SendGroup group, bool visible)
{
    if (group == SendGroup::LastBatch)
        m_lastBatchShown = visible;
    m_window->showGroup(group, visible);
}

void SendTranscript::showDialog()
{
    m_transcript.emplace(m_user.session(), sendtext::DialogTitle);
    for (const auto& [field, initialLabel] : FieldOrder) {
        if (field == SendField::LastBatch && !m_lastBatchShown)
            continue;
        m_transcript->field(m_fields[field].label, m_fields[field].text);
    }
    m_window->showDialog();
}

void SendTranscript::closeDialog()
{
    if (m_transcript)
        m_transcript->close(m_controller && m_controller->transmissionConfirmed());
    m_window->closeDialog();
}

void SendTranscript::awaitUser()
{
    m_window->awaitUser();
    post(&SendTranscript::answerWaitingDialog);
}

void SendTranscript::awaitCancelDuringUpload()
{
    m_window->awaitCancelDuringUpload();
    post(&SendTranscript::answerDuringUpload);
}

void SendTranscript::post(void (SendTranscript::*answer)())
{
    m_dispatcher.post([this, token = std::weak_ptr<int>(m_alive), answer] {
        if (!token.expired() && m_controller && !m_controller->closed())
            (this->*answer)();
    });
}

void SendTranscript::answerWaitingDialog()
{
    if (m_controller->uploading())
        return;
    const auto answer = m_user.take([](const std::string& a) { return a == AnswerSend || a == AnswerCancel; });
    if (answer && *answer == AnswerSend)
        m_controller->send();
    else
        m_controller->cancel();
}

void SendTranscript::answerDuringUpload()
{
    if (!m_controller->uploading())
        return;
    if (m_user.take([](const std::string& a) { return a == AnswerCancel; }))
        m_controller->cancel();
}

TestFileTranscript::TestFileTranscript(ScriptedUser& user, const std::string& title)
    : m_user(user), m_transcript(user.session(), title)
{}

std::optional<std::string> TestFileTranscript::chooseFile(const std::string&, const std::string&)
{
    const auto answer = m_user.take([](const std::string& a) { return answeredPath(a).has_value(); });
    if (!answer)
        return std::nullopt;
    return answeredPath(*answer);
}

std::optional<std::string> TestFileTranscript::answeredPath(const std::string& answer)
{
    if (answer.rfind(FileAnswer, 0) != 0)
        return std::nullopt;
    return answer.substr(FileAnswer.size());
}

} // namespace bv
