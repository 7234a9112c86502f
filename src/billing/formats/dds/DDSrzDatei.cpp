#include "billing/formats/dds/DDSrzDatei.h"

#include "billing/AdzCodes.h"
#include "billing/FeeValueTable.h"
#include "billing/formats/dds/DdsTexts.h"
#include "billing/formats/records/DdsFieldTables.h"
#include "billing/formats/records/FieldChecks.h"
#include "billing/formats/records/RecordTexts.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace bv {

namespace txt = dds_texts;

namespace {

// Record types the reader looks at.
constexpr int ControlRecordType = 0;
constexpr int FileRecordType = 10;
constexpr int InvoiceStartType = 100;
constexpr int NameRecordType = 110;
constexpr int PatientRecordType = 121;
constexpr int AmountRecordType = 200;
constexpr int FeeRecordType = 300;
constexpr int AttachmentRecordType = 850;

// Fields of the control record.
enum ControlField
{
    InvoiceCountField = 0,
    ControlTotalField = 1,
    RecordCountField = 2,
    BatchNumberField = 3,
    Field4 = 4,
    DateField = 5,
    Field7 = 7,
    CharacterSetField = 8,
    VersionField = 9,
    MediumField = 10,
    FollowUpField = 11,
};

// An invoice amount above this many hundredths is irregular.
constexpr std::int64_t HighestAmount = 100'000'000;

// The fee value list that limits the values of fee positions.
const char* const FeeValueListName = "0";

bool knownCharacterSet(std::string_view identifier)
{
    return identifier == "C850" || identifier == "C437" || identifier == "ANSI" || identifier == "ASCI";
}

std::string utf8(std::string_view cp1252)
{
    return cp1252ToUtf8(cp1252);
}

// A field's text without the white space at its end.
std::string trimmedRight(std::string_view text)
{
    const auto end = text.find_last_not_of(" \t\r\n\v\f");
    return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

} // namespace

DDSrzDatei::DDSrzDatei(const std::string& path, const Interface& readerInterface, bool currencyMandatory,
                       bool versionLimitOption, bool deferValidation)
    : m_interface(readerInterface), m_versionLimit(versionLimitOption), m_reader(records::DdsFraming),
      m_tables(records::DdsRecordTypes())
{
    Reset();
    m_currencyMandatory = currencyMandatory;
    openFileOrThrow(path);
    if (!deferValidation)
        Validate();
}

DDSrzDatei::~DDSrzDatei() = default;

void DDSrzDatei::Reset()
{
    resetBase();
    m_recordLength = records::DdsFraming.recordLength;
    m_formatWord1 = static_cast<int>(records::DdsFraming.headerLength);
    m_formatWord2 = static_cast<int>(records::DdsFraming.lineEnd);
    m_formatWord3 = static_cast<int>(records::DdsFraming.dataLength);
    m_euroWhenMissing = false;
    m_numericTypeCode = m_interface.numericTypeCode;
    m_typeCodeText = std::string(m_interface.typeCode);
    m_validated = false;
    m_controlRecord.reset();
    m_records.clear();
    m_invoices.clear();
    m_attachments.clear();
    m_customerNumber = -1;
    m_controlCustomerNumber = -1;
    m_batchNumber = -1;
    m_controlTotal = 0;
    m_interfaceText.clear();
    m_attachmentDirectory.clear();
    m_load = LoadState{};
}

std::string DDSrzDatei::GetFormatName() const
{
    const int v = records::VersionThousandths(m_versionText);
    const bool adr = v >= records::version::v(1, 25) && v < records::version::v(2, 0);
    return std::string(adr ? txt::FormatNameAdr : txt::FormatNameVdds) + utf8(m_versionText) +
           std::string(m_interface.formatSuffix);
}

int DDSrzDatei::IsVariant()
{
    return m_interfaceText == m_interface.number ? 1 : 0;
}

int DDSrzDatei::GetSummary(std::string& summary)
{
    summary.clear();
    return 2;
}

std::string DDSrzDatei::GetCustomerNumberText() const
{
    return strFormat("%06d", m_customerNumber);
}

std::string DDSrzDatei::GetBatchNumberText() const
{
    return std::to_string(m_batchNumber);
}

std::string DDSrzDatei::GetInvoiceCountText() const
{
    return std::to_string(m_invoiceCount);
}

int DDSrzDatei::GetAttachmentCount(int /*flag*/)
{
    return static_cast<int>(m_attachments.size());
}

const std::string* DDSrzDatei::GetMember(MemberSlot slot) const
{
    switch (slot) {
    case MemberSlot::Date:
        return &m_dateText;
    case MemberSlot::Status:
        return &m_transmissionName;
    default:
        return nullptr;
    }
}

InvoiceObject* DDSrzDatei::GetInvoiceData(int invoiceIndex)
{
    if (invoiceIndex < 0 || invoiceIndex >= m_invoiceCount ||
        static_cast<std::size_t>(invoiceIndex) >= m_invoices.size())
        return nullptr;
    return &m_invoices[static_cast<std::size_t>(invoiceIndex)];
}

RecordObject* DDSrzDatei::GetInvoice(int recordIndex)
{
    records::CheckInvoiceRecordIndex(recordIndex, m_recordCount, records::DdsFraming.startIndex);
    const auto slot = static_cast<std::size_t>(recordIndex);
    return slot < m_records.size() ? &m_records[slot] : nullptr;
}

// ---- Reading records ----

char* DDSrzDatei::ReadRecord(int index)
{
    char* record = m_reader.frame(index);
    if (!record)
        return nullptr;
    if (const int d = ParseHeader(record))
        throw BV_ADZ_ERROR(adz::RecordHeader,
                           strFormat(record_texts::HeaderError, m_reader.typeText(record).c_str(), index, -d));
    // The control record is read before its character set is known and stays as it is.
    m_reader.convert(record);
    return record;
}

int DDSrzDatei::ParseHeader(const char* recordText)
{
    return m_header.ParseHeader(recordText);
}

void DDSrzDatei::SelectFieldTables(std::string_view versionText)
{
    records::SelectDdsFieldTables(m_tables, versionText, m_versionLimit);
}

int DDSrzDatei::peekFirstRecordType()
{
    char type[4] = {};
    if (!m_openFile || m_openFile->readAt(22, type, sizeof type) != static_cast<std::int64_t>(sizeof type))
        return -1;
    return decimalInt(std::string_view(type, sizeof type));
}

// ---- Opening validation ----

void DDSrzDatei::expectContainer(bool pairs)
{
    m_containerPending = true;
    m_containerPairs = pairs;
}

int DDSrzDatei::Validate()
{
    if (m_containerPending) {
        m_containerPending = false;
        ReadContainer(m_containerPairs);
    }
    m_reader.setCodePage(records::CodePageStep());
    CheckRecordLength();
    m_reader.attach(m_openFile.get(), m_recordCount);
    if (m_recordCount == 0)
        throw BV_ADZ_ERROR(adz::Content, strFormat(record_texts::ShortRead, 0u, 0u));
    const int lastIndex = m_recordCount - 1;
    const char* last = ReadRecord(lastIndex);
    const std::string lastType = m_header.last().recordTypeText;
    int declared = 0;
    m_controlRecord.emplace(ReadControlRecord(last, declared));
    if (declared + 1 != m_recordCount || lastType != "0000")
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(txt::RecordCountMismatch, declared, m_recordCount - 1, utf8(lastType).c_str()));
    if (!IsVariant())
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(txt::WrongInterface, utf8(m_interfaceText).c_str(), utf8(m_versionText).c_str(),
                                     std::string(m_interface.number).c_str(),
                                     std::string(m_interface.versionLabel).c_str()));
    m_validated = true;
    return 1;
}

RecordObject DDSrzDatei::ReadControlRecord(const char* recordText, int& outDeclaredCount)
{
    const records::RecordHeader& header = m_header.last();
    m_customerNumber = m_header.fileCustomerNumber();
    m_controlCustomerNumber = header.customerNumber;
    m_interfaceText = header.interfaceText;

    const records::RecordFraming& framing = records::DdsFraming;
    const std::string_view text(recordText, framing.recordLength);
    m_tables.install(ControlRecordType, records::FieldLayout(records::DdsProvisionalControlFields));
    const records::FieldLayout& fields = *m_tables.find(ControlRecordType);
    RecordObject control(m_recordCount - 1, header, text, framing.headerLength, framing.dataLength, fields, this);
    SelectFieldTables(control.fieldView(1));
    records::CheckFieldsOrThrow(control, records::ControlRecordFieldCode);

    const auto field = [&control](int i) { return control.fieldView(i); };
    outDeclaredCount = decimalInt(field(RecordCountField));
    m_invoiceCount = decimalInt(field(InvoiceCountField));
    m_controlTotal = decimalValue(field(ControlTotalField));
    m_counter2 = static_cast<int>(std::clamp<std::int64_t>(m_controlTotal, INT32_MIN, INT32_MAX));
    m_batchNumber = decimalInt(field(BatchNumberField));
    m_field4Text.assign(field(Field4));
    m_dateText.assign(field(DateField));
    m_currency = m_dateText.substr(0, 4) > "2001" ? currency::EUR : currency::DM;
    m_field7Text = trim(field(Field7));
    m_characterSet.assign(field(CharacterSetField));
    m_versionText.assign(field(VersionField));

    if (m_invoiceCount < 1)
        throw BV_ADZ_ERROR(adz::ControlRecordInvoiceCount, strFormat(txt::InvoiceCountTooSmall, m_invoiceCount));
    if (decimalInt(field(MediumField)) != 1)
        throw BV_ADZ_ERROR(adz::ControlRecordMedium, strFormat(txt::MediumNumber, utf8(field(MediumField)).c_str()));
    if (field(FollowUpField) != "N")
        throw BV_ADZ_ERROR(adz::ControlRecordUnsupported,
                           strFormat(txt::FollowUpMedium, utf8(field(FollowUpField)).c_str()));
    if (!knownCharacterSet(m_characterSet))
        throw BV_ADZ_ERROR(adz::ControlRecordUnsupported, strFormat(txt::CharacterSet, utf8(m_characterSet).c_str()));

    m_transmissionName = strFormat(txt::TransmissionName, GetAttachmentCount(1) >= 1 ? 'X' : 'A', m_customerNumber,
                                   m_batchNumber % 1000);
    m_reader.setCodePage(records::CodePageStep::ForDdsIdentifier(m_characterSet));
    // From now on every record must belong to the reader's interface.
    m_header.expectInterface(std::string(m_interface.number));
    return control;
}

// ---- LOAD_ALL ----

int DDSrzDatei::ReadContents()
{
    if (!m_validated)
        Validate();
    const int lastData = m_recordCount - 1; // the control record is not loaded
    m_records.clear();
    m_records.reserve(static_cast<std::size_t>(std::max(lastData, 0)));
    m_invoices.clear();
    // A file may hold more invoices than it declares: the invoices are kept as they are found (each
    // holds at least one record) and the count check refuses the file at the end.
    m_invoices.reserve(static_cast<std::size_t>(std::clamp(m_invoiceCount + 1, 0, std::max(lastData, 0))));
    m_load = LoadState{};

    for (int r = 0; r < lastData; ++r)
        loadRecord(r, ReadRecord(records::DdsFraming.startIndex + r));

    if (!m_load.invoiceRecordSeen) {
        const std::string last = m_invoices.empty() ? std::string() : m_invoices.back().systemInvoiceNumber;
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::LastInvoiceRecordMissing, utf8(last).c_str()));
    }
    long long recordsInInvoices = 0;
    for (const DDSrzRechnung& invoice : m_invoices)
        recordsInInvoices += invoice.recordCount;
    // At most one record (the file record) may stand before the first invoice.
    if (m_recordCount != recordsInInvoices + 1 && m_recordCount != recordsInInvoices + 2)
        throw BV_ADZ_ERROR(adz::Structural, txt::UnassignedRecords);
    const int found = static_cast<int>(m_invoices.size());
    if (found != m_invoiceCount)
        throw BV_ADZ_ERROR(adz::InvoiceCount, strFormat(txt::InvoiceCountWrong, found, m_invoiceCount));
    return 1;
}

void DDSrzDatei::loadRecord(int r, const char* recordText)
{
    const records::RecordHeader& header = m_header.last();
    const records::FieldLayout* fields = m_tables.find(header.recordType);
    if (!fields)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::UnknownRecordType, header.recordType, r));
    const records::RecordFraming& framing = records::DdsFraming;
    const RecordObject& record = m_records.emplace_back(r, header, std::string_view(recordText, framing.recordLength),
                                                        framing.headerLength, framing.dataLength, *fields, this);

    if (record.recordType() == InvoiceStartType && !record.markerFlag())
        startInvoice(r);
    else if (record.recordType() != FileRecordType)
        continueInvoice(r, record);

    if (record.recordType() != FileRecordType && m_load.running != record.runningNumber())
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(txt::WrongRunningNumber, record.runningNumber(), m_load.running, r));
}

void DDSrzDatei::startInvoice(int r)
{
    const records::RecordHeader& header = m_header.last();
    if (!m_invoices.empty()) {
        DDSrzRechnung& previous = m_invoices.back();
        previous.recordCount = r - previous.firstRecordIndex;
        if (!m_load.invoiceRecordSeen)
            throw BV_ADZ_ERROR(adz::Structural,
                               strFormat(txt::InvoiceRecordMissing, utf8(previous.systemInvoiceNumber).c_str()));
    }
    DDSrzRechnung& invoice = m_invoices.emplace_back();
    invoice.ordinal = static_cast<int>(m_invoices.size()) - 1;
    invoice.number = static_cast<unsigned>(invoice.ordinal) + 1;
    invoice.firstRecordIndex = r;
    invoice.recordCount = m_recordCount - r - 1;
    invoice.records = &m_records[static_cast<std::size_t>(r)];
    invoice.systemInvoiceNumber = header.systemInvoiceNumber;
    invoice.groupMarker = header.groupMarker;
    invoice.currency = m_currency;
    invoice.owner = this;
    m_load.systemInvoiceNumber = header.systemInvoiceNumber;
    m_load.invoiceRecordSeen = false;
    m_load.running = 1;
    bindAttachments(invoice);
}

void DDSrzDatei::continueInvoice(int r, const RecordObject& record)
{
    ++m_load.running;
    const std::string& number = m_header.last().systemInvoiceNumber;
    if (number != m_load.systemInvoiceNumber)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::WrongSystemInvoiceNumber, utf8(number).c_str(),
                                                      utf8(m_load.systemInvoiceNumber).c_str(), r));
    // The system invoice number matched, so an invoice has started.
    DDSrzRechnung& invoice = m_invoices.back();
    if (record.markerFlag()) {
        if (record.recordType() == InvoiceStartType)
            ++invoice.extra0100Count;
        return;
    }
    switch (record.recordType()) {
    case NameRecordType:
        invoice.nameText = trimmedRight(record.fieldView(6));
        break;
    case PatientRecordType:
        if (invoice.nameText.empty())
            invoice.nameText = trimmedRight(record.fieldView(18));
        if (invoice.nameText.empty())
            invoice.nameText = trimmedRight(record.fieldView(0));
        break;
    case AmountRecordType: {
        const std::int64_t amount = decimalValue(record.fieldView(8));
        if (amount < 0 || amount > HighestAmount)
            throw BV_ADZ_ERROR(adz::Structural,
                               strFormat(txt::IrregularAmount, utf8(m_load.systemInvoiceNumber).c_str(), r));
        invoice.amount = amount;
        invoice.amountCopy = amount;
        invoice.secondAmount = decimalValue(record.fieldView(15));
        invoice.counter1 = 0;
        invoice.counter2 = 0;
        m_load.invoiceRecordSeen = true;
        break;
    }
    case FeeRecordType: {
        const FeeValueList* list = m_feeValues ? m_feeValues->FindList(FeeValueListName) : nullptr;
        if (!list)
            break;
        const std::string code = trim(record.fieldView(3));
        if (!FeeValueTable::InRange(*list, code, decimalInt(record.fieldView(5))))
            throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::FeeValueRefused, static_cast<int>(m_invoices.size()),
                                                          utf8(code).c_str()));
        break;
    }
    case AttachmentRecordType: {
        if (m_interfaceText != "03")
            throw BV_ADZ_ERROR(adz::Structural,
                               strFormat(txt::AttachmentRecordWrongInterface, utf8(m_interfaceText).c_str(), r));
        ++m_load.attachmentIndex;
        ++invoice.attachmentCount;
        if (decimalInt(record.fieldView(0)) != m_load.attachmentIndex)
            throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::AttachmentIndexWrong, r, m_load.attachmentIndex));
        break;
    }
    default:
        break;
    }
}

int DDSrzDatei::countRecords(int recordType, bool marked) const
{
    return static_cast<int>(std::count_if(m_records.begin(), m_records.end(), [&](const RecordObject& record) {
        return record.recordType() == recordType && record.markerFlag() == marked;
    }));
}

// ---- Checks ----

std::int64_t DDSrzDatei::invoiceSum() const
{
    std::int64_t sum = 0;
    for (const DDSrzRechnung& invoice : m_invoices)
        sum += invoice.amount;
    return sum;
}

bool DDSrzDatei::totalsMatch(std::int64_t& sum) const
{
    sum = invoiceSum();
    for (const DDSrzRechnung& invoice : m_invoices) {
        if (invoice.amount > HighestAmount || invoice.amount < 0)
            return false;
    }
    return sum == m_controlTotal;
}

int DDSrzDatei::CheckHeader()
{
    std::int64_t sum = 0;
    return totalsMatch(sum) ? 1 : 0;
}

int DDSrzDatei::CheckContents(bool strict)
{
    std::int64_t sum = 0;
    if (!totalsMatch(sum)) {
        const std::string name = CurrencyName();
        throw BV_ADZ_ERROR(adz::ControlTotal,
                           strFormat(txt::TotalWrong, name.c_str(), FormatAmount(m_controlTotal, ',', '.').c_str(),
                                     name.c_str(), FormatAmount(sum, ',', '.').c_str()));
    }
    for (const RecordObject& record : m_records) {
        int position = 0;
        std::string text;
        char letter = 0;
        if (record.CheckRecordFields(position, text, letter))
            continue;
        if (strict)
            throw records::FieldCheckFailure(records::ContentFieldCode, record.recordIndex(), record.recordType(),
                                             position, letter, text);
        return 0;
    }
    for (const DDSrzRechnung& invoice : m_invoices) {
        const RecordObject* first = nullptr;
        // After a pass that stopped early an invoice's count may reach beyond the records loaded.
        const int loaded = static_cast<int>(m_records.size()) - invoice.firstRecordIndex;
        for (int i = 0; i < std::min(invoice.recordCount, loaded) && !first; ++i) {
            if (invoice.records[i].recordType() == NameRecordType)
                first = &invoice.records[i];
        }
        if (!first || first->markerFlag())
            return 0;
    }
    return 1;
}

// ---- Attachment directory ----

std::string DDSrzDatei::AttachmentDirectory()
{
    if (!m_attachmentDirectory.empty())
        return m_attachmentDirectory;
    std::string base = m_temporaryDirectory.empty() ? files::temporaryDirectory() : m_temporaryDirectory;
    if (base.back() != '/')
        base += '/';
    base += txt::AttachmentDirectoryName;
    const auto refuse = [this](const std::string& text) {
        // A run of the practice software must still get its status, and a main window its session:
        // the error is reported like every other, not by ending the program.
        if (m_boxes)
            m_boxes->show(text, txt::CaptionNotice, MbIcon::Warning);
        return BV_ADZ_ERROR(adz::Structural, text);
    };
    if (files::createDirectory(base))
        throw refuse(txt::AttachmentBaseNotCreated);
    const std::string name = GetFilePath(false);
    const std::string directory = base + "/" + name + "/";
    if (files::createDirectory(directory))
        throw refuse(std::string(txt::AttachmentDirectoryNotCreatedStart) + name +
                     txt::AttachmentDirectoryNotCreatedEnd);
    m_attachmentDirectory = directory;
    return m_attachmentDirectory;
}

int DDSrzDatei::EmptyAttachmentDirectory(bool removeDirectory)
{
    const std::string directory = AttachmentDirectory();
    SystemError error;
    const auto entries = files::listDirectory(directory, "*.*", &error);
    if (error)
        return -2;
    int result = 0;
    for (const files::DirEntry& entry : entries) {
        if (!entry.isDirectory && files::removeFile(directory + entry.name))
            result = -3;
    }
    if (result != 0 || !removeDirectory)
        return result;
    if (::rmdir(directory.c_str()) != 0)
        return errno;
    m_attachmentDirectory.clear();
    return 0;
}

} // namespace bv
