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

// A PAD file as practice software writes it: the control record, the invoices (100 text, 200
// recipient, 300 patient and treatment, the services 700, the end record 900) and the file end
// record; 128-character records, bare or each followed by CR LF.
struct PadPlan
{
    bool lines = true;              // 130-byte records
    std::string version = "000001"; // blank for version 0
    std::string currency = "EUR";
    std::string creationDate = "150306"; // DDMMYY
    int customerNumber = 123456;
    int invoices = 1;
    int servicesPerInvoice = 2;
    std::int64_t serviceAmount = 1003;
    std::string serviceDate = "150306"; // DDMMYY
    bool subjectTo6a = false;           // 300 fields 6 and 7
};

class PadFileBuilder
{
public:
    explicit PadFileBuilder(PadPlan plan = {});
    ~PadFileBuilder();

    const PadPlan& plan() const { return m_plan; }
    std::vector<std::string>& records() { return m_records; }
    int recordCount() const { return static_cast<int>(m_records.size()); }
    std::vector<int> indicesOf(int recordType) const;

    PadFileBuilder& setField(int recordIndex, int field, std::string_view value);
    std::string makeRecord(int recordType, const std::string& systemInvoiceNumber) const;
    // The file end record's counts made to fit the records as they now are.
    PadFileBuilder& recount();

    std::string bytes() const;

private:
    void build();

    PadPlan m_plan;
    std::unique_ptr<records::FieldTableSet> m_tables;
    std::vector<std::string> m_records;
};

std::string padFile(const PadPlan& plan = {});

} // namespace bv::samples
