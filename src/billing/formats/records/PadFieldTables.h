#pragma once

#include "billing/formats/records/FieldTables.h"

#include <span>

namespace bv::records {

// The record types of a PAD file (0 is the control record "000", 990 the file end record).
std::span<const int> PadRecordTypes();

// The table of the control record before its version is known: field 1 is the version.
inline constexpr const char* PadProvisionalControlFields = "33- 6- 74-";

// Installs the PAD tables for a file whose version number is 0 or not, with the filler blanks only
// (strict) or unchecked.
void SelectPadFieldTables(FieldTableSet& tables, bool versionAboveZero, bool strictFiller);

} // namespace bv::records
