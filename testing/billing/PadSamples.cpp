#include "billing/PadSamples.h"

#include "billing/formats/records/FieldChecks.h"
#include "billing/formats/records/PadFieldTables.h"
#include "platform/Text.h"

#include <stdexcept>

namespace bv::samples {

namespace {

constexpr std::size_t HeaderLength = 15;
constexpr std::size_t RecordLength = 128;

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

PadFileBuilder::PadFileBuilder(PadPlan plan)
    : m_plan(std::move(plan)), m_tables(std::make_unique<records::FieldTableSet>(records::PadRecordTypes()))
{
    records::SelectPadFieldTables(*m_tables, decimalValue(m_plan.version) != 0, false);
    build();
}

PadFileBuilder::~PadFileBuilder() = default;

std::string PadFileBuilder::makeRecord(int recordType, const std::string& number) const
{
    std::string record(RecordLength, ' ');
    put(record, 0, 6, strFormat("%06d", m_plan.customerNumber));
    put(record, 6, 6, number);
    put(record, 12, 3, strFormat("%03d", recordType));
    const records::FieldLayout* fields = m_tables->find(recordType);
    if (!fields)
        throw std::invalid_argument("no PAD record type " + std::to_string(recordType));
    for (int i = 0; i < fields->count(); ++i) {
        const char letter = fields->letter(i);
        std::string image;
        if (letter == 'N')
            image = std::string(static_cast<std::size_t>(fields->width(i)), '0');
        else if (letter == '2')
            image = "010170";
        put(record, HeaderLength + static_cast<std::size_t>(fields->offset(i)),
            static_cast<std::size_t>(fields->width(i)), image);
    }
    return record;
}

std::vector<int> PadFileBuilder::indicesOf(int recordType) const
{
    std::vector<int> indices;
    for (int i = 0; i < recordCount(); ++i) {
        if (typeOf(m_records[static_cast<std::size_t>(i)]) == recordType)
            indices.push_back(i);
    }
    return indices;
}

void PadFileBuilder::build()
{
    m_records.clear();
    m_records.push_back(makeRecord(0, "000000"));
    setField(0, 0, "PADDATEI");
    setField(0, 1, "KENNUNG-0001");
    setField(0, 2, m_plan.creationDate);
    setField(0, 4, m_plan.version);
    setField(0, 6, m_plan.currency);
    for (int n = 0; n < m_plan.invoices; ++n) {
        const std::string number = strFormat("%06d", n + 1);
        m_records.push_back(makeRecord(100, number));
        setField(recordCount() - 1, 0, "Rechnung Nr. " + std::to_string(n + 1));
        m_records.push_back(makeRecord(200, number));
        int r = recordCount() - 1;
        setField(r, 0, "0001").setField(r, 1, "01").setField(r, 3, "M");
        setField(r, 4, "Muster,Hans,Dr.").setField(r, 5, "Hauptstrasse 1");
        m_records.push_back(makeRecord(300, number));
        r = recordCount() - 1;
        setField(r, 0, "D-10115 Berlin").setField(r, 1, "Muster,Hans").setField(r, 2, "15061960");
        setField(r, 3, m_plan.serviceDate).setField(r, 4, m_plan.serviceDate);
        setField(r, 5, "1")
            .setField(r, 6, m_plan.subjectTo6a ? "1" : "0")
            .setField(r, 7, m_plan.subjectTo6a ? "J" : "N");
        setField(r, 8, "123");
        if (decimalValue(m_plan.version) != 0)
            setField(r, 11, "m").setField(r, 12, m_plan.currency);
        for (int s = 0; s < m_plan.servicesPerInvoice; ++s) {
            m_records.push_back(makeRecord(700, number));
            r = recordCount() - 1;
            setField(r, 0, m_plan.serviceDate).setField(r, 2, "1").setField(r, 3, "0001").setField(r, 4, "00000000");
            setField(r, 6, strFormat("%07lld", static_cast<long long>(m_plan.serviceAmount)));
            setField(r, 8, strFormat("%07lld", static_cast<long long>(m_plan.serviceAmount)));
            setField(r, 13, "Beratung");
        }
        m_records.push_back(makeRecord(900, number));
        r = recordCount() - 1;
        setField(r, 1, strFormat("%08lld", static_cast<long long>(m_plan.serviceAmount * m_plan.servicesPerInvoice)));
        setField(r, 10, strFormat("%05d", 4 + m_plan.servicesPerInvoice));
    }
    m_records.push_back(makeRecord(990, "000000"));
    recount();
}

PadFileBuilder& PadFileBuilder::recount()
{
    const int end = recordCount() - 1;
    int invoices = 0;
    for (const std::string& record : m_records)
        invoices += typeOf(record) == 200 ? 1 : 0;
    setField(end, 0, strFormat("%06d", recordCount()));
    if (decimalValue(m_plan.version) != 0)
        setField(end, 1, strFormat("%06d", invoices));
    return *this;
}

PadFileBuilder& PadFileBuilder::setField(int recordIndex, int field, std::string_view value)
{
    std::string& record = m_records.at(static_cast<std::size_t>(recordIndex));
    const records::FieldLayout* fields = m_tables->find(typeOf(record));
    if (!fields || field < 0 || field >= fields->count())
        throw std::invalid_argument("no field " + std::to_string(field) + " in PAD record type " +
                                    std::to_string(typeOf(record)));
    put(record, HeaderLength + static_cast<std::size_t>(fields->offset(field)),
        static_cast<std::size_t>(fields->width(field)), value);
    return *this;
}

std::string PadFileBuilder::bytes() const
{
    std::string file;
    file.reserve(m_records.size() * (RecordLength + 2));
    for (const std::string& record : m_records) {
        file += record;
        if (m_plan.lines)
            file += "\r\n";
    }
    return file;
}

std::string padFile(const PadPlan& plan)
{
    return PadFileBuilder(plan).bytes();
}

} // namespace bv::samples
