#include "app/unattended/ReceiptTranscript.h"

#include "app/receipt/ReceiptController.h"
#include "app/receipt/ReceiptTexts.h"
#include "app/unattended/ScriptedUser.h"
#include "platform/Text.h"

#include <utility>
#include <vector>

namespace bv {

namespace {

constexpr const char* AnswerPrefix = "beleg\t";

// The partner line of a laboratory is found by the first six characters of its customer number.
std::string firstSix(const std::string& text)
{
    return trim(text).substr(0, 6);
}

} // namespace

ReceiptView& ReceiptTranscript::wrap(ReceiptView& window)
{
    m_window = &window;
    return *this;
}

bool ReceiptTranscript::run(ReceiptController& controller)
{
    DialogTranscript transcript(m_user.session(), receipttext::Title);
    controller.open();
    while (!controller.closed()) {
        const auto answer = m_user.take([](const std::string& a) { return isAnswer(a); });
        if (!answer || !applyAnswer(controller, *this, *answer))
            controller.cancel();
    }
    transcript.field(receipttext::ReceiptCheck, controller.receiptFlag() ? "1" : "0");
    transcript.field("Seiten", std::to_string(controller.pageCount()));
    transcript.close(controller.closedWithOk());
    return controller.closedWithOk();
}

bool ReceiptTranscript::isAnswer(const std::string& answer)
{
    return startsWith(answer, AnswerPrefix);
}

bool ReceiptTranscript::applyAnswer(ReceiptController& controller, ReceiptView& window, const std::string& answer)
{
    if (!isAnswer(answer))
        return false;
    const std::vector<std::string> parts = split(answer.substr(std::string(AnswerPrefix).size()), '\t');
    const std::string& action = parts[0];
    const std::string value = parts.size() > 1 ? parts[1] : std::string();
    const std::vector<std::pair<const char*, void (ReceiptController::*)()>> buttons = {
        {"scan", &ReceiptController::scan},
        {"append", &ReceiptController::append},
        {"insert", &ReceiptController::insert},
        {"delete", &ReceiptController::deletePage},
        {"rotate", &ReceiptController::rotate},
        {"first", &ReceiptController::firstPage},
        {"previous", &ReceiptController::previousPage},
        {"next", &ReceiptController::nextPage},
        {"last", &ReceiptController::lastPage},
        {"zoomin", &ReceiptController::zoomIn},
        {"zoomout", &ReceiptController::zoomOut},
        {"fit", &ReceiptController::fit},
        {"width", &ReceiptController::fitWidth},
        {"source", &ReceiptController::selectSource},
        {"ok", &ReceiptController::ok},
        {"cancel", &ReceiptController::cancel},
    };
    for (const auto& [name, press] : buttons) {
        if (action == name && !(action == "source" && !value.empty())) {
            (controller.*press)();
            return true;
        }
    }
    if (action == "source" && !value.empty())
        controller.selectSourceNamed(value);
    else if (action == "receipt")
        controller.setReceiptFlag(value == "1");
    else if (action == "partner")
        controller.setPartnerFlag(value == "1");
    else if (action == "lab") {
        const PartnerLabList& labs = controller.partnerLabs();
        int line = 0;
        for (std::size_t i = 0; i < labs.size(); ++i) {
            if (!value.empty() && firstSix(labs[i].customerNumber) == firstSix(value))
                line = static_cast<int>(i) + 1;
        }
        controller.selectPartnerLine(line);
    } else if (action == "number") {
        controller.setNumberText(value);
        window.setNumberText(value);
    } else if (action == "date") {
        controller.setDateText(value);
        window.setDateText(value);
    } else
        return false;
    return true;
}

} // namespace bv
