#include "billing/MasSamples.h"

#include "billing/formats/records/FieldChecks.h"
#include "billing/formats/records/MasFieldTables.h"
#include "platform/Text.h"

#include <stdexcept>

namespace bv::samples {

namespace {

constexpr std::size_t HeaderLength = 15;
constexpr std::size_t DataLength = 113;

void put(std::string& record, std::size_t offset, std::size_t width, std::string_view value)
{
    std::string text(value.substr(0, width));
    text.resize(width, ' ');
    record.replace(offset, width, text);
}

int typeOf(const std::string& record)
{
    return decimalInt(std::string_view(record).substr(12, 3));
}

} // namespace

MasFileBuilder::MasFileBuilder(MasPlan plan)
    : m_plan(std::move(plan)), m_tables(std::make_unique<records::FieldTableSet>(records::MasRecordTypes()))
{
    records::SelectMasFieldTables(*m_tables, records::MasVersionText(m_plan.version), false);
    build();
}

MasFileBuilder::~MasFileBuilder() = default;

std::string MasFileBuilder::makeRecord(int recordType, const std::string& number) const
{
    std::string record(HeaderLength + DataLength, ' ');
    put(record, 0, 6, strFormat("%06d", m_plan.customerNumber));
    put(record, 6, 6, number);
    put(record, 12, 3, strFormat("%03d", recordType));
    const records::FieldLayout* fields = m_tables->find(recordType);
    if (!fields)
        throw std::invalid_argument("no MAS record type " + std::to_string(recordType));
    for (int i = 0; i < fields->count(); ++i) {
        const char letter = fields->letter(i);
        // Text fields hold blanks here: the default image's parentheses would read as data.
        const std::string image = letter == 'A' ? std::string() : records::DefaultFieldImage(letter, fields->width(i));
        put(record, HeaderLength + static_cast<std::size_t>(fields->offset(i)),
            static_cast<std::size_t>(fields->width(i)), image);
    }
    return record;
}

std::vector<int> MasFileBuilder::indicesOf(int recordType) const
{
    std::vector<int> indices;
    for (int i = 0; i < recordCount(); ++i) {
        if (typeOf(m_records[static_cast<std::size_t>(i)]) == recordType)
            indices.push_back(i);
    }
    return indices;
}

void MasFileBuilder::build()
{
    m_records.clear();
    m_records.push_back(makeRecord(0, "000000"));
    setField(0, 0, "bvls-mcx");
    setField(0, 1, "MAS-SCHNITT");
    setField(0, 2, "20190401");
    setField(0, 4, strFormat("%04d", m_plan.batchNumber));
    if (records::VersionThousandths(records::MasVersionText(m_plan.version)) >= 1200)
        setField(0, 5, m_plan.currency);
    for (int n = 0; n < m_plan.invoices; ++n) {
        const std::string number = strFormat("%06d", n + 1);
        m_records.push_back(makeRecord(100, number));
        setField(recordCount() - 1, 0, "Rechnung " + std::to_string(n + 1));
        m_records.push_back(makeRecord(200, number));
        setField(recordCount() - 1, 0, "M");
        setField(recordCount() - 1, 1, m_plan.recipientName);
        m_records.push_back(makeRecord(201, number));
        setField(recordCount() - 1, 0, "Hauptstrasse 1");
        m_records.push_back(makeRecord(300, number));
        setField(recordCount() - 1, 0, "0001");
        setField(recordCount() - 1, 1, "01");
        setField(recordCount() - 1, 9, m_plan.recipientName);
        for (int s = 0; s < m_plan.servicesPerInvoice; ++s) {
            m_records.push_back(makeRecord(700, number));
            const int r = recordCount() - 1;
            setField(r, 0, m_plan.serviceDate);
            setField(r, 2, "0001");
            setField(r, 3, "0001");
            setField(r, 4, "01000000");
            setField(r, 6, strFormat("%07lld", static_cast<long long>(m_plan.serviceAmount)));
            setField(r, 8, strFormat("%07lld", static_cast<long long>(m_plan.serviceAmount)));
            setField(r, 13, "Beratung");
        }
        m_records.push_back(makeRecord(900, number));
        const std::int64_t total = m_plan.serviceAmount * m_plan.servicesPerInvoice;
        setField(recordCount() - 1, 1, strFormat("%08lld", static_cast<long long>(total)));
        setField(recordCount() - 1, 10, strFormat("%05d", 5 + m_plan.servicesPerInvoice));
        setField(recordCount() - 1, 12, strFormat("%08lld", static_cast<long long>(total)));
    }
    m_records.push_back(makeRecord(990, "000000"));
    setField(summaryIndex(), 1, "MCX1");
    setField(summaryIndex(), 2, m_plan.characterSet);
    setField(summaryIndex(), 3, m_plan.version);
    recount();
}

MasFileBuilder& MasFileBuilder::recount()
{
    int invoices = 0;
    std::int64_t total = 0;
    bool startSeen = false;
    for (const std::string& record : m_records) {
        const int type = typeOf(record);
        if (type == 100 && !startSeen) {
            ++invoices;
            startSeen = true;
        } else if (type == 200) {
            invoices += startSeen ? 0 : 1;
            startSeen = false;
        }
        if (type == 900) {
            const std::string_view area = std::string_view(record).substr(HeaderLength);
            const std::int64_t amount = decimalValue(area.substr(51, 8));
            total += area[50] == '-' ? -amount : amount;
        }
    }
    setField(summaryIndex(), 0, strFormat("%06d", recordCount()));
    setField(summaryIndex(), 4, strFormat("%04d", invoices));
    setField(summaryIndex(), 5, strFormat("%011lld", static_cast<long long>(total)));
    return *this;
}

MasFileBuilder& MasFileBuilder::setField(int recordIndex, int field, std::string_view value)
{
    std::string& record = m_records.at(static_cast<std::size_t>(recordIndex));
    const records::FieldLayout* fields = m_tables->find(typeOf(record));
    if (!fields || field < 0 || field >= fields->count())
        throw std::invalid_argument("no field " + std::to_string(field) + " in MAS record type " +
                                    std::to_string(typeOf(record)));
    put(record, HeaderLength + static_cast<std::size_t>(fields->offset(field)),
        static_cast<std::size_t>(fields->width(field)), value);
    return *this;
}

std::string MasFileBuilder::bytes() const
{
    std::string file;
    file.reserve(m_records.size() * (HeaderLength + DataLength));
    for (const std::string& record : m_records)
        file += record;
    return file;
}

std::string masFile(const MasPlan& plan)
{
    return MasFileBuilder(plan).bytes();
}

} // namespace bv::samples
