#pragma once

// The texts of the record engine, word for word. The templates are printf formats filled with
// strFormat().

namespace bv::record_texts {

inline constexpr const char* ShortRead = "Datensatz-Lesefehler (Offset %u): nur %ud gelesen! ";
inline constexpr const char* BadRecordEnd = "Datensatz-Formatfehler (Offset %u,Satzart[%s]): Satzabschluß falsch!";
inline constexpr const char* RecordCutShort = "Datensatz-Formatfehler (Offset %u,,Satzart[%s]): Satzlänge nur %u!  ";
inline constexpr const char* HeaderError = "Datensatz-Headerfehler (%s) bei Satzindex: %d / Feld:.%d";
inline constexpr const char* UnsupportedVersion = "Nicht unterstützte Dateiversion: %s";
inline constexpr const char* FieldCheckFailed =
    "Feldprüfung gescheitert: %d;%d/%d/%c (Satzindex;Satzart/Feld/Typ)    Inhalt:[%s]";
inline constexpr const char* InvalidRecordIndex =
    "Zugriff auf ungültigen Satzindex :%d / Höchster Rechnungssatzindex=%s";

// What a field access gives for a field beyond the table, and for a field the data area cuts short.
inline constexpr const char* FieldBeyondTable = "-/-";
inline constexpr const char* FieldCutShort = "^^^Feldlängen oder -zeichenfehler ^^^}";
// The data area of a record too short to hold its header.
inline constexpr const char* NoDataArea = "[NULL]";

} // namespace bv::record_texts
