#pragma once

#include <string>

namespace bv {

// Writes the result of a delivery into the practice software's control file: section "Rueckgabe",
// "Error" with the text (or " (unspezifizierter Fehler)" when it is empty) when the status is not 0,
// then "Status" in decimal. The practice software reads the file in Windows-1252. Returns false
// when the file could not be written.
bool writeControlFileStatus(const std::string& controlPath, int status, const std::string& text);

} // namespace bv
