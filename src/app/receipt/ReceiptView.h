#pragma once

#include "app/main/WindowPlacement.h"
#include "app/receipt/PageImage.h"
#include "app/receipt/Scanner.h"

#include <optional>
#include <string>
#include <vector>

namespace bv {

enum class ReceiptButton
{
    Scan,
    DeletePage,
    First,
    Previous,
    Next,
    Last,
    ZoomOut,
    ZoomIn,
    Fit,
    FitWidth,
    Rotate,
    SelectSource,
    Append,
    Insert,
    ChooseFile,
    Ok,
    Cancel
};

// Controls besides the buttons that the controller shows, hides or enables.
enum class ReceiptControl
{
    ReceiptCheck, // "Beleg"
    PartnerGroup, // "Partnerabrechung" with its check
    PartnerFields // partner list, laboratory invoice number and date
};

// The receipt dialog's window as its controller sees it.
class ReceiptView
{
public:
    virtual ~ReceiptView() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setButtonText(ReceiptButton button, const std::string& text) = 0;
    virtual void setButtonEnabled(ReceiptButton button, bool enabled) = 0;
    virtual void setButtonVisible(ReceiptButton button, bool visible) = 0;
    virtual void setControlEnabled(ReceiptControl control, bool enabled) = 0;
    virtual void setControlVisible(ReceiptControl control, bool visible) = 0;
    virtual void setReceiptChecked(bool checked) = 0;
    virtual void setPartnerChecked(bool checked) = 0;
    // The partner list: its lines and the one selected (-1 none).
    virtual void setPartnerLines(const std::vector<std::string>& lines) = 0;
    virtual void selectPartnerLine(int index) = 0;
    virtual void setNumberText(const std::string& text) = 0;
    virtual void setDateText(const std::string& text) = 0;
    virtual void setAmountText(const std::string& text) = 0;
    virtual void setPageText(const std::string& text) = 0;
    virtual void setZoomText(const std::string& text) = 0;
    virtual void setChosenFile(const std::string& path) = 0;
    // Referenced images: the partner controls take the place of the hidden scanning controls.
    virtual void moveScanningPlaceToPartner() = 0;

    // The page drawn at a zoom in per cent; an empty image clears the area.
    virtual void showPage(const PageImage& page, int zoomPercent) = 0;
    // Size of the image area in pixels.
    virtual int imageAreaWidth() const = 0;
    virtual int imageAreaHeight() const = 0;

    virtual std::optional<std::size_t> chooseSource(const std::vector<ScannerSource>& sources,
                                                    const std::string& current) = 0;
    virtual std::optional<std::string> chooseTiffFile() = 0;

    // The window's rectangle, the screen's work area and placing the window.
    virtual ScreenRect workArea() const = 0;
    virtual ScreenRect windowRect() const = 0;
    virtual void placeWindow(const WindowPlacement& placement) = 0;
    // Ends the modal dialog with OK or Cancel.
    virtual void closeDialog(bool ok) = 0;
};

} // namespace bv
