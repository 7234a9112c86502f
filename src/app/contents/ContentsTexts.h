#pragma once

#include "config/ProfileKeys.h"

// Texts of the invoice contents dialog "Inhalt der Abrechnungsdatei".
namespace bv::contentstext {

inline constexpr const char* Title = "Inhalt der Abrechnungsdatei";
inline constexpr const char* Caption = "brevalis";
inline constexpr const char* CannotInitialise = "Der Anzeigedialog konnte nicht initialisiert werden!";

// Column titles.
inline constexpr const char* Recipient = "Rechnungsempfänger";
inline constexpr const char* Patient = "Patient";
inline constexpr const char* PatientNumber = "Patientennr.";
inline constexpr const char* InvoiceNumber = "Rechnungsnr.";
inline constexpr const char* Amount = "Rech. Betrag";
inline constexpr const char* AmountStarred = "Rech. Betrag*";
inline constexpr const char* Id = "ID";
inline constexpr const char* LabAmount = "Laborbetrag";
inline constexpr const char* LabKind = "Laborleistung";

inline constexpr const char* Edit = "Bearbeiten";
inline constexpr const char* OwnLab = "Eigenlabor";
inline constexpr const char* ExternalLab = "Fremdlabor";
inline constexpr const char* Invoices = " Rechnungen";

// Printing: batch number and customer number text, or the customer number text alone.
inline constexpr const char* PrintTitleBatch = "Abrechnungsstapel %d von Teilnehmer %s";
inline constexpr const char* PrintTitleFile = "Abrechnungsdatei von Teilnehmer %s";
inline constexpr const char* Print = "Drucken...";
inline constexpr const char* Ok = "OK";
inline constexpr const char* Cancel = "Abbrechen";

// The nine state images: the number selects the image and its tooltip.
inline constexpr const char* StateTips[] = {
    "Alles OK",
    "Zu dieser Rechnung wurde noch keine Entscheidung getroffen!",
    "Zu dieser Rechnung existieren weitere Laborleistungen",
    "Anlage",
    "Es wurde keine Anlage hinzugefügt.",
    "Eine Anlage wurde zugeordnet.",
    "Partnerabrechung",
    "Es wird keine Partnerabrechnung durchgeführt.",
    "Die Angaben zur Partnerabrechnung sind vollständig.",
};

// Defaults of the RZAnlagen settings (from the profile's key table).
inline constexpr const char* DefaultStrictCheck = profilekey::StrictCheck.defaultValue;
inline constexpr const char* DefaultOwnKeywords = profilekey::EigenlaborAusdruck.defaultValue;
inline constexpr const char* DefaultExternalKeywords = profilekey::FremdlaborAusdruck.defaultValue;
inline constexpr const char* DefaultLabKind = "F";

} // namespace bv::contentstext
