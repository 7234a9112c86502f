#pragma once

#include "billing/formats/dds/DDSrzDatei.h"

#include <functional>
#include <memory>

namespace bv {

// The RZ3 reader (interface "03", type code "DX"): invoice data that references its attachments by
// 0850 records; a practice-software control file names the batch and its attachment files, or the
// file comes packed with them in an attachment container (type code 0xC004).
class DDSrz3Datei : public DDSrzDatei
{
public:
    static const Interface Rz3;

    DDSrz3Datei(const std::string& path, bool currencyMandatory, bool versionLimitOption, bool deferValidation = false);

    // What the caller sets on the reader of a control file before it reads the billing file.
    using Preparation = std::function<void(DDSrz3Datei&)>;
    // The control-file flow: checks the control file against the DDS-RZ file "RZ<batch>.001" beside
    // it, builds the attachment list from its [Anlagen], binds each attachment to the invoice whose
    // 0850 record references it and packs the attachment container. Failures write their status and
    // text into [Rueckgabe] (but 28) and throw the same code. `matching` binds by file name and
    // invoice number instead of by position.
    static std::unique_ptr<DDSrz3Datei> ProcessControlFile(const std::string& controlPath, bool currencyMandatory,
                                                           bool versionLimitOption, bool matching,
                                                           const Preparation& prepare = {});

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
    const std::string& controlPath() const { return m_controlPath; }
    // The delivery named by the control file arrived enciphered and was unwrapped.
    bool wasEnciphered() const { return m_enciphered; }

protected:
    int extractInvoice(DDSrzRechnung& invoice, const std::string& directory) override;

private:
    int m_firstRecordType = -1;
    int m_marked0100Count = 0;
    int m_attachmentRecordCount = 0;
    std::string m_controlPath;
    bool m_enciphered = false;
};

} // namespace bv
