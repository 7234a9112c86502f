#pragma once

#include "app/contents/ContentsPorts.h"
#include "app/contents/LabServices.h"
#include "app/contents/TableDescription.h"
#include "app/send/PartnerLabList.h"
#include "billing/FormatFacts.h"
#include "billing/attachments/AttachmentStore.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bv {

class CAbrechnungsDatei;
class MessageBoxes;
class ProfileStore;

// What the contents dialog works with.
struct ContentsDependencies
{
    ContentsDependencies(ProfileStore& profile_, MessageBoxes& boxes_, ContentsAttachments& attachments_)
        : profile(profile_), boxes(boxes_), attachments(attachments_)
    {}

    ProfileStore& profile;
    MessageBoxes& boxes;
    ContentsAttachments& attachments;
    std::string caption = "brevalis"; // of its messages
    std::function<std::time_t()> now; // the system clock when not set
};

// One invoice of the billing file as the dialog lists it.
struct ContentsInvoiceRow
{
    AttachmentInvoiceRow attachments; // index, invoice number, recipient, entries
    std::string patientNumber;
    std::string patientName;
    std::string amountText;
    int labCount = 0;
    bool filled = false;
    bool editable = false;
};

// The invoice contents dialog "Inhalt der Abrechnungsdatei": one grid row per invoice of the billing
// file about to be sent, and for the laboratory variants one row per laboratory service with the
// user's decisions about its receipt and its partner billing. "Bearbeiten" edits a service's
// decisions in the receipt dialog; OK writes them all. In check mode it shows nothing and only
// answers whether every laboratory service is decided.
class ContentsController
{
public:
    // Row key of an invoice without laboratory services.
    static constexpr int NoService = 9999;
    // Key of the sum row.
    static constexpr const char* SumKey = "sum";
    // Grey of the sum row.
    static constexpr CellColour SumColour{192, 192, 192};

    ContentsController(ContentsWindow& window, ContentsDialogs& dialogs, ContentsDependencies dependencies,
                       CAbrechnungsDatei& file, ContentsView variant, PartnerLabList partnerLabs, bool checkMode);
    ~ContentsController();
    ContentsController(const ContentsController&) = delete;
    ContentsController& operator=(const ContentsController&) = delete;

    // Reads the settings and the invoices. Shown: fills the grid. Check mode: decides the result and
    // ends. An unknown variant, or an attachment directory that cannot be made, ends the dialog.
    void open();

    // A "Bearbeiten" button of the row with this key.
    void edit(const std::string& key);
    // "Drucken...".
    void print();
    // OK: writes every decision, then ends with OK.
    void ok();
    // Cancel: ends without writing; decisions edited meanwhile stay changed in memory only.
    void cancel();

    // Every laboratory service decided: no receipt wanted without an image, and (with partner
    // laboratories) no external service with partner billing wanted without a laboratory.
    bool complete() const;
    // Check mode: 1 when complete, else 0 (also when the dialog could not be initialised).
    int checkResult() const { return m_checkResult; }

    bool closed() const { return m_closed; }
    bool closedWithOk() const { return m_ok; }
    const TableDescription& table() const { return m_table; }
    const std::vector<ContentsInvoiceRow>& rows() const { return m_rows; }
    std::vector<ContentsInvoiceRow>& rows() { return m_rows; }
    bool strict() const { return m_strict; }
    char defaultKind() const { return m_defaultKind; }
    bool readOnly() const { return m_readOnly; }
    bool partnerColumn() const { return m_partnerColumn; }
    const std::string& footnote() const { return m_footnote; }
    const LabKeywords& keywords() const { return m_keywords; }
    // The printed page's title.
    std::string printTitle() const;

private:
    bool laboratory() const;
    void readSettings();
    void buildRows();
    void fillTable();
    std::vector<TableColumn> columns() const;
    std::vector<TableRow> rowsOf(const ContentsInvoiceRow& row) const;
    void setIcons(TableRow& row, const AttachmentEntry& entry) const;
    std::string serviceLine() const;
    void close(bool ok);

    ContentsWindow& m_window;
    ContentsDialogs& m_dialogs;
    ContentsDependencies m_deps;
    CAbrechnungsDatei& m_file;
    ContentsView m_variant;
    PartnerLabList m_labs;
    bool m_checkMode;

    std::unique_ptr<AttachmentStore> m_store;
    std::vector<ContentsInvoiceRow> m_rows;
    TableDescription m_table;
    LabKeywords m_keywords;
    bool m_strict = true;
    char m_defaultKind = 'F';
    bool m_readOnly = false;
    bool m_partnerColumn = false;
    std::string m_footnote;
    int m_checkResult = 0;
    bool m_closed = false;
    bool m_ok = false;
};

// Runs the dialog in check mode, without a window: 1 when every laboratory service of the billing
// file is decided, else 0. The send dialog asks it before sending.
int checkContents(ContentsDependencies dependencies, CAbrechnungsDatei& file, ContentsView variant,
                  const PartnerLabList& partnerLabs);
// The same over the billing file's own receipts and attachment directory.
int checkContents(ProfileStore& profile, MessageBoxes& boxes, CAbrechnungsDatei& file, ContentsView variant,
                  const PartnerLabList& partnerLabs);

} // namespace bv
