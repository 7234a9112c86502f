#pragma once

#include "billing/CAbrechnungSpool.h"

namespace bv {

class CCHZDatei;

// The spool of CHZ files: the oldest ".chz" file is sent, one per transmission, through its ".~RZ"
// working copy.
class CCHZSpool : public CAbrechnungSpool
{
public:
    CCHZSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
              const std::filesystem::path& directory, bool currencyMandatory = false, bool euroWhenMissing = false);

    int GetBatchNumber() const override { return m_batchNumber; }
    // The creation date as "dd.mm.yyyy".
    std::string GetFileDateText() const override;
    int GetLastBatchNumber() override { return m_lastBatchNumber; }

    CCHZDatei* chzFile() const;
};

} // namespace bv
