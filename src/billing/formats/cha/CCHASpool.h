#pragma once

#include "billing/CAbrechnungSpool.h"

namespace bv {

class CCHADatei;

// The spool of XML invoices: the whole set of invoice files in the spool directory travels as one
// dispatch package. The last transmission is remembered under the sender's EAN.
class CCHASpool : public CAbrechnungSpool
{
public:
    // Reads the XML invoices of the spool directory into a CCHADatei.
    CCHASpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
              const std::filesystem::path& directory, bool currencyMandatory = false, bool euroWhenMissing = false);

    int GetBatchNumber() const override { return m_batchNumber; }
    std::string GetFileDateText() const override { return m_fileDate; }
    // The number of packages sent so far for this sender, read anew from the profile.
    int GetLastBatchNumber() override;
    void ReleaseFile() override;
    void MarkSent(const std::string& source) override;
    bool IsEmpty() const override;

    CCHADatei* chaFile() const;

protected:
    // Booked under the sender EAN: the count of packages sent for this sender goes up by one.
    std::string bookingKey() const override;
    int bookedBatchNumber() override;
    // Every invoice of the package.
    std::vector<JournalFile> journalFiles() const override;
    // The invoices move to the Sent directory and the package is deleted.
    void markTransmitted() override;
};

} // namespace bv
