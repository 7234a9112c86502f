#pragma once

#include "billing/CAbrechnungSpool.h"

#include <filesystem>
#include <string>

namespace bv {

class CPADDatei;
class FeeValueTable;

// The spool of PAD deliveries (spool type 3060): the oldest file matching "PV??????.DAT" is sent, one
// per transmission, through its ".~RZ" working copy; it is read with the reduction settings of its
// customer (section PAD).
class CPADSpool : public CAbrechnungSpool
{
public:
    CPADSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
              const std::filesystem::path& directory, const FeeValueTable* feeValues = nullptr);

    int GetBatchNumber() const override { return m_batchNumber; }
    // The creation date as "dd.mm.yyyy".
    std::string GetFileDateText() const override;
    // The customer's last batch number (default 0).
    int GetLastBatchNumber() override;
    // Which reductions the file's total takes into account.
    std::string ReductionText() const;

    CPADDatei* padFile() const;
};

} // namespace bv
