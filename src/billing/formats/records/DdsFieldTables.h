#pragma once

#include "billing/formats/records/FieldTables.h"

#include <span>
#include <string_view>

namespace bv::records {

// The record types of a DDS-RZ file, in the order of their numbers.
std::span<const int> DdsRecordTypes();

// The field tables of DDS-RZ by record type and file version, as the interface publishes them.
std::span<const FieldPart> DdsFieldParts();

// The table of the control record (type 0000) before its version is known: field 1 is the version.
inline constexpr const char* DdsProvisionalControlFields = "56- 4A 164-";

// SelectFieldTables: installs the tables of every record type for the version text of a control
// record. Throws CAdzException -10 for a version below 1.00, between 1.00 and 1.02 other than 1.01,
// or above 2.50 when `versionLimit` is set.
void SelectDdsFieldTables(FieldTableSet& tables, std::string_view versionText, bool versionLimit);

} // namespace bv::records
