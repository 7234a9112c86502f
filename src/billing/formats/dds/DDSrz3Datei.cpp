#include "billing/formats/dds/DDSrz3Datei.h"

namespace bv {

namespace {

constexpr int ContainerRecordType = 2828;
constexpr int InvoiceStartType = 100;
constexpr int AttachmentRecordType = 850;

} // namespace

const DDSrzDatei::Interface DDSrz3Datei::Rz3{"03", "1.00", " / RZ3", "DX", file_type::DdsV3};

DDSrz3Datei::DDSrz3Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation)
    : DDSrzDatei(path, Rz3, currencyMandatory, versionLimitOption, true)
{
    m_firstRecordType = peekFirstRecordType();
    if (m_firstRecordType == ContainerRecordType)
        m_numericTypeCode = file_type::DdsV3Kind2828;
    if (!deferValidation)
        Validate();
}

void DDSrz3Datei::ThrowSelf()
{
    throw this;
}

int DDSrz3Datei::ReadContents()
{
    DDSrzDatei::ReadContents();
    m_marked0100Count = countRecords(InvoiceStartType, true);
    m_attachmentRecordCount = countRecords(AttachmentRecordType, false);
    return 1;
}

int DDSrz3Datei::GetAttachmentCount(int flag)
{
    return flag == 0 ? m_attachmentRecordCount : DDSrzDatei::GetAttachmentCount(flag);
}

} // namespace bv
