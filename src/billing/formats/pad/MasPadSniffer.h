#pragma once

#include "billing/FileSniffing.h"

namespace bv {

// MAS and PAD share their shape: 128-byte records, with or without CR LF after each, the first with
// record type "000", the last "990", both of the same sender. A MAS file has a non-blank trailer at
// bytes 29-32 of its last record. A file of another shape is of no known type.
std::optional<int> sniffMasOrPad(const SniffedFile& file);

} // namespace bv
