#pragma once

// The texts of the PAD reader, the PAD spool and the reduction summary, word for word. The templates
// are printf formats filled with strFormat(). PAD shares the load messages of MAS (mas_texts).

namespace bv::pad_texts {

inline constexpr const char* FormatName = "PAD";
// The name practice software gives a PAD file: "PV" and the customer number.
inline constexpr const char* ExpectedFileName = "PV%06d.dat";

inline constexpr const char* InvoiceRecordMissing = "Rechnungsdatensatz (Satzart 200) fehlt!";
inline constexpr const char* UnvaluedServices =
    "Die Leistungen dieser Datei sind nicht bewertet,\ndaher ist eine Verarbeitung durch brevalis nicht "
    "möglich!\n(Rechnung: %d, Satz: %d)";
inline constexpr const char* InvoiceCurrencyDiffers =
    "Die Währung mindestens einer Rechnung weicht von der Währung der Datei (%s) ab.\nDaher ist eine "
    "Verarbeitung durch brevalis nicht möglich!\n(Nummer der Rechnung: %d)";
inline constexpr const char* HashReadError = "CalcHash-Lesefehler (Satz %d)!";

// Reduction text of the summary.
inline constexpr const char* ReductionsIntro =
    "Bei der Ermittlung des Gesamtbetrages wurden\nfolgende Minderungen berücksichtigt:\n\n";
inline constexpr const char* Reduction6a = "- %d%%-ige Minderung nach 6a, Abs.1 GOÄ bei %d %s\n";
inline constexpr const char* InvoiceSingular = "Rechnung";
inline constexpr const char* InvoicePlural = "Rechnungen";
inline constexpr const char* EastReduction = "- Ostminderung";
inline constexpr const char* NoReductions =
    "Bei der Ermittlung des Gesamtbetrages wurden\nkeine Minderungen berücksichtigt!";
// A reduction percentage that cannot be one: 0 up to below 100 percent are allowed.
inline constexpr const char* PercentageRefused =
    "Der Prozentsatz \"%s\" in der Einstellung %s ist ungültig (erlaubt: 0 bis unter 100)!";

// PAD spool.
inline constexpr const char* NotAPadFile =
    "Die Datei \"%s\" im Spoolverzeichniss entspricht keinem zulässigen PAD-Format!";
inline constexpr const char* CustomerNumberMismatch = "GetPAD().K.kndnr!=GetPAD().m_kndnr";

} // namespace bv::pad_texts
