#include "billing/formats/mas/MASrzDatei.h"

#include "billing/AdzCodes.h"
#include "billing/FeeValueTable.h"
#include "billing/formats/mas/MasServiceLines.h"
#include "billing/formats/mas/MasTexts.h"
#include "billing/formats/records/CodePage.h"
#include "billing/formats/records/MasFieldTables.h"
#include "billing/formats/records/RecordFraming.h"
#include "billing/formats/records/RecordTexts.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace bv {

namespace txt = mas_texts;

namespace {

constexpr int HeaderRecordType = 0;
constexpr int InvoiceStartType = 100;
constexpr int RecipientType = 200;
constexpr int InvoiceRecordType = 300;
constexpr int AmountRecordType = 390;
constexpr int ServiceType = 700;
constexpr int TotalsType = 900;
constexpr int SummaryType = 990;

// Fields of the summary record (990).
enum SummaryField
{
    DeclaredCountField = 0,
    KeptTextField = 1,
    CharacterSetField = 2,
    VersionField = 3,
    InvoiceCountField = 4,
    ControlTotalField = 5,
};

// Fields of the header record (000).
enum HeaderField
{
    SenderField = 0,
    InterfaceField = 1,
    HeaderTextField = 2,
    BatchNumberField = 4,
    CurrencyField = 5,
};

// Fields of the invoice record (0300).
enum InvoiceField
{
    GroupCodeField = 1,
    ReductionFlagField = 6,
    ReductionPercentField = 7,
    NameField = 9,
    ReductionMarkerField = 14,
    OstmindField = 15,
};

// Fields of a service line (0700).
enum ServiceField
{
    DateField = 0,
    KindField = 1,
    FeeField = 2,
    QuantityField = 3,
    FactorField = 4,
    AmountSignField = 5,
    AmountField = 6,
    ValueSignField = 7,
    ValueField = 8,
    SecondSignField = 9,
    SecondField = 10,
    ThirdSignField = 11,
    ThirdField = 12,
    TextField = 13,
    EastPercentField = 14,
};

// An invoice amount above this many hundredths is irregular.
constexpr std::int64_t HighestAmount = 100'000'000;
// The marker before the first invoice has named its OSTMIND_FLAG.
const char* const InitialMarker = "I";

bool knownCharacterSet(std::string_view identifier)
{
    return identifier == "C850" || identifier == "C437" || identifier == "ANSI" || identifier == "ASCI" ||
           identifier == "ASC7";
}

std::string utf8(std::string_view cp1252)
{
    return cp1252ToUtf8(cp1252);
}

std::string trimmedRight(std::string_view text)
{
    const auto end = text.find_last_not_of(" \t\r\n\v\f");
    return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

// Fee codes "J" and "j" (expenses) and laboratory lines (kind "L") are never reduced after 6a.
bool reducibleAfter6a(std::string_view feeCode, std::string_view kind)
{
    return feeCode != "J" && feeCode != "j" && kind != "L";
}

// Invoice groups 40 and 41 keep their fees 110 to 191 free of the east reduction.
bool sparedFromEast(std::string_view groupCode, int feeNumber)
{
    return (groupCode == "40" || groupCode == "41") && feeNumber >= 110 && feeNumber <= 191;
}

} // namespace

MASrzDatei::MASrzDatei(const std::string& path, bool currencyMandatory, bool euroWhenMissing, bool versionLimit,
                       bool deferValidation)
    : m_versionLimit(versionLimit), m_reader(records::MasFraming), m_tables(records::MasRecordTypes())
{
    Reset();
    m_currencyMandatory = currencyMandatory;
    m_euroWhenMissing = euroWhenMissing;
    openFileOrThrow(path);
    if (!deferValidation)
        Validate();
}

MASrzDatei::~MASrzDatei() = default;

void MASrzDatei::Reset()
{
    resetBase();
    const records::RecordFraming& framing = records::MasFraming;
    m_recordLength = framing.recordLength;
    m_formatWord1 = static_cast<int>(framing.headerLength);
    m_formatWord2 = static_cast<int>(framing.lineEnd);
    m_formatWord3 = static_cast<int>(framing.dataLength);
    m_numericTypeCode = file_type::Mas;
    m_typeCodeText = "MA";
    m_validated = false;
    m_records.clear();
    m_invoices.clear();
    m_customerNumber = -1;
    m_headerCustomerNumber = -1;
    m_batchNumber = -1;
    m_controlTotal = 0;
    m_reductionMarker = InitialMarker;
    m_load = LoadState{};
}

std::string MASrzDatei::GetFormatName() const
{
    return txt::FormatName;
}

void MASrzDatei::ThrowSelf()
{
    throw this;
}

std::string MASrzDatei::GetCustomerNumberText() const
{
    return strFormat("%06d", m_customerNumber);
}

std::string MASrzDatei::GetBatchNumberText() const
{
    return std::to_string(m_batchNumber);
}

std::string MASrzDatei::GetInvoiceCountText() const
{
    return std::to_string(m_invoiceCount);
}

const std::string* MASrzDatei::GetMember(MemberSlot slot) const
{
    switch (slot) {
    case MemberSlot::Date:
        return &m_headerField2Text;
    case MemberSlot::Status:
        return &m_transmissionName;
    default:
        return nullptr;
    }
}

InvoiceObject* MASrzDatei::GetInvoiceData(int invoiceIndex)
{
    if (invoiceIndex < 0 || static_cast<std::size_t>(invoiceIndex) >= m_invoices.size())
        return nullptr;
    return &m_invoices[static_cast<std::size_t>(invoiceIndex)];
}

RecordObject* MASrzDatei::GetInvoice(int recordIndex)
{
    records::CheckInvoiceRecordIndex(recordIndex, m_recordCount, records::MasFraming.startIndex);
    const auto slot = static_cast<std::size_t>(recordIndex);
    return slot < m_records.size() ? &m_records[slot] : nullptr;
}

char* MASrzDatei::ReadRecord(int index)
{
    char* record = m_reader.frame(index);
    if (!record)
        return nullptr;
    if (const int d = m_header.ParseHeader(record))
        throw BV_ADZ_ERROR(adz::RecordHeader,
                           strFormat(record_texts::HeaderError, m_reader.typeText(record).c_str(), index, -d));
    m_reader.convert(record);
    return record;
}

// ---- Opening validation ----

int MASrzDatei::Validate()
{
    m_reader.setCodePage(records::CodePageStep());
    m_reductionMarker = InitialMarker;
    CheckRecordLength();
    m_reader.attach(m_openFile.get(), m_recordCount);
    if (m_recordCount == 0)
        throw BV_ADZ_ERROR(adz::Content, strFormat(record_texts::ShortRead, 0u, 0u));
    SummaryFacts summary;
    readSummaryRecord(summary);
    const auto mismatch = [&] {
        return BV_ADZ_ERROR(adz::Structural, strFormat(txt::RecordCountMismatch, summary.declaredCount, m_recordCount,
                                                       summary.typeText.c_str()));
    };
    // A first record of another type cannot be read as the header record: it is a structural fault.
    const char* first = ReadRecord(0);
    if (m_header.last().recordType != HeaderRecordType)
        throw mismatch();
    readHeaderRecord(first);
    if (m_recordCount != summary.declaredCount || summary.recordType != SummaryType)
        throw mismatch();
    m_validated = true;
    return 1;
}

void MASrzDatei::readSummaryRecord(SummaryFacts& facts)
{
    const records::RecordFraming& framing = records::MasFraming;
    const char* text = ReadRecord(m_recordCount - 1);
    facts.recordType = m_header.last().recordType;
    facts.typeText = utf8(std::string_view(text + 21, 4));
    m_tables.install(SummaryType, records::FieldLayout(records::MasProvisionalSummaryFields));
    RecordObject summary(m_recordCount - 1, m_header.last(), std::string_view(text, framing.recordLength),
                         framing.headerLength, framing.dataLength, *m_tables.find(SummaryType), this);
    m_versionText.assign(records::MasVersionText(summary.fieldView(1)));
    m_version = records::SelectMasFieldTables(m_tables, m_versionText, m_versionLimit);
    records::CheckFieldsOrThrow(summary, records::ControlRecordFieldCode);

    facts.declaredCount = decimalInt(summary.fieldView(DeclaredCountField));
    m_summaryField1Text = trim(summary.fieldView(KeptTextField));
    m_characterSet.assign(summary.fieldView(CharacterSetField));
    m_invoiceCount = decimalInt(summary.fieldView(InvoiceCountField));
    m_controlTotal = decimalValue(summary.fieldView(ControlTotalField));
    m_counter2 = static_cast<int>(std::clamp<std::int64_t>(m_controlTotal, INT32_MIN, INT32_MAX));
    if (m_invoiceCount <= 0)
        throw BV_ADZ_ERROR(adz::ControlRecordInvoiceCount, strFormat(txt::InvoiceCountTooSmall, m_invoiceCount));
    if (!knownCharacterSet(m_characterSet))
        throw BV_ADZ_ERROR(adz::ControlRecordUnsupported, strFormat(txt::CharacterSet, utf8(m_characterSet).c_str()));
    m_reader.setCodePage(records::CodePageStep::ForMasIdentifier(m_characterSet));
}

void MASrzDatei::readHeaderRecord(const char* text)
{
    const records::RecordFraming& framing = records::MasFraming;
    const RecordObject header(0, m_header.last(), std::string_view(text, framing.recordLength), framing.headerLength,
                              framing.dataLength, *m_tables.find(HeaderRecordType), this);
    records::CheckFieldsOrThrow(header, records::ControlRecordFieldCode);
    m_customerNumber = m_header.fileCustomerNumber();
    m_headerCustomerNumber = m_header.last().customerNumber;
    m_interfaceText.assign(header.fieldView(InterfaceField));
    m_headerField2Text.assign(header.fieldView(HeaderTextField));
    m_batchNumber = decimalInt(header.fieldView(BatchNumberField));
    m_currency = currency::DM;
    if (m_version >= records::version::v(1, 20))
        m_currency = IsEuro(std::string(header.fieldView(CurrencyField))) ? currency::EUR : currency::DM;
    m_ownSender = trimmedRight(header.fieldView(SenderField)) == txt::OwnSender;
    m_transmissionName = strFormat(txt::TransmissionName, GetAttachmentCount(1) >= 1 ? 'X' : 'A', m_customerNumber,
                                   m_batchNumber % 1000);
}

// ---- LOAD_ALL ----

int MASrzDatei::ReadContents()
{
    if (!m_validated)
        Validate();
    const int first = records::MasFraming.startIndex;
    const int last = m_recordCount - 2; // the summary record is not loaded
    m_records.clear();
    m_records.reserve(static_cast<std::size_t>(std::max(last - first + 1, 0)));
    m_invoices.clear();
    // A file may hold more invoices than it declares: they are kept as they are found (each holds at
    // least one record) and the count check refuses the file at the end.
    m_invoices.reserve(static_cast<std::size_t>(std::clamp(m_invoiceCount + 1, 0, std::max(last, 0))));
    m_load = LoadState{};
    m_reductionMarker = InitialMarker;

    for (int r = first; r <= last; ++r)
        loadRecord(r, ReadRecord(r));

    if (m_invoices.empty() || !m_invoices.back().totalsSeen) {
        const std::string number = m_invoices.empty() ? std::string() : m_invoices.back().systemInvoiceNumber;
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::LastInvoiceRecordMissing, utf8(number).c_str()));
    }
    long long recordsInInvoices = 0;
    for (const MasRechnung& invoice : m_invoices)
        recordsInInvoices += invoice.recordCount;
    if (m_recordCount != recordsInInvoices + 2)
        throw BV_ADZ_ERROR(adz::Structural, txt::UnassignedRecords);
    const int found = static_cast<int>(m_invoices.size());
    if (found != m_invoiceCount)
        throw BV_ADZ_ERROR(adz::InvoiceCount, strFormat(txt::InvoiceCountWrong, found, m_invoiceCount));
    return 1;
}

void MASrzDatei::loadRecord(int r, char* recordText)
{
    records::RecordHeader header = m_header.last();
    const records::FieldLayout* fields = m_tables.find(header.recordType);
    if (!fields)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::UnknownRecordType, header.recordType, r));

    // Invoice boundaries: a 0100 record starts an invoice unless one waits for its 0200 record; a 0200
    // record starts one unless it is that awaited record.
    ++m_load.running;
    bool starts = false;
    if (header.recordType == InvoiceStartType && !m_load.startSeen) {
        m_load.startSeen = true;
        starts = true;
    } else if (header.recordType == RecipientType) {
        starts = !m_load.startSeen;
        m_load.startSeen = false;
    }
    if (starts)
        m_load.running = 1;
    header.runningNumber = m_load.running;

    const records::RecordFraming& framing = records::MasFraming;
    RecordObject& record = m_records.emplace_back(r, header, std::string_view(recordText, framing.recordLength),
                                                  framing.headerLength, framing.dataLength, *fields, this);
    if (starts) {
        startInvoice(r);
    } else if (header.systemInvoiceNumber != m_load.systemInvoiceNumber) {
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(txt::WrongSystemInvoiceNumber, utf8(header.systemInvoiceNumber).c_str(),
                                     utf8(m_load.systemInvoiceNumber).c_str(), r));
    }
    // The system invoice number matched, so an invoice has started.
    MasRechnung& invoice = m_invoices.back();
    switch (header.recordType) {
    case RecipientType:
        m_load.feeList = m_feeValues ? m_feeValues->FindList(trim(record.fieldView(1))) : nullptr;
        break;
    case InvoiceRecordType:
        readInvoiceRecord(invoice, record, r);
        break;
    case AmountRecordType:
        invoice.amount = decimalValue(record.fieldView(1));
        invoice.statedAmount = invoice.amount;
        break;
    case ServiceType:
        reduceServiceLine(invoice, record);
        break;
    case TotalsType:
        readTotalsRecord(invoice, record, r);
        break;
    default:
        break;
    }
    const int position = r - invoice.firstRecordIndex + 1;
    if (m_load.running != position)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::WrongRunningNumber, m_load.running, position, r));
}

void MASrzDatei::startInvoice(int r)
{
    const records::RecordHeader& header = m_header.last();
    if (!m_invoices.empty()) {
        MasRechnung& previous = m_invoices.back();
        previous.recordCount = r - previous.firstRecordIndex;
        if (!previous.totalsSeen)
            throw BV_ADZ_ERROR(adz::Structural,
                               strFormat(txt::InvoiceRecordMissing, utf8(previous.systemInvoiceNumber).c_str()));
    }
    MasRechnung& invoice = m_invoices.emplace_back();
    invoice.ordinal = static_cast<int>(m_invoices.size()) - 1;
    invoice.number = static_cast<unsigned>(invoice.ordinal) + 1;
    invoice.firstRecordIndex = r;
    invoice.recordCount = m_recordCount - r - 1;
    invoice.records = &m_records.back();
    invoice.systemInvoiceNumber = header.systemInvoiceNumber;
    invoice.currency = m_currency;
    invoice.owner = this;
    invoice.amount = 0;
    m_load.systemInvoiceNumber = header.systemInvoiceNumber;
}

void MASrzDatei::readInvoiceRecord(MasRechnung& invoice, const RecordObject& record, int /*r*/)
{
    invoice.nameText = trimmedRight(record.fieldView(NameField));
    invoice.groupCode.assign(record.fieldView(GroupCodeField));
    invoice.reductionMarker = trimmedRight(record.fieldView(ReductionMarkerField));
    invoice.reductionPercent = decimalInt(record.fieldView(ReductionPercentField)) * 0.01;
    invoice.ostmindFlag = trimmedRight(record.fieldView(OstmindField));
    // Every invoice of a file must say the same about the east reduction.
    if (m_reductionMarker == InitialMarker)
        m_reductionMarker = invoice.ostmindFlag;
    else if (invoice.ostmindFlag != m_reductionMarker)
        throw BV_ADZ_ERROR(adz::Structural, txt::OstmindFlagsDiffer);
}

void MASrzDatei::reduceServiceLine(MasRechnung& invoice, RecordObject& record)
{
    const auto field = [&record](int i) { return record.fieldView(i); };
    const std::string feeCode = trim(field(FeeField));
    if (m_load.feeList && !FeeValueTable::InRange(*m_load.feeList, feeCode, decimalInt(field(ValueField))))
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(txt::FeeValueRefused, static_cast<int>(m_invoices.size()), utf8(feeCode).c_str()));

    const std::int64_t amount = mas::signedValue(field(AmountSignField), field(AmountField));
    const std::int64_t second = mas::signedValue(field(SecondSignField), field(SecondField));
    const std::int64_t third = mas::signedValue(field(ThirdSignField), field(ThirdField));
    const double east = decimalInt(field(EastPercentField)) * 0.01;
    const bool eastApplies = invoice.ostmindFlag == "M" && east > 0;

    std::int64_t reduced = amount;
    if (invoice.reductionMarker == "M" && reducibleAfter6a(feeCode, field(KindField)))
        reduced = mas::reduceBy(reduced, invoice.reductionPercent);
    if (eastApplies && !sparedFromEast(invoice.groupCode, decimalInt(field(FeeField))))
        reduced = mas::reduceBy(reduced, east);
    const std::int64_t reducedSecond = eastApplies ? mas::reduceBy(second, east) : second;

    invoice.amounts += amount;
    invoice.reducedAmounts += reduced;
    invoice.secondValues += second;
    invoice.reducedSecondValues += reducedSecond;
    invoice.thirdValues += third;

    mas::ServiceLine line;
    line.date = field(DateField);
    line.kind = field(KindField).empty() ? ' ' : field(KindField).front();
    line.fee = field(FeeField);
    line.quantity = field(QuantityField);
    line.factor = field(FactorField);
    line.amount = reduced;
    line.valueSign = field(ValueSignField).empty() ? ' ' : field(ValueSignField).front();
    line.value = field(ValueField);
    line.secondValue = reducedSecond;
    line.thirdValue = third;
    line.text = field(TextField);
    line.eastPercent = east;
    // A 1.0 file keeps the layout of its own version, whose table has no east percentage.
    const std::string area = mas::serviceArea(line, m_version >= records::version::v(1, 10));
    if (area.empty())
        throwIrregularAmount(record.recordIndex());
    record.replaceData(area);
}

void MASrzDatei::readTotalsRecord(MasRechnung& invoice, RecordObject& record, int r)
{
    const auto field = [&record](int i) { return record.fieldView(i); };
    std::int64_t amount = mas::signedValue(field(11), field(12));
    if (amount > HighestAmount)
        throwIrregularAmount(r);
    invoice.totalsSeen = true;
    invoice.statedAmount = amount;
    const std::int64_t value7 = mas::signedValue(field(6), field(7));
    const std::int64_t value9 = mas::signedValue(field(8), field(9));
    if (invoice.reductionMarker == "M" || invoice.ostmindFlag == "M") {
        amount = value9 + value7 + invoice.thirdValues + invoice.reducedAmounts;
        const std::string area = mas::totalsArea(invoice.reducedAmounts, invoice.reducedSecondValues,
                                                 invoice.thirdValues, value7, value9, decimalInt(field(10)), amount);
        if (area.empty())
            throwIrregularAmount(r);
        record.replaceData(area);
    }
    invoice.amount = amount;
    invoice.amountCopy = amount;
}

void MASrzDatei::throwIrregularAmount(int r) const
{
    throw BV_ADZ_ERROR(adz::Structural, strFormat(txt::IrregularAmount, utf8(m_load.systemInvoiceNumber).c_str(), r));
}

// ---- Checks ----

std::int64_t MASrzDatei::invoiceSum() const
{
    std::int64_t sum = 0;
    for (const MasRechnung& invoice : m_invoices)
        sum += invoice.amount;
    return sum;
}

// The practice software writes the unreduced amounts into the 0900 records and sums them into the
// summary's control total; the reductions are applied only here, in memory. The control total is
// therefore checked against the amounts as the file states them, else every file with a reduction
// would fail its own totals check.
bool MASrzDatei::totalsMatch(std::int64_t& sum) const
{
    sum = 0;
    for (const MasRechnung& invoice : m_invoices)
        sum += invoice.statedAmount;
    const bool regular = std::none_of(m_invoices.begin(), m_invoices.end(),
                                      [](const MasRechnung& invoice) { return invoice.statedAmount > HighestAmount; });
    return regular && sum == m_controlTotal;
}

int MASrzDatei::CheckHeader()
{
    std::int64_t sum = 0;
    return totalsMatch(sum) ? 1 : 0;
}

int MASrzDatei::CheckContents(bool strict)
{
    std::int64_t sum = 0;
    if (!totalsMatch(sum))
        throw BV_ADZ_ERROR(adz::ControlTotal, strFormat(txt::TotalWrong, FormatAmount(m_controlTotal, ',', '.').c_str(),
                                                        FormatAmount(sum, ',', '.').c_str()));
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
    return 1;
}

// ---- Reduction statistics ----

int MASrzDatei::GetSummary(std::string& summary)
{
    mas::ReductionStatistics statistics;
    for (const MasRechnung& invoice : m_invoices) {
        const RecordObject* invoiceRecord = nullptr;
        for (int i = 0; i < invoice.recordCount && !invoiceRecord; ++i) {
            if (invoice.records[i].recordType() == InvoiceRecordType)
                invoiceRecord = &invoice.records[i];
        }
        const FeeValueList* list = nullptr;
        bool has6a = false;
        double percent = 0;
        if (invoiceRecord) {
            if (m_feeValues)
                list = m_feeValues->FindList(std::string(invoiceRecord->fieldView(GroupCodeField)));
            const int flag = decimalInt(invoiceRecord->fieldView(ReductionFlagField));
            const int hundredths = decimalInt(invoiceRecord->fieldView(ReductionPercentField));
            has6a = flag != 0 && hundredths != 0;
            percent = has6a ? hundredths * 0.01 : 0;
        }
        for (int i = 0; i < invoice.recordCount; ++i) {
            const RecordObject& line = invoice.records[i];
            if (line.recordType() != ServiceType)
                continue;
            const auto field = [&line](int k) { return line.fieldView(k); };
            const int year = decimalInt(field(DateField).substr(0, 4));
            if (!list) {
                statistics.addLine(year, nullptr, {}, 0, percent);
                continue;
            }
            const std::string feeCode = trim(field(FeeField));
            const auto a = static_cast<double>(decimalValue(field(AmountField)));
            const int quantity = decimalInt(field(QuantityField));
            const double factor = decimalInt(field(FactorField)) * 0.000001;
            const double q = quantity == 0 ? 1.0 : quantity;
            const double f = factor == 0 ? 1.0 : factor;
            const double u = has6a && reducibleAfter6a(feeCode, field(KindField)) && percent < 100
                                 ? 100.0 / (100.0 - percent) * a
                                 : a;
            const double v = std::floor(u / (f * q) + 0.5);
            statistics.addLine(year, list, feeCode, static_cast<long long>(std::clamp(v, -1e15, 1e15)), percent);
        }
    }
    summary = statistics.text();
    return statistics.masKind();
}

} // namespace bv
