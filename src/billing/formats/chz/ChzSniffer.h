#pragma once

#include "billing/FileSniffing.h"

namespace bv {

// A CHZ summary file is known by its extension ".chz".
std::optional<int> sniffChz(const SniffedFile& file);

} // namespace bv
