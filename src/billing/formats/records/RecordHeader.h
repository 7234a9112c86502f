#pragma once

#include <string>
#include <string_view>

namespace bv::records {

// The header values of the record read last.
struct RecordHeader
{
    int customerNumber = -1;
    std::string interfaceText;       // "02" for RZ2, "03" for RZ3
    std::string systemInvoiceNumber; // "Systemrechnungsnummer" of the invoice the record belongs to
    int groupMarker = 0;
    int recordType = 0;
    int runningNumber = 0; // of the record within its invoice
    std::string recordTypeText;
};

// Group markers 50 to 52 mark records that do not start an invoice.
inline bool isGroupMarked(int groupMarker)
{
    return groupMarker >= 50 && groupMarker <= 52;
}

// Header digits: every character is '0' to '9' or '#'.
bool isHeaderDigits(std::string_view text);

// ParseHeader of DDS-RZ: the 30-byte header of a 256-byte record — customer number at the billing
// centre (8), interface number (2), system invoice number (10), group marker (2), record type (4),
// running number (4). Keeps the values of the record read last and the file's customer number,
// which the first record read fixes.
class DdsHeaderParser
{
public:
    // 0 when the header is valid, else -1 another customer number, -2 another interface than the
    // reader's (once the control record has been read), -3 a group marker that is not digits (but in
    // the control record), -4 a record type that is not digits, -5 a running number that is not digits.
    int ParseHeader(const char* record);

    const RecordHeader& last() const { return m_last; }
    // -1 until the first record has been read.
    int fileCustomerNumber() const { return m_fileCustomerNumber; }
    // From now on every record must name this interface number.
    void expectInterface(std::string number) { m_expectedInterface = std::move(number); }

private:
    RecordHeader m_last;
    int m_fileCustomerNumber = -1;
    bool m_haveCustomer = false;
    std::string m_expectedInterface;
};

} // namespace bv::records
