#pragma once

#include "config/CompanyWord.h"

// Every user-visible text of the billing-file library, word for word, in one place. The templates
// are printf formats filled with strFormat().

namespace bv::billing_texts {

// Captions.
inline constexpr const char* CaptionCompany = CompanyWord;

// Error model and base checks.
inline constexpr const char* AdzReportText = "CAdzException:(%ld):%s";
inline constexpr const char* AdzReportCaption = "(%d<-%s / %s)";
inline constexpr const char* FileAccess = "Dateizugriffsfehler [%d] bei Datei: %s (lOsError=%d)\r\n%s\r\n";
inline constexpr const char* RecordLength = "Dateilänge von %s kein Vielfaches der Satzlänge ! [%lu mod %ld=%ld]";
inline constexpr const char* NoCurrency = "In der Abrechnungsdatei ist keine Währung angegeben!";
inline constexpr const char* UnknownCurrency = "Währungsbezeichnung '%s' unbekannt!";
inline constexpr const char* CalcHashMissing = "CalcHash-Fehler: Hashfunktion für diesen Dateityp nicht implementiert!";

// Spool directory.
inline constexpr const char* TemporaryCopyFailed = "Temporäre Datei \"%s\" konnte nicht angelegt werden!";
inline constexpr const char* SeveralFilesWaiting =
    "Im Abrechnungsausgangsverzeichnis befinden sich %d Dateien.\nBitte versenden Sie die Dateien, indem Sie den "
    "Rechnungsversand mehrfach ausführen!";
inline constexpr const char* NotAChzFile =
    "Die Datei \"%s\" im Spoolverzeichniss entspricht keinem zulässigen CHZ-Format!";
inline constexpr const char* NotMarkedSentRemovable =
    "Die Abrechnungsdatei konnte nicht als erfolgreich versendet markiert werden.\nÜberprüfen Sie bitte, ob die "
    "Diskette schreibgeschützt ist.";
inline constexpr const char* NoInvoiceDetails = "Rechnungsdetails sind für diesen Dateityp nicht verfügbar!";

// Send bookkeeping.
inline constexpr const char* NothingToSend = "Keine Datei zum Versenden vorhanden!";
inline constexpr const char* SendFailed = "Beim Versenden der Abrechnungsdatei ist ein Fehler aufgetreten:\n%s";
inline constexpr const char* SessionExpired = "Die Sitzung ist wegen Zeitüberschreitung abgelaufen!";
// The working copy or the package is no longer what was read: nothing is sent.
inline constexpr const char* TemporaryFileChanged = "Temporäre Datei \"%s\" wurde nach dem Einlesen verändert!";
// A billing file that changed after it was read is not what was sent: it stays where it is.
inline constexpr const char* ChangedSinceRead = "Die Datei %s wurde nach dem Einlesen verändert.\nSie wurde nicht als "
                                                "erfolgreich versendet markiert und bleibt im Abrechnungsverzeichnis.";
// The upload's words for an error that has no text of its own, as the upload thread writes them.
inline constexpr const char* UploadErrorNumber = "L'erreur %d est apparue ! ";

// XML invoice reader.
inline constexpr const char* XmlParserCreate = "Allgemeiner Fehler beim Erzeugen des XML-Parsers.\n";
inline constexpr const char* XmlParseError = "Parse error at line %lu:\n%s\n";
inline constexpr const char* XmlRootMissing = "Element 'invoice:request' not found!";
inline constexpr const char* XmlEanMissing = "Attribut 'invoice:sender ean_party' not found!";
// The reason given for a document nested deeper than any invoice, in the parser's own words.
inline constexpr const char* XmlNestingTooDeep = "elements nested too deeply";
// The sender of invoices of version 4.4 and later, named in the same words.
inline constexpr const char* XmlTransportFromMissing = "Attribut 'invoice:transport from' not found!";

// Splitting multi-page TIFF attachments.
inline constexpr const char* SplitCopyFailed = "CopyFile ging schief Fehlercode: %d Datei: %s";
inline constexpr const char* SplitStartFailed = "Fehler bei Start von: \"%s\" (%s) (Rechnung-Nr.%d)";
inline constexpr const char* SplitWaitQuestion =
    "Zeitüberschreitung beim Warten auf den Druckvorgang (MultiTiffExtract)! Soll weiter gewartet werden?";
inline constexpr const char* SplitWaitCaption = "Warnung/Timeout";
inline constexpr const char* SplitWaitFailed = "Fehler bei warten von: \"%s\" (%s) (Rechnung-Nr.%d)";
inline constexpr const char* SplitRenameFailed = "MoveFile ging schief Fehlercode: %d Datei: %s";
inline constexpr const char* SplitDeleteFailed = "Fehler bei MultiTiffExtract/Löschen der Anlagedatei! \"%s\"";

// CHA dispatch package.
inline constexpr const char* OneDefectiveFile =
    "Im Abrechnungsverzeichnis befand sich eine fehlerhafte Abrechnungsdatei.\nSie wurde nach %s verschoben!";
inline constexpr const char* SeveralDefectiveFiles =
    "Im Abrechnungsverzeichnis befanden sich %d fehlerhafte Abrechnungsdateien.\nSie wurden nach %s verschoben!";
inline constexpr const char* MixedEan =
    "In den vorliegenden Dateien sind unterschiedliche EAN vorhanden!\nEin Versand an "
    "brevalis ist deshalb nicht möglich.\n";
inline constexpr const char* PackZipError = "Packfehler beim Erzeugen der Versendedatei.\n";
inline constexpr const char* PackFileError = "Dateifehler beim Erzeugen der Versendedatei.\n";
inline constexpr const char* PackGeneralError = "Allgemeiner Fehler beim Erzeugen der Versendedatei.\n";
inline constexpr const char* DirectoryNotCreated = "Das Verzeichnis '%s' konnte nicht angelegt werden.";
inline constexpr const char* NotMarkedSent = "Die Datei %s konnte nicht als erfolgreich versendet markiert werden.\n";
inline constexpr const char* ChangedWhileReading = "Die Datei %s wurde während des Einlesens verändert!";

// CHZ summary.
inline constexpr const char* ChzKuNrMissing = "Fehler in Abrechnungsdatei: Pflichtfeld KuNr fehlt!";
inline constexpr const char* ChzStapelNrMissing = "Fehler in Abrechnungsdatei: Pflichtfeld StapelNr fehlt!";
inline constexpr const char* ChzDatumMissing = "Fehler in Abrechnungsdatei: Pflichtfeld Datum fehlt!";
inline constexpr const char* ChzAnzRechMissing = "Fehler in Abrechnungsdatei: Pflichtfeld AnzRech fehlt!";
inline constexpr const char* ChzTotalMissing = "Fehler in Abrechnungsdatei: Pflichtfeld Total fehlt!";

} // namespace bv::billing_texts
