#include "app/contents/ContentsController.h"

#include "app/contents/ContentsTexts.h"
#include "app/contents/FileAttachments.h"
#include "app/login/LoginTexts.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/CAdzException.h"
#include "billing/FormatFacts.h"
#include "billing/formats/records/InvoiceObject.h"
#include "billing/formats/records/RecordObject.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <cstdio>

namespace bv {

namespace t = contentstext;

namespace {

// Columns of the laboratory variants, in display order.
enum LabColumn : std::size_t
{
    RecipientColumn,
    PatientColumn,
    PatientNumberColumn,
    InvoiceNumberColumn,
    AmountColumn,
    IdColumn,
    ReceiptColumn,
    PartnerColumn,
    ButtonColumn,
    LabAmountColumn,
    LabKindColumn,
    LabColumnCount
};
constexpr std::size_t PlainColumnCount = IdColumn + 1;

// State images.
enum StateIcon
{
    AllOk,
    Undecided,
    MoreServices,
    ReceiptHeader,
    NoReceipt,
    ReceiptAssigned,
    PartnerHeader,
    NoPartnerBilling,
    PartnerComplete
};

// The dialog widens itself to its grid and this margin.
constexpr int WidthMargin = 25;

constexpr int PatientRecord = 100;
constexpr int RecipientRecord = 110;
constexpr int InsuredRecord = 121;
constexpr int PatientNumberField = 6;

std::string rightTrimmed(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return cp1252ToUtf8(text.substr(0, end));
}

// "last, first"; empty when both are empty.
std::string nameOf(const RecordObject& record, int lastField, int firstField)
{
    const std::string last = rightTrimmed(record.fieldView(lastField));
    const std::string first = rightTrimmed(record.fieldView(firstField));
    if (last.empty() && first.empty())
        return {};
    return last + ", " + first;
}

const RecordObject* firstRecord(const InvoiceObject& invoice, int recordType)
{
    for (int r = 0; invoice.records && r < invoice.recordCount; ++r) {
        if (invoice.records[r].recordType() == recordType)
            return &invoice.records[r];
    }
    return nullptr;
}

std::string rowKey(int invoiceIndex, int serviceIndex)
{
    return strFormat("%04d/%04d", invoiceIndex, serviceIndex);
}

std::optional<std::pair<int, int>> parseKey(const std::string& key)
{
    int invoice = 0;
    int service = 0;
    char end = 0;
    if (std::sscanf(key.c_str(), "%d/%d%c", &invoice, &service, &end) != 2)
        return std::nullopt;
    return std::pair{invoice, service};
}

// The window and dialogs of a check: nothing is shown.
class NoWindow : public ContentsWindow
{
public:
    void showTable(const TableDescription&, int) override {}
    void updateRow(const TableRow&) override {}
    void setFootnote(const std::string&) override {}
    void print(const std::string&, const std::string&) override {}
    void closeDialog(bool) override {}
};

class NoDialogs : public ContentsDialogs
{
public:
    bool runReceipt(AttachmentEntry&, ReceiptMode, const PartnerLabList&) override { return false; }
    std::optional<std::size_t> chooseAttachment(const std::vector<AttachmentReference>&) override
    {
        return std::nullopt;
    }
};

} // namespace

ContentsController::ContentsController(ContentsWindow& window, ContentsDialogs& dialogs,
                                       ContentsDependencies dependencies, CAbrechnungsDatei& file, ContentsView variant,
                                       PartnerLabList partnerLabs, bool checkMode)
    : m_window(window), m_dialogs(dialogs), m_deps(std::move(dependencies)), m_file(file), m_variant(variant),
      m_labs(std::move(partnerLabs)), m_checkMode(checkMode)
{
    if (!m_deps.now)
        m_deps.now = [] { return std::time(nullptr); };
}

ContentsController::~ContentsController() = default;

bool ContentsController::laboratory() const
{
    return isLaboratory(m_variant);
}

void ContentsController::open()
{
    if (!laboratory() && m_variant != ContentsView::Plain) {
        m_deps.boxes.show(t::CannotInitialise, m_deps.caption, MbIcon::Error);
        close(false);
        return;
    }
    try {
        readSettings();
    } catch (const CAdzException&) {
        close(false); // the attachment directory could not be made; the billing file has said so
        return;
    }
    buildRows();
    if (m_checkMode) {
        m_checkResult = complete() ? 1 : 0;
        m_closed = true;
        return;
    }
    fillTable();
    m_window.setFootnote(m_footnote);
    m_window.showTable(m_table, m_table.totalWidth() + WidthMargin);
}

void ContentsController::readSettings()
{
    const ProfileStore& profile = m_deps.profile;
    const std::string amountNote = profile.read(profilekey::BetragErgText);
    if (!amountNote.empty())
        m_footnote = "* " + amountNote;
    if (!laboratory())
        return;
    m_strict = profile.read(profilekey::StrictCheck) == "1";
    m_keywords.own = splitLabKeywords(profile.read(profilekey::EigenlaborAusdruck));
    m_keywords.external = splitLabKeywords(profile.read(profilekey::FremdlaborAusdruck));
    m_partnerColumn = !m_labs.empty();

    AttachmentLayout layout;
    if (m_variant == ContentsView::NumberedLaboratory) {
        int marked = 0;
        for (int i = 0; i < m_file.invoiceCount(); ++i) {
            if (const InvoiceObject* invoice = m_file.GetInvoiceData(i))
                marked += invoice->extra0100Count;
        }
        const std::string kind = profile.read(profilekey::LaborLeistungenTyp);
        // An empty setting has no first character: it counts as missing.
        m_defaultKind = marked >= 1 || kind.empty() ? 'F' : kind[0];
        layout.kind = AttachmentLayout::Kind::Numbered;
        layout.attachmentDirectory = m_deps.attachments.attachmentDirectory();
    } else {
        m_defaultKind = 'F';
        std::vector<AttachmentInvoice*> invoices;
        for (int i = 0; i < m_file.invoiceCount(); ++i)
            invoices.push_back(m_deps.attachments.invoice(i));
        m_readOnly = AttachmentStore::hasForeignIni(invoices);
        layout.kind = AttachmentLayout::Kind::Referenced;
        layout.readOnly = m_readOnly;
    }
    m_store = std::make_unique<AttachmentStore>(layout, m_deps.boxes, m_deps.now);
}

void ContentsController::buildRows()
{
    for (int i = 0; i < m_file.invoiceCount(); ++i) {
        const InvoiceObject* invoice = m_file.GetInvoiceData(i);
        if (!invoice)
            continue;
        ContentsInvoiceRow row;
        row.attachments.index = i;
        row.attachments.invoiceNumber = rightTrimmed(invoice->systemInvoiceNumber);
        if (const RecordObject* patient = firstRecord(*invoice, PatientRecord)) {
            row.patientName = nameOf(*patient, 0, 1);
            row.patientNumber = rightTrimmed(patient->fieldView(PatientNumberField));
        }
        if (const RecordObject* recipient = firstRecord(*invoice, RecipientRecord))
            row.attachments.recipientName = nameOf(*recipient, 0, 1);
        else if (const RecordObject* insured = firstRecord(*invoice, InsuredRecord))
            row.attachments.recipientName = nameOf(*insured, 3, 2);
        if (row.attachments.recipientName.empty())
            row.attachments.recipientName = row.patientName;
        row.amountText = FormatAmount(invoice->amount, ',', '.');
        row.filled = true;
        if (laboratory()) {
            row.attachments.invoice = m_deps.attachments.invoice(i);
            const std::vector<LabService> services = findLabServices(*invoice, m_keywords, m_defaultKind);
            row.labCount = static_cast<int>(services.size());
            if (!m_strict || !services.empty()) {
                row.editable = true;
                m_store->buildEntries(row.attachments, services);
            }
        }
        m_rows.push_back(std::move(row));
    }
}

std::vector<TableColumn> ContentsController::columns() const
{
    const std::string amountTitle = m_footnote.empty() ? t::Amount : t::AmountStarred;
    using enum CellAlignment;
    if (!laboratory()) {
        const bool patientNumbers = m_file.facts().patientNumbers;
        return {
            {t::Recipient, 165, Left},     {t::Patient, 165, Left},  {t::PatientNumber, patientNumbers ? 70 : 0, Right},
            {t::InvoiceNumber, 80, Right}, {amountTitle, 80, Right}, {t::Id, 0, Right}};
    }
    const bool numbered = m_variant == ContentsView::NumberedLaboratory;
    const bool partner = m_partnerColumn && (numbered || !m_readOnly);
    const auto referenced = [&](int width) { return numbered ? width : (partner ? width : 0); };
    return {{t::Recipient, 125, Left},
            {t::Patient, 125, Left},
            {t::PatientNumber, 70, Right},
            {t::InvoiceNumber, 80, Right},
            {amountTitle, 80, Right},
            {t::Id, 0, Right},
            {"", numbered ? 23 : 0, Centre, ReceiptHeader},
            {"", partner ? 23 : 0, Centre, PartnerHeader},
            {"", referenced(80), Centre},
            {t::LabAmount, referenced(70), Right},
            {t::LabKind, numbered && m_defaultKind != 'F' ? 75 : 0, Left}};
}

void ContentsController::setIcons(TableRow& row, const AttachmentEntry& entry) const
{
    int receipt = Undecided;
    if (!entry.receiptFlag)
        receipt = NoReceipt;
    else if (!entry.receiptPath.empty())
        receipt = ReceiptAssigned;
    row.cells[ReceiptColumn] = TableCell::iconCell(receipt);
    if (!m_partnerColumn || entry.ownLaboratory())
        return;
    int partner = Undecided;
    if (!entry.partnerFlag)
        partner = NoPartnerBilling;
    else if (!entry.partnerCustomerNumber.empty())
        partner = PartnerComplete;
    row.cells[PartnerColumn] = TableCell::iconCell(partner);
}

std::vector<TableRow> ContentsController::rowsOf(const ContentsInvoiceRow& invoice) const
{
    const std::size_t width = laboratory() ? LabColumnCount : PlainColumnCount;
    const auto invoiceTexts = [&](TableRow& row) {
        row.cells[RecipientColumn] = TableCell::textCell(invoice.attachments.recipientName);
        row.cells[PatientColumn] = TableCell::textCell(invoice.patientName);
        row.cells[PatientNumberColumn] = TableCell::textCell(invoice.patientNumber);
        row.cells[InvoiceNumberColumn] = TableCell::textCell(invoice.attachments.invoiceNumber);
        row.cells[AmountColumn] = TableCell::textCell(invoice.amountText);
    };
    std::vector<TableRow> rows;
    const auto& entries = invoice.attachments.entries;
    if (entries.empty()) {
        TableRow row{rowKey(invoice.attachments.index, NoService), std::vector<TableCell>(width)};
        invoiceTexts(row);
        row.cells[IdColumn] = TableCell::textCell(row.key);
        rows.push_back(std::move(row));
        return rows;
    }
    for (std::size_t s = 0; s < entries.size(); ++s) {
        const AttachmentEntry& entry = entries[s];
        TableRow row{rowKey(invoice.attachments.index, static_cast<int>(s)), std::vector<TableCell>(width)};
        if (s == 0)
            invoiceTexts(row);
        row.cells[IdColumn] = TableCell::textCell(row.key);
        row.cells[LabAmountColumn] = TableCell::textCell(strFormat("%d,%02d", entry.amount / 100, entry.amount % 100));
        row.cells[LabKindColumn] = TableCell::textCell(entry.ownLaboratory() ? t::OwnLab : t::ExternalLab);
        if (invoice.editable)
            row.cells[ButtonColumn] = TableCell::button(t::Edit);
        setIcons(row, entry);
        rows.push_back(std::move(row));
    }
    return rows;
}

void ContentsController::fillTable()
{
    m_table = {};
    m_table.columns = columns();
    m_table.iconTooltips.assign(std::begin(t::StateTips), std::end(t::StateTips));
    for (const ContentsInvoiceRow& invoice : m_rows) {
        for (TableRow& row : rowsOf(invoice))
            m_table.rows.push_back(std::move(row));
    }
    TableRow sum{SumKey, std::vector<TableCell>(m_table.columns.size())};
    sum.cells[RecipientColumn] = TableCell::textCell(m_file.GetInvoiceCountText() + t::Invoices);
    sum.cells[AmountColumn] = TableCell::textCell(FormatAmount(m_file.totalAmount(), ',', '.'));
    for (TableCell& cell : sum.cells)
        cell.background = SumColour;
    m_table.rows.push_back(std::move(sum));
}

void ContentsController::edit(const std::string& key)
{
    if (m_closed || !m_store)
        return;
    const auto position = parseKey(key);
    if (!position)
        return;
    const auto [invoiceIndex, serviceIndex] = *position;
    for (ContentsInvoiceRow& row : m_rows) {
        if (row.attachments.index != invoiceIndex)
            continue;
        auto& entries = row.attachments.entries;
        if (!row.editable || serviceIndex < 0 || static_cast<std::size_t>(serviceIndex) >= entries.size())
            return;
        AttachmentEntry& entry = entries[static_cast<std::size_t>(serviceIndex)];
        const AttachmentEntry saved = entry;
        const auto choose = [this](const std::vector<AttachmentReference>& references) {
            return m_dialogs.chooseAttachment(references);
        };
        const auto request =
            m_store->prepareForReceipt(row.attachments, static_cast<std::size_t>(serviceIndex), choose, serviceLine());
        const PartnerLabList noLabs;
        if (!request || !m_dialogs.runReceipt(entry, request->mode, request->withPartnerLabs ? m_labs : noLabs))
            entry = saved;
        for (TableRow& shown : rowsOf(row)) {
            const int index = m_table.rowIndex(shown.key);
            if (index >= 0)
                m_table.rows[static_cast<std::size_t>(index)] = shown;
            m_window.updateRow(shown);
        }
        return;
    }
}

std::string ContentsController::printTitle() const
{
    const int batch = m_file.GetBatchNumber();
    const std::string customer = m_file.GetCustomerNumberText();
    if (batch < 0)
        return strFormat(t::PrintTitleFile, customer.c_str());
    return strFormat(t::PrintTitleBatch, batch, customer.c_str());
}

void ContentsController::print()
{
    if (!m_closed)
        m_window.print(printTitle(), m_footnote);
}

void ContentsController::ok()
{
    if (m_closed)
        return;
    if (m_store) {
        std::vector<AttachmentInvoiceRow> rows;
        for (const ContentsInvoiceRow& row : m_rows)
            rows.push_back(row.attachments);
        m_store->commit(rows);
        // The commit may have tied INI files to the references; the rows keep what it wrote.
        for (std::size_t i = 0; i < rows.size(); ++i)
            m_rows[i].attachments = std::move(rows[i]);
    }
    close(true);
}

void ContentsController::cancel()
{
    if (!m_closed)
        close(false);
}

bool ContentsController::complete() const
{
    if (m_readOnly)
        return true;
    for (const ContentsInvoiceRow& row : m_rows) {
        for (const AttachmentEntry& entry : row.attachments.entries) {
            if (entry.receiptFlag && entry.receiptPath.empty())
                return false;
            if (m_partnerColumn && !entry.ownLaboratory() && entry.partnerFlag && entry.partnerCustomerNumber.empty())
                return false;
        }
    }
    return true;
}

std::string ContentsController::serviceLine() const
{
    return m_deps.profile.read(profilekey::ServicelineTel);
}

void ContentsController::close(bool ok)
{
    m_closed = true;
    m_ok = ok;
    if (!m_checkMode)
        m_window.closeDialog(ok);
}

int checkContents(ContentsDependencies dependencies, CAbrechnungsDatei& file, ContentsView variant,
                  const PartnerLabList& partnerLabs)
{
    NoWindow window;
    NoDialogs dialogs;
    ContentsController controller(window, dialogs, std::move(dependencies), file, variant, partnerLabs, true);
    controller.open();
    return controller.checkResult();
}

int checkContents(ProfileStore& profile, MessageBoxes& boxes, CAbrechnungsDatei& file, ContentsView variant,
                  const PartnerLabList& partnerLabs)
{
    FileAttachments attachments(file);
    return checkContents(ContentsDependencies(profile, boxes, attachments), file, variant, partnerLabs);
}

} // namespace bv
