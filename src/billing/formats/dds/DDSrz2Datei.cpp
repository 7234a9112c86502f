#include "billing/formats/dds/DDSrz2Datei.h"

namespace bv {

namespace {

// The first record of an attachment container.
constexpr int ContainerRecordType = 2828;
constexpr int InvoiceStartType = 100;

} // namespace

const DDSrzDatei::Interface DDSrz2Datei::Rz2{"02", "1.0", " / RZ2", "DA", file_type::DdsV2};

DDSrz2Datei::DDSrz2Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation)
    : DDSrzDatei(path, Rz2, currencyMandatory, versionLimitOption, true)
{
    m_firstRecordType = peekFirstRecordType();
    if (m_firstRecordType == ContainerRecordType)
        m_numericTypeCode = file_type::DdsV2Kind2828;
    if (!deferValidation)
        Validate();
}

void DDSrz2Datei::ThrowSelf()
{
    throw this;
}

int DDSrz2Datei::ReadContents()
{
    DDSrzDatei::ReadContents();
    m_marked0100Count = countRecords(InvoiceStartType, true);
    return 1;
}

} // namespace bv
