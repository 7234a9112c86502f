#pragma once

#include "billing/CAbrechnungSpool.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace bv {

class FeeValueTable;
class MASrzDatei;

// The spool of MAS deliveries (spool type 3061): the oldest file matching "M?????.001" is sent, one
// per transmission, through its ".~RZ" working copy.
class CMASSpool : public CAbrechnungSpool
{
public:
    // `feeValues` limits the values of service lines and classifies them in the reduction statistics.
    CMASSpool(MessageBoxes& boxes, ProfileStore& profile, const files::RemovableProbe& removableProbe,
              const std::filesystem::path& directory, const FeeValueTable* feeValues = nullptr);

    int GetBatchNumber() const override { return m_batchNumber; }
    // The header record's date as "dd.mm.yyyy".
    std::string GetFileDateText() const override;
    int GetLastBatchNumber() override { return m_lastBatchNumber; }

    MASrzDatei* masFile() const;
    const std::string& transmissionName() const { return m_transmissionName; }
    std::int64_t controlTotal() const { return m_controlTotal; }

private:
    std::string m_transmissionName;
    std::int64_t m_controlTotal = 0;
};

} // namespace bv
