#pragma once

#include "app/receipt/ReceiptController.h"
#include "app/receipt/ReceiptView.h"
#include "app/core/ViewDecoration.h"

#include <QDialog>

#include <map>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QGraphicsView;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bv {

class ScriptedUser;

// The receipt dialog "Beleg": the scanned page in a zoomable view beside the scanning, paging and
// partner-billing controls. It only draws; its ReceiptController decides.
class ReceiptDialog : public QDialog, public ReceiptView
{
public:
    ReceiptDialog(ReceiptDependencies dependencies, AttachmentEntry& entry, int mode, PartnerLabList labs,
                  QWidget* parent = nullptr, const ViewDecoration<ReceiptView>& decoration = {});
    ~ReceiptDialog() override;

    ReceiptController& controller() { return *m_controller; }

    // Opens the dialog and runs it modally; true after OK.
    bool run();

    void setTitle(const std::string& title) override;
    void setButtonText(ReceiptButton button, const std::string& text) override;
    void setButtonEnabled(ReceiptButton button, bool enabled) override;
    void setButtonVisible(ReceiptButton button, bool visible) override;
    void setControlEnabled(ReceiptControl control, bool enabled) override;
    void setControlVisible(ReceiptControl control, bool visible) override;
    void setReceiptChecked(bool checked) override;
    void setPartnerChecked(bool checked) override;
    void setPartnerLines(const std::vector<std::string>& lines) override;
    void selectPartnerLine(int index) override;
    void setNumberText(const std::string& text) override;
    void setDateText(const std::string& text) override;
    void setAmountText(const std::string& text) override;
    void setPageText(const std::string& text) override;
    void setZoomText(const std::string& text) override;
    void setChosenFile(const std::string& path) override;
    void moveScanningPlaceToPartner() override;
    void showPage(const PageImage& page, int zoomPercent) override;
    int imageAreaWidth() const override;
    int imageAreaHeight() const override;
    std::optional<std::size_t> chooseSource(const std::vector<ScannerSource>& sources,
                                            const std::string& current) override;
    std::optional<std::string> chooseTiffFile() override;
    ScreenRect workArea() const override;
    ScreenRect windowRect() const override;
    void placeWindow(const WindowPlacement& placement) override;
    void closeDialog(bool ok) override;

    // Escape and the close box mean "Abbrechen".
    void reject() override;

private:
    QPushButton* addButton(ReceiptButton id, const char* objectName, const char* text,
                           void (ReceiptController::*press)());

    std::map<ReceiptButton, QPushButton*> m_buttons;
    QCheckBox* m_receipt;
    QGroupBox* m_partnerGroup;
    QWidget* m_partnerFields;
    QWidget* m_scanningRow;
    QComboBox* m_partnerList;
    QLineEdit* m_number;
    QLineEdit* m_date;
    QLabel* m_amount;
    QLabel* m_pageText;
    QLabel* m_zoomText;
    QLabel* m_chosenFile;
    QGraphicsView* m_view;
    QGraphicsScene* m_scene;
    QGraphicsPixmapItem* m_pixmap;
    std::unique_ptr<ReceiptController> m_controller;
    bool m_closing = false;
};

// Runs the receipt dialog for one entry with the image document and scanner of this machine
// (ImageMagick and SANE); true after OK. With a scripted user the dialog is not shown: its transcript
// decorator answers.
bool runReceiptDialog(ProfileStore& profile, MessageBoxes& boxes, const std::string& caption, AttachmentEntry& entry,
                      int mode, const PartnerLabList& labs, QWidget* parent = nullptr,
                      ScriptedUser* scriptedUser = nullptr);

} // namespace bv
