#pragma once

// The texts of the receipt dialog "Beleg", word for word.
namespace bv::receipttext {

inline constexpr const char* Title = "Beleg";
inline constexpr const char* TitleWithFile = "Beleg - [%s%s]";

// Captions and tooltips.
inline constexpr const char* ReceiptCheck = "Beleg";
inline constexpr const char* ScanFirst = "Erste Seite scannen";
inline constexpr const char* ScanNext = "Folgeseite %d scannen";
inline constexpr const char* DeletePage = "Angezeigte Seite löschen";
inline constexpr const char* DeletePageNumber = "Angezeigte Seite %d löschen";
inline constexpr const char* PartnerGroup = "Partnerabrechung";
inline constexpr const char* PartnerLabel = "Laborvertragsnummer:";
inline constexpr const char* NumberLabel = "Laborrechnungsnummer:";
inline constexpr const char* DateLabel = "Laborrechnungsdatum (tt.mm.jjjj):";
inline constexpr const char* Ok = "OK";
inline constexpr const char* Cancel = "Abbrechen";
inline constexpr const char* Previous = "<";
inline constexpr const char* Next = ">";
inline constexpr const char* First = "|<";
inline constexpr const char* Last = ">|";
inline constexpr const char* Fit = "Optimale Größe";
inline constexpr const char* FitWidth = "Breite";
inline constexpr const char* Rotate = "90° drehen";
inline constexpr const char* ZoomOut = "-";
inline constexpr const char* ZoomIn = "+";
inline constexpr const char* SelectSource = "Quelle wählen";
inline constexpr const char* Append = "Seite Anfügen";
inline constexpr const char* Insert = "Seite Einfügen";
inline constexpr const char* ChooseFile = "Datei auswählen";
inline constexpr const char* NoAmount = "-- Kein Betrag angeben --";
inline constexpr const char* NoName = "-- Kein Name angeben --";
inline constexpr const char* RotateTip = "Drehen der Seite um 90 Grad nach rechts";
inline constexpr const char* NextTip = "nächste Seite anzeigen";
inline constexpr const char* PreviousTip = "vorherige Seite anzeigen";
inline constexpr const char* PartnerTip = "Angaben zur Partnerabrechnung eingeben";
inline constexpr const char* ReceiptTip = "Beleg hinzufügen";
inline constexpr const char* ScanTip = "Starten des Scan-Vorgangns";
inline constexpr const char* TiffFilter = "Tiffs (*.tiff *.tif)";

inline constexpr const char* ZoomText = "Zoom %d %%";
inline constexpr const char* PageText = "Seite %d von %d";
inline constexpr const char* AmountText = "%s EUR";

// Messages.
inline constexpr const char* NoTmpDir = "Registrierungseintrag RZAnlagen/TmpDir nicht vorhanden!";
inline constexpr const char* NoSelectSource = "Registrierungseintrag Scanner/SELECTSOURCE nicht vorhanden!";
inline constexpr const char* NoMedianFilter = "Registrierungseintrag Scanner/MEDIANFILTER nicht vorhanden!";
inline constexpr const char* NoShowUserInterface = "Registrierungseintrag Scanner/SHOW_USER_INTERFACE nicht vorhanden!";
inline constexpr const char* CopyForEditFailed =
    "Die Datei \"%s\"\nkonnte zur temporären Bearbeitung nicht kopiert werden.";
inline constexpr const char* NotFound = "Die Datei \"%s\"\nwurde nicht gefunden.\n";
inline constexpr const char* BadMode = "Der Scan Dialog konnte nicht geöffnet werden.";
inline constexpr const char* SourcesFailed = "Fehler bei der Abfrage der Twain-Quellen";
inline constexpr const char* SourcesCaption = "ERROR";
inline constexpr const char* ScanFailed = "Der Scan-Vorgang ist leider fehlgeschlagen.(Fehler %d)\n";
inline constexpr const char* SaveFailed = "Fehler beim bearbeiten der Seite bzw. Datei.";
inline constexpr const char* AppendFailed = "Fehler beim anfügen!";
inline constexpr const char* InsertFailed = "Fehler beim einfügen der Seite!";
inline constexpr const char* SelectFailed = "Fehler bei der Auswahl des Scanners  aufgetreten.";
inline constexpr const char* ConfirmDeletePage = "Möchten Sie die angezeigte Seite wirklich löschen?";
inline constexpr const char* DeletePageFailed = "Die angezeigte Seite konnte nicht gelöscht werden!";
inline constexpr const char* RotateFailed = "Fehler beim überschreiben der Seite!";
inline constexpr const char* LoadFailed = "Die temporäre Datei \"%s\" konnte nicht geladen werden.";
inline constexpr const char* NoNumber = "Bitte geben Sie die Rechnungsnummer an.";
inline constexpr const char* NoPartner = "Bitte wählen Sie eine Vertragsnummer bzw. Ihr Partnerlabor aus.";
inline constexpr const char* CopyBackFailed = "Fehler beim kopieren der Temporären Datei.";
inline constexpr const char* ConfirmDeleteReceipt =
    "Möchten Sie den Beleg wirklich löschen?\nEventuell vorhandene zugehörige Dateien werden hiermit gelöscht.";
inline constexpr const char* ScanFirstPage = "Bitte starten Sie den Scan der ersten Seite.";
inline constexpr const char* NoDate = "Bitte geben Sie das Datum an.";
inline constexpr const char* BadDate = "Bitte geben Sie das Datum im Format TT.MM.JJJJ an.";
inline constexpr const char* BadYear = "Das angegebene Jahr ist ungültig.";
inline constexpr const char* FutureDate = "Das angegebene Rechnungsdatum liegt in der Zukunft.";
inline constexpr const char* YearTooLate = "Bitte geben Sie ein gültiges Jahr vor 2038 ein.";

} // namespace bv::receipttext
