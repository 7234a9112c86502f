#include "billing/formats/pad/CPADDatei.h"

#include "billing/AdzCodes.h"
#include "billing/FeeValueTable.h"
#include "billing/formats/mas/MasServiceLines.h"
#include "billing/formats/mas/MasTexts.h"
#include "billing/formats/pad/PadTexts.h"
#include "billing/formats/records/CodePage.h"
#include "billing/formats/records/FieldChecks.h"
#include "billing/formats/records/MasFieldTables.h"
#include "billing/formats/records/PadFieldTables.h"
#include "billing/formats/records/RecordFraming.h"
#include "billing/formats/records/RecordTexts.h"
#include "platform/Text.h"

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace bv {

namespace mtxt = mas_texts;
namespace ptxt = pad_texts;

namespace {

// PAD records are framed like MAS records; a file may follow each with CR LF.
constexpr records::RecordFraming PadFraming = records::MasFraming;
constexpr unsigned LineEndLength = 2;
constexpr std::size_t AreaLength = 113;

constexpr int ControlType = 0;
constexpr int TextStartType = 100;
constexpr int RecipientType = 200;
constexpr int PatientType = 300;
constexpr int ServiceType = 700;
constexpr int EndType = 900;
constexpr int FileEndType = 990;
// The converted invoice is written in the MAS layouts of version 1.1.
constexpr int MasVersion = records::version::v(1, 10);

const char* const NoVersion = "000000";

std::string utf8(std::string_view cp1252)
{
    return cp1252ToUtf8(cp1252);
}

bool isTextRecord(int type)
{
    return type == 400 || type == 410 || type == 500 || type == 600 || type == 800;
}

bool reducibleAfter6a(std::string_view feeCode, std::string_view kind)
{
    return feeCode != "J" && feeCode != "j" && kind != "L";
}

bool sparedFromEast(std::string_view groupCode, int feeNumber)
{
    return (groupCode == "40" || groupCode == "41") && feeNumber >= 110 && feeNumber <= 191;
}

// A name field "last, first, title": its parts, each trimmed.
struct NameParts
{
    std::string last, first, title;
};
NameParts splitName(std::string_view name)
{
    NameParts parts;
    const auto comma = name.find(',');
    parts.last = trim(name.substr(0, comma));
    if (comma == std::string_view::npos)
        return parts;
    const std::string_view rest = name.substr(comma + 1);
    const auto second = rest.find(',');
    parts.first = trim(rest.substr(0, second));
    if (second != std::string_view::npos)
        parts.title = trim(rest.substr(second + 1));
    return parts;
}

// A place "D-10115 Berlin": the country code before the first digit (without trailing blanks and
// hyphens), the postal code (its digits modulo 100000) and the city after it.
struct Place
{
    std::string country;
    int postalCode = 0;
    std::string city;
};
Place splitPlace(std::string_view place)
{
    Place out;
    const auto digit = place.find_first_of("0123456789");
    if (digit == std::string_view::npos) {
        out.city = trim(place);
        return out;
    }
    out.country = trim(place.substr(0, digit));
    while (!out.country.empty() && (out.country.back() == ' ' || out.country.back() == '-'))
        out.country.pop_back();
    std::size_t i = digit;
    for (; i < place.size() && place[i] >= '0' && place[i] <= '9'; ++i)
        out.postalCode = (out.postalCode * 10 + (place[i] - '0')) % 100000;
    out.city = trim(place.substr(i));
    return out;
}

std::string cut(std::string_view text, std::size_t width)
{
    return std::string(text.substr(0, width));
}

char firstChar(std::string_view text)
{
    return text.empty() ? ' ' : text.front();
}

} // namespace

CPADDatei::CPADDatei(const std::string& path, bool currencyMandatory, bool euroWhenMissing, bool lines,
                     bool strictFiller, PadReductions reductions, bool openOnly)
    : m_lines(lines), m_strictFiller(strictFiller), m_reductions(std::move(reductions)),
      m_reader(PadFraming, lines ? PadFraming.recordLength + LineEndLength : 0), m_tables(records::PadRecordTypes()),
      m_masTables(records::MasRecordTypes())
{
    Reset();
    m_currencyMandatory = currencyMandatory;
    m_euroWhenMissing = euroWhenMissing;
    records::SelectMasFieldTables(m_masTables, "1.10", false);
    openFileOrThrow(path);
    if (!openOnly)
        Validate();
}

CPADDatei::~CPADDatei() = default;

void CPADDatei::Reset()
{
    resetBase();
    m_recordLength = PadFraming.recordLength + (m_lines ? LineEndLength : 0);
    m_formatWord1 = static_cast<int>(PadFraming.headerLength);
    m_formatWord2 = m_lines ? static_cast<int>(LineEndLength) : 0;
    m_formatWord3 = static_cast<int>(PadFraming.dataLength);
    m_numericTypeCode = file_type::Pad;
    m_typeCodeText = "PA";
    m_validated = false;
    m_customerNumber = -1;
    m_batchNumber = 0;
    m_declaredInvoices = 0;
    m_invoices6a = 0;
    m_fileTotal = 0;
    m_versionText = NoVersion;
    m_hashText.clear();
    m_invoices.clear();
    m_ranges.clear();
    m_masAreas.clear();
    m_masTypes.clear();
    m_current.reset();
}

std::string CPADDatei::GetFormatName() const
{
    return ptxt::FormatName;
}

void CPADDatei::ThrowSelf()
{
    throw this;
}

std::string CPADDatei::GetCustomerNumberText() const
{
    return strFormat("%06d", m_customerNumber);
}

std::string CPADDatei::GetBatchNumberText() const
{
    return std::to_string(m_batchNumber);
}

std::string CPADDatei::GetInvoiceCountText() const
{
    return std::to_string(m_invoiceCount);
}

const std::string* CPADDatei::GetMember(MemberSlot slot) const
{
    return slot == MemberSlot::Date ? &m_creationDate : nullptr;
}

InvoiceObject* CPADDatei::GetInvoiceData(int invoiceIndex)
{
    if (invoiceIndex < 0 || static_cast<std::size_t>(invoiceIndex) >= m_invoices.size())
        return nullptr;
    return &m_invoices[static_cast<std::size_t>(invoiceIndex)];
}

std::string_view CPADDatei::masArea(int i) const
{
    return {m_masAreas.data() + static_cast<std::size_t>(i) * AreaLength, AreaLength};
}

RecordObject* CPADDatei::GetInvoice(int recordIndex)
{
    // The converted records are the invoice data: index 0 is the first record after the header.
    records::CheckInvoiceRecordIndex(recordIndex, masRecordCount() + 2, 1);
    records::RecordHeader header;
    header.customerNumber = m_customerNumber;
    header.recordType = masRecordType(recordIndex);
    header.recordTypeText = strFormat("%04d", header.recordType);
    const std::string text = std::string(PadFraming.headerLength, ' ') + std::string(masArea(recordIndex));
    m_current.emplace(recordIndex, header, text, PadFraming.headerLength, AreaLength,
                      *m_masTables.find(header.recordType), this);
    return &*m_current;
}

char* CPADDatei::ReadRecord(int index)
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

std::string CPADDatei::dateText(std::string_view date) const
{
    const std::string text = trim(date);
    if (text.empty() || text == "000000" || text == "00000000")
        return "00000000";
    if (date.size() == 8)
        return std::string(date.substr(4, 4)) + std::string(date.substr(2, 2)) + std::string(date.substr(0, 2));
    const int year = decimalInt(date.substr(4, 2));
    return (year < 91 ? "20" : "19") + std::string(date.substr(4, 2)) + std::string(date.substr(2, 2)) +
           std::string(date.substr(0, 2));
}

// ---- Opening validation ----

int CPADDatei::Validate()
{
    m_reader.setCodePage(records::CodePageStep());
    CheckRecordLength();
    m_reader.attach(m_openFile.get(), m_recordCount);
    if (m_recordCount == 0)
        throw BV_ADZ_ERROR(adz::Content, strFormat(record_texts::ShortRead, 0u, 0u));

    const char* control = ReadRecord(0);
    const int firstType = m_header.last().recordType;
    readControlRecord(control);

    const int lastIndex = m_recordCount - 1;
    const char* last = ReadRecord(lastIndex);
    const int lastType = m_header.last().recordType;
    const std::string lastText = utf8(std::string_view(last + 21, 4));
    const RecordObject end(lastIndex, m_header.last(), std::string_view(last, PadFraming.recordLength),
                           PadFraming.headerLength, PadFraming.dataLength, *m_tables.find(FileEndType), this);
    records::CheckFieldsOrThrow(end, records::ControlRecordFieldCode);
    const int declared = decimalInt(end.fieldView(0));
    m_declaredInvoices = m_versionAboveZero ? decimalInt(end.fieldView(1)) : 0;
    // Every record read from now on is OEM text.
    m_reader.setCodePage(records::CodePageStep::ForMasIdentifier("C850"));

    if (m_recordCount > declared + 2 || m_recordCount < declared || firstType != ControlType || lastType != FileEndType)
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(mtxt::RecordCountMismatch, declared, m_recordCount, lastText.c_str()));

    // The invoices: one per recipient record (200) before the last two records.
    m_invoiceCount = 0;
    for (int r = 1; r < m_recordCount - 2; ++r) {
        const char* text = m_reader.frame(r);
        m_invoiceCount += std::string_view(text + 12, 3) == "200" ? 1 : 0;
    }
    m_validated = true;
    return 1;
}

void CPADDatei::readControlRecord(const char* text)
{
    const std::string_view record(text, PadFraming.recordLength);
    m_tables.install(ControlType, records::FieldLayout(records::PadProvisionalControlFields));
    RecordObject control(0, m_header.last(), record, PadFraming.headerLength, PadFraming.dataLength,
                         *m_tables.find(ControlType), this);
    const std::string version(control.fieldView(1));
    m_versionText = trim(version).empty() ? NoVersion : version;
    m_versionAboveZero = decimalValue(m_versionText) != 0;
    records::SelectPadFieldTables(m_tables, m_versionAboveZero, m_strictFiller);
    records::CheckFieldsOrThrow(control, records::ControlRecordFieldCode);

    m_customerNumber = m_header.fileCustomerNumber();
    m_identifier.assign(control.fieldView(1));
    m_creationDate = dateText(control.fieldView(2));
    m_secondIdentifier = m_versionText == NoVersion ? "-" : std::string(control.fieldView(5));
    const std::string currencyText = trim(control.fieldView(6));
    if (m_creationDate.substr(0, 4) < "2002" && currencyText.empty())
        m_currency = currency::DM;
    else if (!currencyText.empty())
        m_currency = IsEuro(currencyText) ? currency::EUR : currency::DM;
    else
        m_currency = currency::EUR;
    m_expectedFileName = strFormat(ptxt::ExpectedFileName, m_customerNumber);
}

// ---- LOAD_ALL and the conversion ----

int CPADDatei::ReadContents()
{
    if (!m_validated)
        Validate();
    m_invoices.clear();
    m_ranges.clear();
    m_masAreas.clear();
    m_masTypes.clear();
    m_invoices6a = 0;
    m_fileTotal = 0;
    // As many invoices as Validate counted invoice records; a file with more still loads (and is then
    // refused by the count comparison).
    m_invoices.reserve(static_cast<std::size_t>(std::max(m_invoiceCount, 0)));
    m_ranges.reserve(static_cast<std::size_t>(std::max(m_invoiceCount, 0)));
    bool mark = false;
    bool waiting = false;
    const FeeValueList* group = nullptr;
    for (int r = 1; r <= m_recordCount - 2; ++r)
        loadRecord(r, ReadRecord(r), mark, waiting, group);

    if (!mark || m_invoices.empty())
        throw BV_ADZ_ERROR(adz::Structural, ptxt::InvoiceRecordMissing);
    long long recordsInInvoices = 0;
    for (const PadRange& range : m_ranges)
        recordsInInvoices += range.count;
    if (m_recordCount != recordsInInvoices + 2)
        throw BV_ADZ_ERROR(adz::Structural, mtxt::UnassignedRecords);
    const int found = static_cast<int>(m_invoices.size());
    if (found != m_invoiceCount)
        throw BV_ADZ_ERROR(adz::InvoiceCount, strFormat(mtxt::InvoiceCountWrong, found, m_invoiceCount));

    // The MAS form of every invoice: about as many records as the file holds.
    m_masAreas.reserve(static_cast<std::size_t>(m_recordCount) * AreaLength);
    m_masTypes.reserve(static_cast<std::size_t>(m_recordCount));
    for (std::size_t i = 0; i < m_invoices.size(); ++i)
        convertInvoice(i);
    m_counter2 = static_cast<int>(std::clamp<std::int64_t>(m_fileTotal, INT32_MIN, INT32_MAX));
    return 1;
}

void CPADDatei::loadRecord(int r, const char* text, bool& mark, bool& waiting, const FeeValueList*& group)
{
    const records::RecordHeader& header = m_header.last();
    const records::FieldLayout* fields = m_tables.find(header.recordType);
    if (!fields)
        throw BV_ADZ_ERROR(adz::Structural, strFormat(mtxt::UnknownRecordType, header.recordType, r));
    const std::string_view area(text + PadFraming.headerLength, PadFraming.dataLength);
    const auto field = [&](int i) { return records::cutField(*fields, area, i); };

    bool opens = false;
    if (header.recordType == TextStartType && !waiting) {
        opens = waiting = true;
    } else if (header.recordType == RecipientType) {
        opens = !waiting;
        waiting = false;
    }
    if (header.recordType == RecipientType)
        mark = true;
    if (opens) {
        if (!m_invoices.empty()) {
            m_ranges.back().count = r - m_ranges.back().first;
            if (!mark)
                throw BV_ADZ_ERROR(adz::Structural, strFormat(mtxt::InvoiceRecordMissing,
                                                              utf8(m_invoices.back().systemInvoiceNumber).c_str()));
        }
        mark = false;
        MasRechnung& invoice = m_invoices.emplace_back();
        invoice.ordinal = static_cast<int>(m_invoices.size()) - 1;
        invoice.number = static_cast<unsigned>(invoice.ordinal) + 1;
        invoice.systemInvoiceNumber = header.systemInvoiceNumber;
        invoice.currency = m_currency;
        invoice.owner = this;
        m_ranges.push_back({r, m_recordCount - 1 - r});
    } else {
        const std::string& current = m_invoices.empty() ? std::string("-") : m_invoices.back().systemInvoiceNumber;
        if (header.systemInvoiceNumber != current)
            throw BV_ADZ_ERROR(adz::Structural,
                               strFormat(mtxt::WrongSystemInvoiceNumber, utf8(header.systemInvoiceNumber).c_str(),
                                         utf8(current).c_str(), r));
    }
    MasRechnung& invoice = m_invoices.back();
    switch (header.recordType) {
    case PatientType:
        if (!invoice.subjectTo6a && decimalInt(field(6)) != 0 && field(7) != "N") {
            invoice.subjectTo6a = true;
            ++m_invoices6a;
        }
        break;
    case RecipientType:
        group = m_feeValues ? m_feeValues->FindList(std::string(field(1))) : nullptr;
        break;
    case ServiceType:
        if (group) {
            const std::string code = trim(field(2));
            if (!FeeValueTable::InRange(*group, code, decimalInt(field(8))))
                throw BV_ADZ_ERROR(adz::Structural, strFormat(mtxt::FeeValueRefused, static_cast<int>(invoice.number),
                                                              utf8(code).c_str()));
        }
        break;
    case EndType:
        mark = true;
        break;
    default:
        break;
    }
}

void CPADDatei::addMasRecord(int type, const std::string& area, int r)
{
    // Every converted area is exactly 113 characters: one that is not holds a value beyond its digits.
    if (area.size() != AreaLength)
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(mtxt::IrregularAmount, utf8(m_invoices.back().systemInvoiceNumber).c_str(), r));
    m_masAreas.insert(m_masAreas.end(), area.begin(), area.end());
    m_masTypes.push_back(static_cast<std::int16_t>(type));
}

void CPADDatei::convertInvoice(std::size_t i)
{
    MasRechnung& invoice = m_invoices[i];
    const PadRange range = m_ranges[i];
    const int invoiceNumber = static_cast<int>(invoice.number);
    const auto throwIrregular = [&](int r) {
        throw BV_ADZ_ERROR(adz::Structural,
                           strFormat(mtxt::IrregularAmount, utf8(invoice.systemInvoiceNumber).c_str(), r));
    };

    // What the recipient (200) and patient (300) records give, and the invoice's body in file order.
    std::string kindCode, groupText, marker, sex, recipient, street;
    std::string place, patient, birth, from, to, code5, code6, code8, patientSex;
    bool haveRecipient = false, havePatient = false;
    std::vector<std::pair<int, std::string>> body;
    std::int64_t value7 = 0, value9 = 0;
    int endRecord = range.first + range.count - 1;

    for (int r = range.first; r < range.first + range.count; ++r) {
        const char* text = ReadRecord(r);
        const int type = m_header.last().recordType;
        const records::FieldLayout& fields = *m_tables.find(type);
        const std::string_view area(text + PadFraming.headerLength, PadFraming.dataLength);
        const auto field = [&](int k) { return records::cutField(fields, area, k); };
        if (type == RecipientType && !haveRecipient) {
            haveRecipient = true;
            kindCode = field(0);
            groupText = field(1);
            marker = field(2);
            sex = field(3);
            recipient = field(4);
            street = field(5);
            invoice.groupCode = groupText;
        } else if (type == PatientType && !havePatient) {
            havePatient = true;
            place = field(0);
            patient = field(1);
            birth = dateText(field(2));
            from = dateText(field(3));
            to = dateText(field(4));
            code5 = field(5);
            code6 = field(6);
            code8 = field(8);
            if (m_versionAboveZero) {
                patientSex = trim(field(11));
                const std::string invoiceCurrency = trim(field(12));
                if (m_versionText != NoVersion && !invoiceCurrency.empty() &&
                    IsEuro(invoiceCurrency) != (m_currency == currency::EUR))
                    throw BV_ADZ_ERROR(adz::Structural,
                                       strFormat(ptxt::InvoiceCurrencyDiffers,
                                                 m_currency == currency::EUR ? "EUR" : "DM", invoiceNumber));
            }
        } else if (isTextRecord(type)) {
            body.emplace_back(type, std::string(area));
        } else if (type == ServiceType) {
            const std::string feeCode = trim(field(2));
            const std::int64_t amount = mas::signedValue(field(5), field(6));
            if (amount == 0 && trim(field(1)).empty() && !feeCode.empty())
                throw BV_ADZ_ERROR(adz::Structural, strFormat(ptxt::UnvaluedServices, invoiceNumber, r));
            const std::string date = dateText(field(0));
            const double east = m_reductions.eastPercentOn(date);
            const bool spared = sparedFromEast(groupText, decimalInt(field(2)));
            std::int64_t reduced = amount;
            if (invoice.subjectTo6a && reducibleAfter6a(feeCode, field(1)))
                reduced = mas::reduceBy(reduced, m_reductions.percent6a);
            std::int64_t second = mas::signedValue(field(9), field(10));
            const std::int64_t secondRead = second;
            if (!spared) {
                reduced = mas::reduceBy(reduced, east);
                second = mas::reduceBy(second, east);
            }
            const std::int64_t third = mas::signedValue(field(11), field(12));
            invoice.amounts += amount;
            invoice.reducedAmounts += reduced;
            invoice.secondValues += secondRead;
            invoice.reducedSecondValues += second;
            invoice.thirdValues += third;

            mas::ServiceLine line;
            line.date = date;
            line.kind = firstChar(field(1));
            line.fee = feeCode;
            line.quantity = field(3);
            line.factor = field(4);
            line.amount = reduced;
            line.valueSign = firstChar(field(7));
            line.value = field(8);
            line.secondValue = second;
            line.thirdValue = third;
            line.text = field(13);
            line.eastPercent = east;
            std::string converted = mas::serviceArea(line, true);
            if (converted.empty())
                throwIrregular(r);
            body.emplace_back(ServiceType, std::move(converted));
        } else if (type == EndType) {
            value7 = mas::signedValue(field(6), field(7));
            value9 = mas::signedValue(field(8), field(9));
            endRecord = r;
        }
    }

    const NameParts recipientName = splitName(recipient);
    const NameParts patientName = splitName(patient);
    const bool patientGiven = !patientName.last.empty() || !patientName.first.empty();
    const bool samePerson =
        !patientGiven || (patientName.last == recipientName.last && patientName.first == recipientName.first);
    invoice.nameText = recipientName.last;
    invoice.firstRecordIndex = masRecordCount();

    addMasRecord(200,
                 strFormat("%c%-40s%-40s%-15s%8s%9s", firstChar(sex), cut(recipientName.last, 40).c_str(),
                           cut(recipientName.first, 40).c_str(), cut(recipientName.title, 15).c_str(),
                           samePerson ? birth.c_str() : "00000000", ""),
                 endRecord);
    const Place where = splitPlace(place);
    addMasRecord(201,
                 strFormat("%-40s%05d%-35s%-3s%30s", cut(trim(street), 40).c_str(), where.postalCode,
                           cut(where.city, 35).c_str(), cut(where.country, 3).c_str(), ""),
                 endRecord);
    if (!samePerson) {
        const char* patientSexCode = patientSex == "w" ? "F" : patientSex == "m" ? "M" : "";
        addMasRecord(250,
                     strFormat("%1s%-40s%-40s%-15s%8s%9s", patientSexCode, cut(patientName.last, 40).c_str(),
                               cut(patientName.first, 40).c_str(), cut(patientName.title, 15).c_str(), birth.c_str(),
                               ""),
                     endRecord);
    }
    const int percent6a = invoice.subjectTo6a ? mas::percentHundredths(m_reductions.percent6a) : 0;
    addMasRecord(300,
                 strFormat("%-4s%02d%c%8s%8s%1d%1d%04d%03d%10s%71s", cut(kindCode, 4).c_str(), decimalInt(groupText),
                           firstChar(marker), from.c_str(), to.c_str(), decimalInt(code5), decimalInt(code6), percent6a,
                           decimalInt(code8), "", ""),
                 endRecord);
    for (const auto& [type, area] : body)
        addMasRecord(type, area, endRecord);

    const int recordCount = masRecordCount() - invoice.firstRecordIndex + 1;
    const std::int64_t total = invoice.reducedAmounts + invoice.thirdValues + value7 + value9;
    const std::string totals = mas::totalsArea(invoice.reducedAmounts, invoice.reducedSecondValues, invoice.thirdValues,
                                               value7, value9, recordCount, total);
    if (totals.empty())
        throwIrregular(endRecord);
    addMasRecord(900, totals, endRecord);
    invoice.recordCount = recordCount;
    invoice.amount = total;
    invoice.amountCopy = total;
    invoice.totalsSeen = true;
    invoice.reductionPercent = invoice.subjectTo6a ? m_reductions.percent6a : 0;
    m_fileTotal += total;
}

// ---- Checks ----

int CPADDatei::CheckContents(bool strict)
{
    for (int r = 1; r <= m_recordCount - 2; ++r) {
        const char* text = ReadRecord(r);
        const records::RecordHeader& header = m_header.last();
        const records::FieldLayout* fields = m_tables.find(header.recordType);
        if (!fields)
            throw BV_ADZ_ERROR(adz::Structural, strFormat(mtxt::UnknownRecordType, header.recordType, r));
        const std::string_view area(text + PadFraming.headerLength, PadFraming.dataLength);
        for (int k = 0; k < fields->count(); ++k) {
            const std::string_view value = records::cutField(*fields, area, k);
            if (records::CheckFieldValue(fields->letter(k), value))
                continue;
            if (!strict)
                return 0;
            throw BV_ADZ_ERROR(records::ContentFieldCode,
                               strFormat(record_texts::FieldCheckFailed, r - 1, header.recordType, k + 4,
                                         fields->letter(k), utf8(value).c_str()));
        }
    }
    return 1;
}

std::string CPADDatei::CalcHash()
{
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha1(), nullptr) != 1)
        throw BV_ADZ_ERROR(adz::Content, strFormat(ptxt::HashReadError, 0));
    const auto length = static_cast<std::int64_t>(m_recordLength);
    std::vector<char> block(static_cast<std::size_t>(length) * 4096);
    int r = 1;
    while (r < m_recordCount) {
        const int records = std::min<int>(4096, m_recordCount - r);
        const std::int64_t n = m_openFile->readAt(r * length, block.data(), static_cast<std::size_t>(records * length));
        const std::int64_t expected = records * length;
        // Only the last record of a file with line ends may lack its CR LF.
        const bool lastShort = m_lines && r + records == m_recordCount && n == expected - LineEndLength;
        if (n != expected && !lastShort) {
            const std::int64_t whole = n < 0 ? 0 : n / length;
            throw BV_ADZ_ERROR(adz::Content, strFormat(ptxt::HashReadError, r + static_cast<int>(whole)));
        }
        EVP_DigestUpdate(context.get(), block.data(), static_cast<std::size_t>(n));
        r += records;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned size = 0;
    EVP_DigestFinal_ex(context.get(), digest, &size);
    m_hashText.assign(reinterpret_cast<const char*>(digest), size);
    return {};
}

// ---- Reduction statistics ----

int CPADDatei::GetSummary(std::string& summary)
{
    mas::ReductionStatistics statistics;
    const records::FieldLayout& invoiceFields = *m_masTables.find(300);
    const records::FieldLayout& serviceFields = *m_masTables.find(ServiceType);
    for (const MasRechnung& invoice : m_invoices) {
        const FeeValueList* list = nullptr;
        for (int i = invoice.firstRecordIndex; i < invoice.firstRecordIndex + invoice.recordCount; ++i) {
            if (masRecordType(i) != 300)
                continue;
            std::string key(records::cutField(invoiceFields, masArea(i), 1));
            if (key == "00")
                key = "01";
            list = m_feeValues ? m_feeValues->FindList(key) : nullptr;
            break;
        }
        for (int i = invoice.firstRecordIndex; i < invoice.firstRecordIndex + invoice.recordCount; ++i) {
            if (masRecordType(i) != ServiceType)
                continue;
            const auto field = [&](int k) { return records::cutField(serviceFields, masArea(i), k); };
            const std::string_view date = field(0);
            const int year = decimalInt(date.substr(0, 4));
            if (!list) {
                statistics.addLine(year, nullptr, {}, 0, 0);
                continue;
            }
            long long value = decimalValue(field(8));
            if (value == 0)
                value = decimalValue(field(6));
            statistics.addLine(year, list, trim(field(2)), value, m_reductions.eastPercentOn(date));
        }
    }
    summary = statistics.text();
    return statistics.padKind();
}

} // namespace bv
