#pragma once

// The texts of the DDS-RZ reader and the DDS spool, word for word. The templates are printf formats
// filled with strFormat().

namespace bv::dds_texts {

// Opening validation and the control record ("Kontrollsatz").
inline constexpr const char* RecordCountMismatch = "Anzahl Sätze stimmt nicht mit der im Kontrollsatz angegebenen "
                                                   "Anzahl überein! Nominal/Real: %d/%d in Kontrollsatz (\"%s\")!";
inline constexpr const char* WrongInterface = "Falsche Datei-Version (%s,%s)! (Erwartet: DDS-RZ %s / Version: %s)";
inline constexpr const char* InvoiceCountTooSmall = "Anzahl Rechnungen = %d in Kontrollsatz !";
inline constexpr const char* MediumNumber =
    "Medium-Nummer in Kontrollsatz = \"%s\" ! Folgemedien werden HIER nicht unterstützt!";
inline constexpr const char* FollowUpMedium =
    "Folgemediumkennung in Kontrollsatz = \"%s\" ! Folgemedien werden HIER nicht unterstützt!";
inline constexpr const char* CharacterSet = "Zeichensatzkennung in Kontrollsatz = \"%s\" ! Wird nicht unterstützt!";
// The transmission name: 'X' with attachments, 'A' without; customer number; batch number mod 1000.
inline constexpr const char* TransmissionName = "D%c%06d.%03d";

// Loading the invoices ("LOAD_ALL").
inline constexpr const char* UnknownRecordType = "Nichtimplemetierte Satzart (%d ?) bei Satzindex: %d";
inline constexpr const char* InvoiceRecordMissing =
    "Rechnungsdatensatz (Satzart 200) fehlt! (Systemrechnungsnummer \"%s\")";
inline constexpr const char* LastInvoiceRecordMissing =
    "Rechnungsdatensatz (Satzart 200) fehlt! (letzte Rechnung/Systemrechnungsnummer \"%s\")";
inline constexpr const char* WrongSystemInvoiceNumber =
    "Falsche oder fehlende Systemrechnungsnummer in Satzheader (\"%s\" statt \"%s\") bei Satzindex: %d";
inline constexpr const char* IrregularAmount =
    "Irregulärer Rechnungsbetrag (Systemrechnungsnummer \"%s\") bei Satzindex: %d";
inline constexpr const char* FeeValueRefused = "Fehler bei Überprüfung eines Leistungswertes, möglicherweise liegt ein "
                                               "Währungsproblem vor!\nRechnung %d, Ziffer %s";
inline constexpr const char* AttachmentRecordWrongInterface =
    "Satzart 850 falsch f. Interface RZ%s (bei Satzindex: %d)";
inline constexpr const char* AttachmentIndexWrong =
    "Satzart 850: Falscher Anlagenindex bei Satzindex: %d (Index %d erwartet!)";
inline constexpr const char* WrongRunningNumber =
    "Falsche laufende Nummer in Satzheader (%d statt %d) bei Satzindex: %d";
inline constexpr const char* InvoiceCountWrong =
    "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden:%d ;  in Zusammenfassung deklariert: %d!";
inline constexpr const char* UnassignedRecords = "Undefinierter Struktureller Fehler: Nicht zugeordnete Sätze !";
inline constexpr const char* TotalWrong = "Prüfsumme(Gesamtbetrag) FALSCH!: Kontrollsatz: %s %s / Summe: %s %s";

// Format names.
inline constexpr const char* FormatNameVdds = "VDDS-RZ Version ";
inline constexpr const char* FormatNameAdr = "AdR-RZ Version ";

// Attachment directory.
inline constexpr const char* AttachmentDirectoryName = "brevalis_Anlagen";
inline constexpr const char* CaptionNotice = "Hinweis";
inline constexpr const char* AttachmentBaseNotCreated =
    "Das Verzeichnis: brevalis_Anlagen\\ konnte nicht erzeugt werden.";
inline constexpr const char* AttachmentDirectoryNotCreatedStart = "Das Verzeichnis: brevalis_Anlagen\\";
inline constexpr const char* AttachmentDirectoryNotCreatedEnd = "\\ konnte nicht erzeugt werden.";

// Enciphered deliveries: the name the delivery keeps beside its plain file.
inline constexpr const char* EncipheredKeepName = "%s_%s_VDDSenc";

// DDS spool.
inline constexpr const char* CaptionSpool = "Brevalis";
inline constexpr const char* NotADdsFile =
    "Die Datei \"%s\" im Spoolverzeichniss entspricht keinem zulässigen DDS-Format!";
inline constexpr const char* CustomerNumberMismatch = "GetDDS().K.kndnr!=GetDDS().m_kndnr";

// Send bookkeeping of referenced attachment index files.
inline constexpr const char* IniNotRenamed = "Die Ini-Datei konnte nicht umbenannt werden! Die Datei wird nicht mehr\n"
                                             "benötigt und wird anschließend gelöscht!";
inline constexpr const char* IniNotDeleted = "Die Ini-Datei konnte nicht gelöscht werden! Bitte setzen\n"
                                             "Sie sich mit der brevalis-Serviceline in Verbindung!";

} // namespace bv::dds_texts
