#include "app/unattended/ContentsTranscript.h"

#include "app/contents/ContentsController.h"
#include "app/contents/ContentsTexts.h"
#include "app/unattended/DialogTranscript.h"
#include "app/unattended/ScriptedUser.h"
#include "billing/attachments/AttachmentTexts.h"
#include "platform/Text.h"

namespace bv {

std::optional<ContentsAnswer> parseContentsAnswer(const std::string& answer)
{
    const std::vector<std::string> parts = split(answer, '\t');
    if (parts.size() < 2 || parts[0] != "inhalt")
        return std::nullopt;
    const std::string value = parts.size() > 2 ? parts[2] : std::string();
    using enum ContentsAnswer::Action;
    if (parts[1] == "edit" && parts.size() == 3)
        return ContentsAnswer{Edit, value};
    if (parts[1] == "print" && parts.size() == 3)
        return ContentsAnswer{Print, value};
    if (parts[1] == "ok" && parts.size() == 2)
        return ContentsAnswer{Ok, {}};
    if (parts[1] == "cancel" && parts.size() == 2)
        return ContentsAnswer{Cancel, {}};
    return std::nullopt;
}

std::optional<std::size_t> parseAttachmentChoice(const std::string& answer)
{
    const std::vector<std::string> parts = split(answer, '\t');
    if (parts.size() != 2 || parts[0] != "anlage")
        return std::nullopt;
    const int number = decimalInt(parts[1]);
    if (number < 1)
        return std::nullopt;
    return static_cast<std::size_t>(number - 1);
}

} // namespace bv

namespace bv {

ContentsWindow& ContentsTranscript::wrap(ContentsWindow& window)
{
    m_window = &window;
    return *this;
}

bool ContentsTranscript::run(ContentsController& controller)
{
    DialogTranscript transcript(m_user.session(), contentstext::Title);
    controller.open();
    while (!controller.closed()) {
        const auto answer = m_user.take([](const std::string& a) { return parseContentsAnswer(a).has_value(); });
        const auto parsed = answer ? parseContentsAnswer(*answer) : std::nullopt;
        if (!parsed) {
            controller.cancel();
            break;
        }
        using enum ContentsAnswer::Action;
        switch (parsed->action) {
        case Edit:
            controller.edit(parsed->value);
            break;
        case Print:
            m_pdfPath = parsed->value;
            controller.print();
            m_pdfPath.clear();
            break;
        case Ok:
            controller.ok();
            break;
        case Cancel:
            controller.cancel();
            break;
        }
    }
    transcript.field("Vollständig", controller.complete() ? "1" : "0");
    transcript.close(controller.closedWithOk());
    return controller.closedWithOk();
}

void ContentsTranscript::print(const std::string& title, const std::string& footnote)
{
    if (!m_pdfPath.empty())
        m_window->printToFile(m_pdfPath, title, footnote);
}

std::optional<std::size_t>
ContentsDialogsTranscript::chooseAttachment(const std::vector<AttachmentReference>& references)
{
    DialogTranscript transcript(m_user.session(), attachmenttext::ChooseTitle);
    const auto answer = m_user.take([](const std::string& a) { return parseAttachmentChoice(a).has_value(); });
    const auto chosen = answer ? parseAttachmentChoice(*answer) : std::nullopt;
    const bool ok = chosen && *chosen < references.size();
    transcript.close(ok);
    return ok ? chosen : std::nullopt;
}

} // namespace bv
