#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bv::records {

// Whether one field's text passes the check of its type letter (see TypeLetters.h). A date's year
// lies from 1890 to 2099: the oldest patients' data reaches back to the 1890s and practice software
// writes this century's dates.
bool CheckFieldValue(char typeLetter, std::string_view value);

// Checks fields 0..count-1 of one record by their type letters, the texts coming from `getField`;
// on the first failure returns 0 with that field's text, letter and index, else 1.
int CheckFields(const std::function<std::string(int)>& getField, int count, std::string_view typeLetters,
                std::string& outValue, char& outType, int& outIndex);

// A record layout: field widths (the list ends at the first 0) and one type letter per field. Valid
// when the widths fill the record exactly, every letter is one of "AND24X-" and the last field is
// filler or line end; a layout without fields is valid for a record length of 0.
bool CheckLayout(const std::vector<int>& widths, std::string_view letters, unsigned recordLength);

// The image of a field in an empty record.
std::string DefaultFieldImage(char typeLetter, int width, long value = 0, const std::string& text = {});

// How many records a file of `length` bytes holds: a last record without its two-byte line end, or one
// trailing byte, is tolerated. -1 for any other length (and for a record length of 0).
long long RecordCountOf(unsigned long long length, unsigned recordLength);

// Amount in hundredths with a decimal character and, when not 0, a thousands character placed at the
// thousands only: 123456789 -> "1234.567,89". A negative amount prints "-" before the amount.
std::string FormatAmount(long long cents, char decimalChar, char thousandsChar);

// Replaces the characters {|}~[\] by the German letters that ISO 646-DE gives those codes, in place,
// in Windows-1252 (one byte for one byte).
void TranslateGerman7Bit(char* buffer, std::size_t length);

} // namespace bv::records
