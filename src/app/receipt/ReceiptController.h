#pragma once

#include "app/receipt/ImageDocument.h"
#include "app/receipt/ReceiptView.h"
#include "app/receipt/Scanner.h"
#include "app/send/PartnerLabList.h"
#include "config/CompanyWord.h"
#include "billing/attachments/AttachmentEntry.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace bv {

class MessageBoxes;
class ProfileStore;

// What the receipt dialog works with.
struct ReceiptDependencies
{
    ReceiptDependencies(ProfileStore& profile_, MessageBoxes& boxes_, ImageDocument& document_, Scanner& scanner_)
        : profile(profile_), boxes(boxes_), document(document_), scanner(scanner_)
    {}

    ProfileStore& profile;
    MessageBoxes& boxes;
    ImageDocument& document;
    Scanner& scanner;
    std::string caption = CompanyWord; // the application title
    ScanIdentity identity;
    std::function<std::time_t()> now; // the system clock when not set
};

// The receipt dialog "Beleg": edits one attachment entry of one laboratory service. The user scans
// the laboratory's invoice page by page into a multi-page TIFF working copy in TmpDir, pages through
// it, zooms, rotates, inserts and deletes pages, and for external laboratories enters the partner
// billing data. OK copies the working copy to the receipt path and fills the entry; Cancel still
// copies the edited document back and leaves it to the caller to restore the entry.
class ReceiptController
{
public:
    // `mode`: 0 an image the practice software delivered, 1 an existing receipt, 2 a new receipt.
    ReceiptController(ReceiptView& view, ReceiptDependencies dependencies, AttachmentEntry& entry, int mode,
                      PartnerLabList partnerLabs);
    ~ReceiptController();
    ReceiptController(const ReceiptController&) = delete;
    ReceiptController& operator=(const ReceiptController&) = delete;

    // Opening: ends with the dialog filled and placed, or closed (no TmpDir).
    void open();

    // The buttons and fields, as the user presses and fills them.
    void scan();   // the scan button: first page, or the next page appended
    void append(); // "Seite Anfügen"
    void insert(); // "Seite Einfügen": before the page shown
    void deletePage();
    void rotate();
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();
    void zoomIn();
    void zoomOut();
    void fit();
    void fitWidth();
    void selectSource();
    // A scripted user names the scanner instead of choosing it in a list.
    void selectSourceNamed(const std::string& name);
    void chooseFile();
    void setReceiptFlag(bool on);
    void setPartnerFlag(bool on);
    void selectPartnerLine(int index); // 0 is the empty line
    void setNumberText(const std::string& text);
    void setDateText(const std::string& text);
    void ok();
    void cancel(); // "Abbrechen", Escape and the close box

    bool closed() const { return m_closed; }
    bool closedWithOk() const { return m_ok; }
    bool hasDocument() const { return m_document; }
    int page() const { return m_page; }
    int pageCount() const { return m_pageCount; }
    int zoomPercent() const { return m_zoom; }
    bool receiptFlag() const { return m_receipt; }
    bool partnerFlag() const { return m_partner; }
    int selectedPartnerLine() const { return m_partnerLine; }
    const PartnerLabList& partnerLabs() const { return m_labs; }
    const std::string& workingCopy() const { return m_workingCopy; }
    const std::string& title() const { return m_title; }

    // The zoom at which a page fits the image area (whole page, or its width only), in per cent.
    static int fitPercent(int pageWidth, int pageHeight, int areaWidth, int areaHeight, bool widthOnly);
    // A laboratory invoice date as the user types it ("5.11.2024", "05.11.2024"); nullopt otherwise.
    static std::optional<std::tm> parseDate(const std::string& text);

private:
    enum class Placement
    {
        Append,
        Insert
    };
    void loadIntoWorkingCopy();
    void scanPage(Placement placement);
    bool acquirePage();
    void rememberSource();
    void loadPage(int page);
    void showCurrent();
    void fitPage(bool widthOnly);
    void updateControls();
    void selectPartnerFor(const std::string& customerNumber);
    bool checkDate(std::time_t& date);
    bool copyBack();
    void writeWindowPosition();
    void close(bool ok);
    void error(const std::string& text);
    std::time_t now() const;

    ReceiptView& m_view;
    ReceiptDependencies m_deps;
    AttachmentEntry& m_entry;
    int m_mode;
    PartnerLabList m_labs;

    std::string m_workingCopy;
    std::string m_title;
    std::string m_source; // the scanner to use; the last one that scanned when not chosen
    bool m_selectSourceShown = false;
    bool m_document = false;
    int m_page = 0;
    int m_pageCount = 0;
    int m_zoom = 100;
    bool m_receipt = false;
    bool m_partner = false;
    int m_partnerLine = 0;
    std::string m_number;
    std::string m_date;
    bool m_opened = false;
    bool m_closed = false;
    bool m_ok = false;
};

} // namespace bv
