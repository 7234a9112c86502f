#pragma once

#include "billing/formats/dds/DDSrzDatei.h"

namespace bv {

// The RZ3 reader (interface "03", type code "DX"): invoice data that references its attachments by
// 0850 records; a practice-software control file names the batch and its attachment files.
class DDSrz3Datei : public DDSrzDatei
{
public:
    static const Interface Rz3;

    DDSrz3Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation = false);

    [[noreturn]] void ThrowSelf() override;
    // LOAD_ALL, then the counts of 0100 records that start no invoice and of the 0850 records that
    // reference an attachment.
    int ReadContents() override;
    // With flag 0 the number of attachments the file references (0850 records without group
    // marker), else the number of entries in the attachment list.
    int GetAttachmentCount(int flag) override;
    // The number of 0100 records that start no invoice.
    int GetAttachmentOption() const override { return m_marked0100Count; }

    int firstRecordType() const { return m_firstRecordType; }

private:
    int m_firstRecordType = -1;
    int m_marked0100Count = 0;
    int m_attachmentRecordCount = 0;
};

} // namespace bv
