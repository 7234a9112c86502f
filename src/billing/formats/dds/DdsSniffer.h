#pragma once

#include "billing/FileSniffing.h"

namespace bv {

// A practice-software control file (".ini") of an RZ3 delivery.
std::optional<int> sniffControlFile(const SniffedFile& file);
// DDS-RZ: 256-byte records ending in CR LF (and not 128-byte ones); version and kind of the first
// record's header give the type, other headers of this shape are of no known type.
std::optional<int> sniffDds(const SniffedFile& file);

} // namespace bv
