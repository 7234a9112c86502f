#pragma once

#include "billing/formats/dds/DDSrzDatei.h"

namespace bv {

// The RZ2 reader (interface "02", type code "DA"): invoice data alone, or packed with scanned
// attachments in an attachment container (first record of type 2828, type code 0xC003).
class DDSrz2Datei : public DDSrzDatei
{
public:
    static const Interface Rz2;

    DDSrz2Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation = false);

    [[noreturn]] void ThrowSelf() override;
    // LOAD_ALL, then the count of 0100 records that start no invoice.
    int ReadContents() override;

    int firstRecordType() const { return m_firstRecordType; }
    int marked0100Count() const { return m_marked0100Count; }

private:
    int m_firstRecordType = -1;
    int m_marked0100Count = 0;
};

} // namespace bv
