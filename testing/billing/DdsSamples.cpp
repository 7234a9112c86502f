#include "billing/DdsSamples.h"

#include "billing/formats/records/DdsFieldTables.h"
#include "billing/formats/records/FieldChecks.h"
#include "platform/Text.h"

#include <stdexcept>

namespace bv::samples {

namespace {

constexpr std::size_t HeaderLength = 30;

struct Span
{
    std::size_t offset;
    std::size_t width;
};

Span headerSpan(HeaderPart part)
{
    switch (part) {
    case HeaderPart::CustomerNumber:
        return {0, 8};
    case HeaderPart::Interface:
        return {8, 2};
    case HeaderPart::SystemInvoiceNumber:
        return {10, 10};
    case HeaderPart::GroupMarker:
        return {20, 2};
    case HeaderPart::RecordType:
        return {22, 4};
    case HeaderPart::RunningNumber:
        return {26, 4};
    }
    return {0, 0};
}

void put(std::string& record, std::size_t offset, std::size_t width, std::string_view value)
{
    std::string text(value.substr(0, width));
    text.resize(width, ' ');
    record.replace(offset, width, text);
}

const records::FieldLayout& layoutOf(const records::FieldTableSet& tables, int recordType)
{
    const records::FieldLayout* layout = tables.find(recordType);
    if (!layout)
        throw std::invalid_argument("no DDS-RZ record type " + std::to_string(recordType));
    return *layout;
}

} // namespace

std::string systemInvoiceNumber(int invoice)
{
    return strFormat("%010d", 1000 + invoice);
}

DdsFileBuilder::DdsFileBuilder(DdsPlan plan)
    : m_plan(std::move(plan)), m_tables(std::make_unique<records::FieldTableSet>(records::DdsRecordTypes()))
{
    records::SelectDdsFieldTables(*m_tables, m_plan.version, false);
    build();
}

DdsFileBuilder::~DdsFileBuilder() = default;

std::string DdsFileBuilder::makeRecord(int recordType, const std::string& number, int runningNumber) const
{
    std::string& area = m_templates[recordType];
    if (area.empty()) {
        area.assign(224, ' ');
        const records::FieldLayout& fields = layoutOf(*m_tables, recordType);
        for (int i = 0; i < fields.count(); ++i)
            put(area, static_cast<std::size_t>(fields.offset(i)), static_cast<std::size_t>(fields.width(i)),
                records::DefaultFieldImage(fields.letter(i), fields.width(i)));
    }
    std::string record(256, ' ');
    put(record, 0, 8, strFormat("%08d", m_plan.customerNumber));
    put(record, 8, 2, strFormat("%02d", m_plan.interfaceNumber));
    put(record, 10, 10, number);
    put(record, 20, 2, "00");
    put(record, 22, 4, strFormat("%04d", recordType));
    put(record, 26, 4, strFormat("%04d", runningNumber));
    record.replace(HeaderLength, area.size(), area);
    record[254] = '\r';
    record[255] = '\n';
    return record;
}

void DdsFileBuilder::build()
{
    m_records.clear();
    if (m_plan.fileRecord)
        m_records.push_back(makeRecord(10, std::string(10, ' '), 0));
    for (int n = 0; n < m_plan.invoices; ++n) {
        const std::string number = systemInvoiceNumber(n);
        int running = 0;
        m_records.push_back(makeRecord(100, number, ++running));
        m_records.push_back(makeRecord(110, number, ++running));
        setField(recordCount() - 1, 6, "Muster");
        m_records.push_back(makeRecord(200, number, ++running));
        setField(recordCount() - 1, 8, strFormat("%010lld", static_cast<long long>(m_plan.amount)));
        const int fees = m_plan.feePositions + (n == m_plan.invoices - 1 ? m_plan.extraFeesInLastInvoice : 0);
        for (int f = 0; f < fees; ++f) {
            m_records.push_back(makeRecord(300, number, ++running));
            setField(recordCount() - 1, 3, "4711");
            setField(recordCount() - 1, 5, "0000150");
        }
        for (int a = 0; a < m_plan.attachmentsPerInvoice; ++a) {
            m_records.push_back(makeRecord(850, number, ++running));
            setField(recordCount() - 1, 0, strFormat("%05d", n * m_plan.attachmentsPerInvoice + a + 1));
        }
    }
    m_records.push_back(makeRecord(0, std::string(10, ' '), 0));
    const int control = controlIndex();
    setField(control, 4, "PRAXIS");
    setField(control, 5, m_plan.date);
    setField(control, 8, m_plan.characterSet);
    setField(control, 9, m_plan.version);
    setField(control, 10, "001");
    setField(control, 11, "N");
    recount();
}

DdsFileBuilder& DdsFileBuilder::recount()
{
    const int control = controlIndex();
    int invoices = 0;
    std::int64_t total = 0;
    const records::FieldLayout& amountFields = layoutOf(*m_tables, 200);
    const auto amountAt = HeaderLength + static_cast<std::size_t>(amountFields.offset(8));
    for (int r = 0; r < control; ++r) {
        const std::string& record = m_records[static_cast<std::size_t>(r)];
        const std::string_view type = std::string_view(record).substr(22, 4);
        const bool marked = record.compare(20, 2, "50") >= 0 && record.compare(20, 2, "52") <= 0;
        if (type == "0100" && !marked)
            ++invoices;
        if (type == "0200" && !marked)
            total += decimalValue(std::string_view(record).substr(amountAt, 10));
    }
    setField(control, 0, strFormat("%04d", invoices));
    setField(control, 1, strFormat("%011lld", static_cast<long long>(total)));
    setField(control, 2, strFormat("%05d", control));
    setField(control, 3, strFormat("%04d", m_plan.batchNumber));
    return *this;
}

DdsFileBuilder& DdsFileBuilder::setField(int recordIndex, int field, std::string_view value)
{
    std::string& record = m_records.at(static_cast<std::size_t>(recordIndex));
    const int recordType = decimalInt(std::string_view(record).substr(22, 4));
    const records::FieldLayout* fields = m_tables->find(recordType);
    if (!fields || field < 0 || field >= fields->count())
        throw std::invalid_argument("no field " + std::to_string(field) + " in record type " +
                                    std::to_string(recordType));
    put(record, HeaderLength + static_cast<std::size_t>(fields->offset(field)),
        static_cast<std::size_t>(fields->width(field)), value);
    return *this;
}

DdsFileBuilder& DdsFileBuilder::setHeader(int recordIndex, HeaderPart part, std::string_view value)
{
    const Span span = headerSpan(part);
    put(m_records.at(static_cast<std::size_t>(recordIndex)), span.offset, span.width, value);
    return *this;
}

std::string DdsFileBuilder::bytes() const
{
    std::string file;
    file.reserve(m_records.size() * 256);
    for (const std::string& record : m_records)
        file += record;
    return file;
}

std::string ddsRzFile(const DdsPlan& plan)
{
    return DdsFileBuilder(plan).bytes();
}

DdsLabFile::DdsLabFile(const DdsPlan& plan) : m_builder(plan) {}

DdsLabFile& DdsLabFile::add(int n, int type, const std::vector<LabPosition>& positions)
{
    const std::size_t at = endOf(n);
    auto& records = m_builder.records();
    records.insert(records.begin() + static_cast<long>(at), m_builder.makeRecord(type, systemInvoiceNumber(n), 0));
    static constexpr int Fields[][3] = {{0, 2, 3}, {5, 7, 8}, {10, 12, 13}, {15, 17, 18}};
    for (std::size_t p = 0; p < positions.size() && p < 4; ++p) {
        m_builder.setField(static_cast<int>(at), Fields[p][0], positions[p].text);
        m_builder.setField(static_cast<int>(at), Fields[p][1], strFormat("%07d", positions[p].amount));
        m_builder.setField(static_cast<int>(at), Fields[p][2], positions[p].marker);
    }
    return *this;
}

DdsLabFile& DdsLabFile::set(int n, int type, int field, const std::string& value)
{
    m_builder.setField(indexOf(n, type), field, value);
    return *this;
}

DdsLabFile& DdsLabFile::remove(int n, int type)
{
    m_builder.records().erase(m_builder.records().begin() + indexOf(n, type));
    return *this;
}

DdsLabFile& DdsLabFile::addMarked0100(int n)
{
    const std::size_t at = endOf(n);
    m_builder.records().insert(m_builder.records().begin() + static_cast<long>(at),
                               m_builder.makeRecord(100, systemInvoiceNumber(n), 0));
    m_builder.setHeader(static_cast<int>(at), HeaderPart::GroupMarker, "51");
    return *this;
}

std::string DdsLabFile::bytes()
{
    int running = 0;
    for (int r = 0; r < m_builder.controlIndex(); ++r) {
        const std::string& record = m_builder.records()[static_cast<std::size_t>(r)];
        running = record.compare(22, 4, "0100") == 0 && record.compare(20, 2, "51") != 0 ? 1 : running + 1;
        m_builder.setHeader(r, HeaderPart::RunningNumber, strFormat("%04d", running));
    }
    m_builder.recount();
    return m_builder.bytes();
}

int DdsLabFile::indexOf(int n, int type) const
{
    auto& records = const_cast<DdsFileBuilder&>(m_builder).records();
    for (std::size_t r = 0; r < records.size(); ++r) {
        if (records[r].compare(10, 10, systemInvoiceNumber(n)) == 0 &&
            records[r].compare(22, 4, strFormat("%04d", type)) == 0)
            return static_cast<int>(r);
    }
    return -1;
}

std::size_t DdsLabFile::endOf(int n) const
{
    const auto& records = const_cast<DdsFileBuilder&>(m_builder).records();
    std::size_t end = 0;
    for (std::size_t r = 0; r < records.size(); ++r) {
        if (records[r].compare(10, 10, systemInvoiceNumber(n)) == 0)
            end = r + 1;
    }
    return end;
}

} // namespace bv::samples
