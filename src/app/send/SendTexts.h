#pragma once

#include "config/CompanyWord.h"

// Every user-visible text of the send dialog and the test-file dialog, word for word, in one place.
// The templates are printf formats filled with strFormat().

namespace bv::sendtext {

inline constexpr const char* Caption = CompanyWord;
inline constexpr const char* DialogTitle = "Envoyer la facture";
inline constexpr const char* TestFileTitle = "Testdatei senden";
inline constexpr const char* ChooseFileTitle = "Choisir fichier";

// Buttons.
inline constexpr const char* SendButton = "Envoyer";
inline constexpr const char* CancelButton = "Annuler";
inline constexpr const char* ContentsButton = "Contenu du fichier";
inline constexpr const char* ContentsButtonFixedRecord = "Dateiinhalt";

// Field labels.
inline constexpr const char* InvoiceCountLabel = "Nombre de factures :";
inline constexpr const char* AmountLabel = "Montant total :";
inline constexpr const char* FileDateLabel = "Date d'établissement :";
inline constexpr const char* CustomerLabelInitial = "Teilnehmernummer:";
inline constexpr const char* CustomerLabel = "Client :";
inline constexpr const char* CustomerBatchLabel = "Client / pile:";
inline constexpr const char* LastBatchLabel = "Letzte Stapelnummer:";
inline constexpr const char* LastBatchLabelCha = "fichiers transmis :";
inline constexpr const char* LastSendLabel = "Date d'envoi :";
inline constexpr const char* TransferTimeLabel = "Taille du fichier :";

// Field contents.
inline constexpr const char* AmountFormat = "%s %s    %s";
inline constexpr const char* AmountSuffixFormat = "(%s)";
inline constexpr const char* CustomerBatchFormat = "%s / %d";
inline constexpr const char* TransferTimeWithSeconds = "%ld min %ld s (Größe: %ld KB)";
inline constexpr const char* TransferTimeMinutes = "%ld min (Größe: %ld KB)";
inline constexpr const char* FileSizeFormat = "%ld KB";

// Opening.
inline constexpr const char* WrongSpoolType = "Falscher Spooltyp in CSendADDlg::OnInitDialog()";
inline constexpr const char* AccessError = "Fehler beim Zugriff auf %s:\n%s\nBitte wenden Sie sich an die "
                                           "brevalis-Serviceline\nunter der Telefonnummer %s.";
inline constexpr const char* UnknownFileError = "Unbekannter Dateizugriffsfehler!";
inline constexpr const char* NoFile = "Il n'existe aucun fichier de facturation prêt à l'envoi !\n(Répertoire : %s)";
inline constexpr const char* NoFileWithCode =
    "Il n'existe aucun fichier de facturation prêt à l'envoi !\n(Code interne : %d; Répertoire : %s)";
// Another process transmits from the spool directory: this dialog closes without touching it.
inline constexpr const char* TransmissionRunning =
    "Une transmission de ce répertoire est déjà en cours !\n(Répertoire : %s)";
inline constexpr const char* UnsupportedType =
    "Le répertoire des factures contient un fichier dont le type n'est pas soutenu.";
inline constexpr const char* AttachmentsWithoutControlFile =
    "Übergabe-/Kontrolldatei fehlend!\rDie Abrechnungsdatei \"%s\" referenziert %d Anlagedateien\nund kann nicht "
    "isoliert versendet werden!";

// Currency rule.
inline constexpr const char* EuroWarn =
    "Diese Abrechnung wurde in Euro erstellt!\nEine automatische Verarbeitung durch brevalis ist nicht möglich.";
inline constexpr const char* EuroRefuse =
    "Diese Abrechnung wurde in Euro erstellt!\nEin Versand an brevalis ist noch nicht möglich.";
inline constexpr const char* DmWarn =
    "Diese Abrechnung wurde in DM erstellt!\nEine automatische Verarbeitung durch brevalis ist nicht möglich.";
inline constexpr const char* DmRefuse = "Diese Abrechnung wurde in DM erstellt!\nEin Versand an brevalis ist nicht "
                                        "mehr möglich.";
inline constexpr const char* UnknownCurrency = "Unbekannte Währung in CSendADDlg::CheckVersandWaehrung()";

// Laboratory checks of the fixed-record formats.
inline constexpr const char* ReceiptsExist =
    "Für diese Abrechnung wurden bereits Belege hinzugefügt.\nSollen diese weiterhin verwendet werden?";
inline constexpr const char* LabReceiptsOrPartnersMissing =
    "In dieser Datei werden Laborleistungen abgerechnet.\nBitte fügen Sie vor dem Versand die entsprechenden Belege "
    "hinzu\nbzw. geben Sie die notwendigen Informationen zur Partnerabrechnung an.";
inline constexpr const char* LabReceiptsMissing = "In dieser Datei werden Laborleistungen abgerechnet.\nBitte fügen "
                                                  "Sie vor dem Versand die entsprechenden Belege hinzu.";
inline constexpr const char* PartnerBillingMissing =
    "Bitte geben Sie vor dem Versand die notwendigen Informationen\nzur Partnerabrechnung an.";

// Sending.
inline constexpr const char* LaboratoryIncomplete = "In dieser Abrechnung sind noch Laborleistungen enthalten,\nbei "
                                                    "denen die Angaben nicht vollständig sind.";
inline constexpr const char* FileTooLarge =
    "Le fichier \n%s\nest trop gros pour être transmis à %s.\nIl faut vérifier si la résolution des images attachées "
    "est trop élevée.\n\nTaille actuelle du fichier: %d MB\nTaille maximale du fichier: %d MB";
inline constexpr const char* WrongUser = "Ce fichier ne peut pas être envoyé\nsous ce nom d'utilisateur !";
inline constexpr const char* TransmissionError = "La transmission de la facture a causé une erreur.";

// Texts written into the practice software's control file.
inline constexpr const char* ControlTransmissionFailed = "Fehler bei Übertragung!";
inline constexpr const char* ControlCancelledByUser = "Versand durch Benutzer abgebrochen";
inline constexpr const char* ControlUnspecified = " (unspezifizierter Fehler)";

// Test-file dialog.
inline constexpr const char* TestFileUrl = "%s?vertnr=%s&stpnr=%s&typ=%s&session-id=%s&filename=%s&longfilename=%s";
inline constexpr const char* TestFileBatch = "-1";
inline constexpr const char* TestFileType = "TD";
inline constexpr const char* TestFileSending = "Le fichier %s est transmis au serveur brevalis.\nCe traitement peut "
                                               "prendre quelques minutes. Veuillez patienter s'il vous plaît.";
inline constexpr const char* TestFileError = "La transmission du fichier a causé une erreur.\n%s";
inline constexpr const char* TestFileErrorCode = "La transmission du fichier a causé l'erreur n° %d.";
inline constexpr const char* TestFileDone = "La transmission du fichier est terminée.";
inline constexpr const char* TestFileCancelled = "La transmission du fichier a été interrompue.";

} // namespace bv::sendtext
