#pragma once

#include <cstdint>
#include <string>

namespace bv {

class CAbrechnungsDatei;
class RecordObject;

// One invoice of a fixed-record file: the run of records from the one that starts it up to the next
// invoice (or the file's end record), with what the reader takes from them. Amounts are hundredths,
// read as 64-bit numbers so that no field value wraps.
class InvoiceObject
{
public:
    virtual ~InvoiceObject() = default;

    int ordinal = 0;                       // position among the invoices, from 0
    unsigned number = 0;                   // ordinal + 1
    int firstRecordIndex = 0;              // index of its first record
    int recordCount = 0;                   // records up to the next invoice's first record
    const RecordObject* records = nullptr; // its first record in the reader's records (not owned)
    std::string systemInvoiceNumber;
    int groupMarker = 0;
    int currency = 0;
    const CAbrechnungsDatei* owner = nullptr;
    std::string nameText;
    std::int64_t amount = -1;
    std::int64_t secondAmount = -1;
    std::int64_t amountCopy = -1;
    int counter1 = 0;
    int counter2 = 0;
    int extra0100Count = 0; // records that start no invoice of their own (group marker 50 to 52)
};

} // namespace bv
