#pragma once

// The texts of the MAS reader, the MAS spool and the reduction statistics, word for word. The
// templates are printf formats filled with strFormat().

namespace bv::mas_texts {

inline constexpr const char* FormatName = "MAS";
// The sender text of the header record that marks files of the billing centre's own program.
inline constexpr const char* OwnSender = "bvls-mcx";
// The transmission name: 'X' with attachments, 'A' without; customer number; batch number mod 1000.
inline constexpr const char* TransmissionName = "M%c%06d.%03d";

// Opening validation: header and summary record.
inline constexpr const char* InvoiceCountTooSmall = "Anzahl Rechnungen = %d in Kontrollsatz !";
inline constexpr const char* CharacterSet = "Zeichensatzkennung in Kontrollsatz = \"%s\" ! Wird nicht unterstützt!";
inline constexpr const char* RecordCountMismatch = "Anzahl Sätze stimmt nicht mit der im Kontrollsatz angegebenen "
                                                   "Anzahl überein! Nominal/Real: %d/%d in Kontrollsatz (\"%s\")!";

// Loading the invoices ("LOAD_ALL").
inline constexpr const char* UnknownRecordType = "Nichtimplemetierte Satzart (%d ?) bei Satzindex: %d";
inline constexpr const char* InvoiceRecordMissing =
    "Rechnungsdatensatz (Satzart 200) fehlt! (Systemrechnungsnummer \"%s\")";
inline constexpr const char* LastInvoiceRecordMissing =
    "Rechnungsdatensatz (Satzart 200) fehlt! (letzte Rechnung/Systemrechnungsnummer \"%s\")";
inline constexpr const char* WrongSystemInvoiceNumber =
    "Falsche oder fehlende Systemrechnungsnummer in Satzheader (\"%s\" statt \"%s\") bei Satzindex: %d";
inline constexpr const char* OstmindFlagsDiffer =
    "Die Rechnungen in der Datei haben unterschiedliche Werte im Feld 19 OSTMIND_FLAG im Datensatz 300 ";
inline constexpr const char* FeeValueRefused = "Fehler bei Überprüfung eines Leistungswertes, möglicherweise liegt ein "
                                               "Währungsproblem vor! Rechnung %d, Ziffer %s";
inline constexpr const char* IrregularAmount =
    "Irregulärer Rechnungsbetrag (Systemrechnungsnummer \"%s\") bei Satzindex: %d";
inline constexpr const char* WrongRunningNumber =
    "Falsche laufende Nummer in Satzheader (%d statt %d) bei Satzindex: %d";
inline constexpr const char* UnassignedRecords = "Undefinierter Struktureller Fehler: Nicht zugeordnete Sätze!";
inline constexpr const char* InvoiceCountWrong =
    "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden: %d; in Zusammenfassung deklariert: %d!";

// Content check.
inline constexpr const char* TotalWrong = "Prüfsumme (Gesamtbetrag) FALSCH!: Kontrollsatz: %s / Summe: %s";

// Reduction statistics ("Minderung").
inline constexpr const char* ReductionStatistics =
    "Anzahl Leistungen                : %5d\n  davon auf Minderung ueberprueft: %5d\n    ungemindert06        "
    "          : %5d\n    gemindert06                    : %5d\n    ungemindert07                  : %5d\n    "
    "gemindert07                    : %5d\n    Minderung nicht feststellbar : %5d\n";

// MAS spool.
inline constexpr const char* NotAMasFile =
    "Die Datei \"%s\" im Spoolverzeichniss entspricht keinem zulässigen MAS-Format!";
inline constexpr const char* CustomerNumberMismatch = "GetMAS().K.kndnr!=GetMAS().m_kndnr";

} // namespace bv::mas_texts
