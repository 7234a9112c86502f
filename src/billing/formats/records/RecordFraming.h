#pragma once

#include <cstddef>

namespace bv::records {

// How a fixed-record format frames its records: every record has the same length, starts with a
// fixed header that names its record type ("Satzart") and carries a data area cut into fields.
struct RecordFraming
{
    unsigned recordLength;
    unsigned headerLength;
    unsigned lineEnd;       // 2: each record ends in CR LF
    unsigned dataLength;    // the data area after the header
    int startIndex;         // index of the first record of invoice data
    std::size_t typeOffset; // where the header holds the record type text
    std::size_t typeWidth;
};

// DDS-RZ: 256-byte records, 30 bytes of header, 224 of data, CR LF; the control record comes last.
inline constexpr RecordFraming DdsFraming{256, 30, 2, 224, 0, 22, 4};
// MAS: 128-byte records, 15 bytes of header, 113 of data, no line end; a header record comes first.
inline constexpr RecordFraming MasFraming{128, 15, 0, 113, 1, 12, 3};

} // namespace bv::records
