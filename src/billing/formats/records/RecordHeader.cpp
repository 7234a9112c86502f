#include "billing/formats/records/RecordHeader.h"

#include "platform/Text.h"

namespace bv::records {

bool isHeaderDigits(std::string_view text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '#'))
            return false;
    }
    return true;
}

int DdsHeaderParser::ParseHeader(const char* record)
{
    const std::string_view header(record, 30);
    const std::string_view customer = header.substr(0, 8);
    const std::string_view marker = header.substr(20, 2);
    const std::string_view type = header.substr(22, 4);
    const std::string_view running = header.substr(26, 4);

    m_last.customerNumber = decimalInt(customer);
    m_last.interfaceText.assign(header.substr(8, 2));
    m_last.systemInvoiceNumber.assign(header.substr(10, 10));
    m_last.groupMarker = decimalInt(marker);
    m_last.recordType = decimalInt(type);
    m_last.recordTypeText.assign(type);
    m_last.runningNumber = decimalInt(running);
    if (!m_haveCustomer) {
        m_fileCustomerNumber = m_last.customerNumber;
        m_haveCustomer = true;
    }

    if (m_last.customerNumber != m_fileCustomerNumber)
        return -1;
    if (!m_expectedInterface.empty() && m_last.interfaceText != m_expectedInterface)
        return -2;
    if (m_last.recordType != 0 && !isHeaderDigits(marker))
        return -3;
    if (!isHeaderDigits(type))
        return -4;
    if (!isHeaderDigits(running))
        return -5;
    return 0;
}

} // namespace bv::records
