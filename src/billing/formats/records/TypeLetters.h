#pragma once

namespace bv::records {

// The type letter of a field of a fixed record says what the field may hold; the field checks judge
// a field's text by it.
namespace type_letter {
inline constexpr char Text = 'A';        // any characters
inline constexpr char Numeric = 'N';     // digits or '#', leading blanks read as '0'
inline constexpr char DateYmd = 'D';     // YYYYMMDD, or empty (zeros or blanks)
inline constexpr char DateDmy = '2';     // DDMMYY, or empty; the year is not examined
inline constexpr char DateDmyYear = '4'; // DDMMYYYY, or empty
inline constexpr char Filler = 'X';      // blanks only
inline constexpr char LineEnd = 'Z';     // blanks only, or CR/LF only
inline constexpr char Unchecked = '-';   // not examined
} // namespace type_letter

// The letters a record layout may use.
inline constexpr const char* LayoutLetters = "AND24X-";

} // namespace bv::records
