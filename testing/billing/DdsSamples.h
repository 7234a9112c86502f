#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bv::records {
class FieldTableSet;
}

namespace bv::samples {

// A DDS-RZ file as practice software writes it: an optional file record (0010), the invoices (0100
// name 0110, amount 0200, fee positions 0300, attachment references 0850 for RZ3), and the control
// record. Every field holds a value its type letter accepts.
struct DdsPlan
{
    std::string version = "2.20";
    int interfaceNumber = 2; // 2 (RZ2) or 3 (RZ3)
    int customerNumber = 4711;
    int batchNumber = 1;
    int invoices = 1;
    std::int64_t amount = 12345; // of each invoice, in hundredths
    std::string date = "20240115";
    std::string characterSet = "ANSI";
    bool fileRecord = false;
    int feePositions = 0;           // 0300 records per invoice
    int extraFeesInLastInvoice = 0; // more 0300 records in the last invoice
    int attachmentsPerInvoice = 0;  // 0850 records per invoice (RZ3)
};

// The parts of a record's 30-byte header.
enum class HeaderPart
{
    CustomerNumber,
    Interface,
    SystemInvoiceNumber,
    GroupMarker,
    RecordType,
    RunningNumber,
};

// Builds a DDS-RZ file record by record; tests change records, headers and fields to make each
// damaged variant. Fields are placed by the tables of the plan's version.
class DdsFileBuilder
{
public:
    explicit DdsFileBuilder(DdsPlan plan = {});
    ~DdsFileBuilder();

    const DdsPlan& plan() const { return m_plan; }
    std::vector<std::string>& records() { return m_records; }
    int recordCount() const { return static_cast<int>(m_records.size()); }
    // The index of the control record (the last one).
    int controlIndex() const { return recordCount() - 1; }

    // Writes `value` into field `field` of a record (cut or blank-padded to the field's width).
    DdsFileBuilder& setField(int recordIndex, int field, std::string_view value);
    DdsFileBuilder& setHeader(int recordIndex, HeaderPart part, std::string_view value);
    // A record of a type for an invoice: header and fields that pass their checks.
    std::string makeRecord(int recordType, const std::string& systemInvoiceNumber, int runningNumber) const;
    // The control record's counts and total made to fit the records as they now are.
    DdsFileBuilder& recount();

    std::string bytes() const;

private:
    void build();

    DdsPlan m_plan;
    std::unique_ptr<records::FieldTableSet> m_tables;
    mutable std::map<int, std::string> m_templates; // a passing data area per record type
    std::vector<std::string> m_records;
};

// A position of a material or laboratory cost record (500, 510).
struct LabPosition
{
    std::string text;
    int amount = 0;
    std::string marker = " ";
};

// A DDS-RZ file whose invoices hold material and laboratory cost records (500 and 510) with the
// given positions: what the contents dialog finds laboratory services in. Invoices count from 0.
class DdsLabFile
{
public:
    explicit DdsLabFile(int invoices) : DdsLabFile(DdsPlan{.invoices = invoices}) {}
    explicit DdsLabFile(const DdsPlan& plan);

    // A record of `type` at the end of invoice `n`, its positions filled in order.
    DdsLabFile& add(int n, int type, const std::vector<LabPosition>& positions);
    DdsLabFile& set(int n, int type, int field, const std::string& value);
    DdsLabFile& remove(int n, int type);
    // A 0100 record with group marker 51 inside invoice `n`.
    DdsLabFile& addMarked0100(int n);
    // The file with running numbers and control record made to fit.
    std::string bytes();

private:
    int indexOf(int n, int type) const;
    std::size_t endOf(int n) const;
    DdsFileBuilder m_builder;
};

// A valid DDS-RZ file of the plan.
std::string ddsRzFile(const DdsPlan& plan = {});
// The system invoice number of invoice i (from 0): ten characters.
std::string systemInvoiceNumber(int invoice);

} // namespace bv::samples
