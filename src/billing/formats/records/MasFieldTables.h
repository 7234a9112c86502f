#pragma once

#include "billing/formats/records/FieldTables.h"

#include <span>
#include <string_view>

namespace bv::records {

// The record types of a MAS file, in the order of their numbers (0 is the file header record "000").
std::span<const int> MasRecordTypes();

// The field tables of MAS by record type and version. The letter L stands for the filler at the end of
// a data area: blanks only (X) up to version 1.3, unchecked (-) above.
std::span<const FieldPart> MasFieldParts();

// The table of the summary record (990) before its version is known: field 1 is the version.
inline constexpr const char* MasProvisionalSummaryFields = "14- 4A 103-";

// The version a MAS file names in its summary record, without a leading "V" ("V1.20" is 1.20).
std::string_view MasVersionText(std::string_view field);

// Installs the tables of every record type for a MAS version. Throws CAdzException -10 for a version
// below 1.0, or above 1.3 when `versionLimit` is set. Returns the version in thousandths.
int SelectMasFieldTables(FieldTableSet& tables, std::string_view versionText, bool versionLimit);

} // namespace bv::records
