#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bv::records {
class FieldTableSet;
}

namespace bv::samples {

// A MAS file as practice software writes it: the header record, the invoices (0100 text, 0200
// recipient, 0201 address, 0300 invoice record, the service lines 0700 and the totals 0900) and the
// summary record. Every field holds a value its type letter accepts.
struct MasPlan
{
    std::string version = "1.30"; // as the summary record names it ("V1.20" works as well)
    std::string characterSet = "ANSI";
    std::string currency = "EUR";
    int customerNumber = 123456;
    int batchNumber = 7;
    int invoices = 1;
    int servicesPerInvoice = 2;
    std::int64_t serviceAmount = 1001; // of each service line, in hundredths
    std::string serviceDate = "20190305";
    std::string recipientName = "Muster";
};

// Builds a MAS file record by record; tests change records and fields to make each variant.
class MasFileBuilder
{
public:
    explicit MasFileBuilder(MasPlan plan = {});
    ~MasFileBuilder();

    const MasPlan& plan() const { return m_plan; }
    std::vector<std::string>& records() { return m_records; }
    int recordCount() const { return static_cast<int>(m_records.size()); }
    int summaryIndex() const { return recordCount() - 1; }
    // Indices of the records of a type, in file order.
    std::vector<int> indicesOf(int recordType) const;

    // Writes `value` into field `field` of a record (cut or blank-padded to the field's width).
    MasFileBuilder& setField(int recordIndex, int field, std::string_view value);
    // A record of a type for an invoice, its fields passing their checks.
    std::string makeRecord(int recordType, const std::string& systemInvoiceNumber) const;
    // The summary's record count, invoice count and total made to fit the records as they now are.
    MasFileBuilder& recount();

    std::string bytes() const;

private:
    void build();

    MasPlan m_plan;
    std::unique_ptr<records::FieldTableSet> m_tables;
    std::vector<std::string> m_records;
};

std::string masFile(const MasPlan& plan = {});

} // namespace bv::samples
