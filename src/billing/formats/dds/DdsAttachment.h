#pragma once

#include <cstdint>
#include <string>

namespace bv {

// One attachment file that a DDS-RZ delivery references (a scanned TIFF file), with the INI file that
// names its invoice where there is one. The attachment container and the RZ3 control file fill these.
struct DdsAttachment
{
    std::uint32_t size = 0;
    std::uint64_t offset = 0; // of its data in the attachment container
    std::string path;
    std::string companionPath; // its INI file
    std::uint32_t companionSize = 0;
    std::uint64_t companionOffset = 0;
    std::string invoiceNumberText;
    int invoiceIndex = -1;
    bool customerFlag = false;
    std::int64_t laboratoryAmount = -1; // hundredths
    std::string description;
};

} // namespace bv
