#pragma once

#include "app/receipt/ReceiptView.h"
#include "app/unattended/DialogTranscript.h"

#include <optional>
#include <string>

namespace bv {

class ReceiptController;
class ScriptedUser;

// The receipt dialog "Beleg" of an unattended run: wraps the window (the scanner list and the file
// chooser are not offered) and runs the dialog with the answers "beleg<TAB>action[<TAB>value]", which
// press its buttons and fill its fields until it closes; the first answer that is not for it (or none
// left) cancels it. Before the close line it writes the receipt flag and the page count.
class ReceiptTranscript : public ReceiptView
{
public:
    explicit ReceiptTranscript(ScriptedUser& user) : m_user(user) {}

    ReceiptView& wrap(ReceiptView& window);
    // Opens the dialog and answers it until it closes; true after OK.
    bool run(ReceiptController& controller);

    // Whether an answer is for this dialog, and what it does (false when it names nothing it has).
    static bool isAnswer(const std::string& answer);
    static bool applyAnswer(ReceiptController& controller, ReceiptView& window, const std::string& answer);

    void setTitle(const std::string& title) override { m_window->setTitle(title); }
    void setButtonText(ReceiptButton button, const std::string& text) override
    {
        m_window->setButtonText(button, text);
    }
    void setButtonEnabled(ReceiptButton button, bool enabled) override { m_window->setButtonEnabled(button, enabled); }
    void setButtonVisible(ReceiptButton button, bool visible) override { m_window->setButtonVisible(button, visible); }
    void setControlEnabled(ReceiptControl control, bool enabled) override
    {
        m_window->setControlEnabled(control, enabled);
    }
    void setControlVisible(ReceiptControl control, bool visible) override
    {
        m_window->setControlVisible(control, visible);
    }
    void setReceiptChecked(bool checked) override { m_window->setReceiptChecked(checked); }
    void setPartnerChecked(bool checked) override { m_window->setPartnerChecked(checked); }
    void setPartnerLines(const std::vector<std::string>& lines) override { m_window->setPartnerLines(lines); }
    void selectPartnerLine(int index) override { m_window->selectPartnerLine(index); }
    void setNumberText(const std::string& text) override { m_window->setNumberText(text); }
    void setDateText(const std::string& text) override { m_window->setDateText(text); }
    void setAmountText(const std::string& text) override { m_window->setAmountText(text); }
    void setPageText(const std::string& text) override { m_window->setPageText(text); }
    void setZoomText(const std::string& text) override { m_window->setZoomText(text); }
    void setChosenFile(const std::string& path) override { m_window->setChosenFile(path); }
    void moveScanningPlaceToPartner() override { m_window->moveScanningPlaceToPartner(); }
    void showPage(const PageImage& page, int zoomPercent) override { m_window->showPage(page, zoomPercent); }
    int imageAreaWidth() const override { return m_window->imageAreaWidth(); }
    int imageAreaHeight() const override { return m_window->imageAreaHeight(); }
    std::optional<std::size_t> chooseSource(const std::vector<ScannerSource>&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> chooseTiffFile() override { return std::nullopt; }
    ScreenRect workArea() const override { return m_window->workArea(); }
    ScreenRect windowRect() const override { return m_window->windowRect(); }
    void placeWindow(const WindowPlacement& placement) override { m_window->placeWindow(placement); }
    void closeDialog(bool ok) override { m_window->closeDialog(ok); }

private:
    ScriptedUser& m_user;
    ReceiptView* m_window = nullptr;
};

} // namespace bv
