#pragma once

#include "billing/CAbrechnungSpool.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace bv {

class DDSrzDatei;
class FeeValueTable;

// The spool of DDS-RZ deliveries (spool types 0 and 3058): the oldest file matching the configured
// file filter is sent, one per transmission, through its ".~RZ" working copy. An enciphered delivery
// is unwrapped before its copy is made; the delivery stays beside the plain file. An RZ3 control file
// is taken up when its batch is ready: its status becomes -1, the control-file flow reads the batch,
// and an error of that flow reaches the send dialog marked as one of the control file.
class CDDSSpool : public CAbrechnungSpool
{
public:
    // `attachmentMatching` is the send dialog's spool option, which binds the attachments of a
    // practice-software control file by name; `feeValues` limits the values of fee positions.
    CDDSSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
              const std::filesystem::path& directory, bool attachmentMatching = false,
              const FeeValueTable* feeValues = nullptr);

    int GetBatchNumber() const override { return m_batchNumber; }
    // The control record's date as "dd.mm.yyyy".
    std::string GetFileDateText() const override;
    int GetLastBatchNumber() override { return m_lastBatchNumber; }
    int HasControlFile() const override { return m_controlPath.empty() ? 0 : 1; }
    std::string GetControlFilePath() const override;
    // Unwraps an enciphered delivery first and remembers it, then copies the plain file.
    bool MakeWorkingCopy(const std::string& source, std::string& outCopy) override;

    DDSrzDatei* ddsFile() const;
    bool attachmentMatching() const { return m_attachmentMatching; }
    // The delivery arrived enciphered; it is kept under this name.
    bool wasEnciphered() const { return !m_keptDelivery.empty(); }
    const std::string& keptDelivery() const { return m_keptDelivery; }
    const std::string& transmissionName() const { return m_transmissionName; }
    // The control total in hundredths, exactly as the control record declares it.
    std::int64_t controlTotal() const { return m_controlTotal; }

protected:
    // The referenced attachment index files of an RZ3 delivery are kept as ".~NI" copies and deleted,
    // then the billing file is marked as sent.
    void markTransmitted() override;

private:
    void retireAttachmentIndexFiles();
    // Multi-page TIFF attachments are split by the splitter program named in the machine key.
    void handSplitter(DDSrzDatei& reader);
    // The reader of the batch a ready control file names; null when the batch is not ready.
    std::unique_ptr<DDSrzDatei> takeUpControlFile(const std::string& controlPath, const FeeValueTable* feeValues);

    bool m_attachmentMatching;
    std::string m_keptDelivery;
    std::string m_controlPath;
    std::string m_transmissionName;
    std::int64_t m_controlTotal = 0;
};

} // namespace bv
