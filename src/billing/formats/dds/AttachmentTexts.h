#pragma once

// The texts of the attachment container, the binding of attachments and the RZ3 control file, word
// for word. The templates are printf formats filled with strFormat().

namespace bv::attachment_texts {

// Reading an attachment container.
inline constexpr const char* CountMismatch = "Die Gesamtanzahl der Anlagen: \"%s\" stimmt nicht mit der in der "
                                             "Abrechnungsdatei angegebenen Referenzanzahl: \"%s\" überein";
inline constexpr const char* OddCount = "Die Gesamtanzahl der Anlagen: \"%s\" darf bei RZ2-Dateien nicht ungerade sein";
inline constexpr const char* InvoiceNumberUnusable =
    "Die Rechnungsnummer: \"%s\" ist zu lang, nicht vorhanden oder der Key existiert nicht";
inline constexpr const char* InvoiceIndexUnusable =
    "Die Rechnungsindex: \"%s\" ist nicht vorhanden oder der Key existiert nicht";
// A directory entry whose name would be written outside the attachment directory or over the
// extracted billing file, and one whose data lies beyond the end of the container.
inline constexpr const char* UnsafeEntryName =
    "Unzulässiger Dateiname im Anlagencontainer (Verzeichniseintrag %d): \"%s\"";
inline constexpr const char* EntryBeyondEnd =
    "Verzeichniseintrag %d (\"%s\") liegt außerhalb des Anlagencontainers (Offset %llu, Größe %llu, Dateigröße %llu)";
inline constexpr const char* BillingFileBeyondEnd =
    "Die Abrechnungsdatei liegt außerhalb des Anlagencontainers (Satz %lld bis %lld, Dateigröße %llu)";
inline constexpr const char* ContainerNotWritten = "Fehler bei Extraktion der Anlagedateien! \"%s\"";

// Building the attachment list.
inline constexpr const char* NoIniFile = "RZ2: Keine ini-Datei zu Anlage %s gefunden!";
inline constexpr const char* ListAlreadyBuilt = "AddFromTempDDS: m_pAnlage wurde bereits allokiert!";
inline constexpr const char* TooManyAttachments = "Rechnung %s enthält mehr als %d Anlagen!";

// Writing an attachment container.
inline constexpr const char* ListIncomplete = "Anlageliste unvollstängig! (nur %d statt %d Anlagen)";
inline constexpr const char* RecordShortRead = "Datensatz-Lesefehler (Offset %u): nur %ud gelesen! ";
inline constexpr const char* ContainerName = "%s~M%06d.%03d.DDSRZ10";
inline constexpr const char* ExtractedName = "%s%s%s.X.DDSRZ10";
// A file whose size or position the container's eight-digit fields cannot hold.
inline constexpr const char* FileTooLarge = "Anlage \"%s\" ist zu groß für den Anlagencontainer (%llu Bytes)";
inline constexpr const char* TooManyFiles = "Zu viele Dateien für den Anlagencontainer (%d)";
inline constexpr const char* ContainerNotCreated = "Datei \"%s\" konnte nicht angelegt werden!";
inline constexpr const char* AttachmentNotRead = "Anlagedatei \"%s\" konnte nicht gelesen werden!";

// Extracting the attachments of one invoice.
inline constexpr const char* ExtractionTarget = "%sA%05d00.tif";
inline constexpr const char* ExtractionFailed = "Fehler bei Extraktion der Anlagedateien! \"%s\"";
inline constexpr const char* ReferenceInconsistent = "Inkonsistenz in Anlagenreferenzierung ! (Rechnung-Nr.%d)";

// The RZ3 control file ("Kontrolldatei"; the misspelling "Kontolldatei" is the system's own).
inline constexpr const char* StatusBeforeProcessing = "(unbestimmter Zustand/vor Bearbeitung)";
inline constexpr const char* MissingSettings = "Falsche oder fehlende Daten in Kontolldatei \"%s\" Section: [%s]\r\n";
inline constexpr const char* MissingBatchNumber =
    "Irreguläre oder fehlende Stapelnummer in Kontolldatei \"%s\" Section: [%s]\r\n";
inline constexpr const char* BadAttachmentValue =
    "Datenfehler in Kontrolldatei \"%s\" \t\t\t\t\tSection/Key: [%s]%s\r\n";
inline constexpr const char* Mismatch = "Datenfehler in Kontrolldatei: %s nicht identisch in Abrechnungsdatei!\r\n";
inline constexpr const char* ListError = "interner Fehler bei Erzeugung von Anlagenliste: [%d(%d)/%s]\r\n";
inline constexpr const char* NotReferenced = "Anlagenzuordnungsfehler: Eine oder mehrere Anlagedateien werden in der "
                                             "Abrechnungsdatei nicht richtig referenziert (\"%s\")\r\n";
inline constexpr const char* TypeNotAllowed = "Anlagenzuordnungsfehler: Eine oder mehrere Anlagedateien entsprechen "
                                              "keinem zugelassenen Dateityp (\"%s\")\r\n";
inline constexpr const char* Unspecified = " (unspezifizierter Fehler)";
inline constexpr const char* SentBatch = " (Nr. %d wurde versendet !)";
inline constexpr const char* DdsPathFormat = "%sRZ%04d.001";

// The labels of a mismatch between control file and billing file.
inline constexpr const char* LabelDate = "Datum der Erstellung";
inline constexpr const char* LabelBatch = "Stapelnummer";
inline constexpr const char* LabelCustomer = "Kundennummer";
inline constexpr const char* LabelAttachments = "Anzahl der Anlagen";
inline constexpr const char* LabelInvoices = "Anzahl der Rechnungen";

} // namespace bv::attachment_texts
