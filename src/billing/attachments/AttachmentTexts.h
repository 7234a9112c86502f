#pragma once

#include "config/CompanyWord.h"

// Texts and names of the attachment store and its INI files.
namespace bv::attachmenttext {

inline constexpr const char* Caption = CompanyWord;
inline constexpr const char* Creator = "bvals_cl";

inline constexpr const char* WriteFailed = "Fehler beim Schreiben von %s\nFehler: %s";
inline constexpr const char* NoAttachment =
    "Die Rechnung kann nicht bearbeitet und versendet werden,\nweil keine Anlage vorhanden ist!\n\nBitte wenden Sie "
    "sich an die brevalis-Serviceline\nunter der Telefonnummer %s.";
inline constexpr const char* ChooseTitle = "Auswahl der Anlage";
inline constexpr const char* ChooseGridTitle = "Anlagen";
inline constexpr const char* ChooseText = "Zu dieser Rechnung wurden mehrere gescannte Anlagen beigefügt. Bitte wählen "
                                          "Sie jetzt die Anlage aus, für die Sie die  brevalis-Partnerabrechnung "
                                          "durchführen möchten.";

// Sections and keys of the attachment INI.
inline constexpr const char* General = "GENERAL";
inline constexpr const char* Ersteller = "Ersteller";
inline constexpr const char* Erstellungsdatum = "Erstellungsdatum";
inline constexpr const char* RzRechnung = "RZRECHNUNG";
inline constexpr const char* Beleg = "Beleg";
inline constexpr const char* Rechnungsnummer = "Rechnungsnummer";
inline constexpr const char* Rechnungsindex = "Rechnungsindex";
inline constexpr const char* Laborbetrag = "Laborbetrag";
inline constexpr const char* Data = "DATA";
inline constexpr const char* Partnerabrechnung = "Partnerabrechnung";
inline constexpr const char* Kundennummer = "brevalis-Kundennummer";
inline constexpr const char* Rechnungsdatum = "Rechnungsdatum";
inline constexpr const char* Rechnungsbetrag = "Rechnungsbetrag";

} // namespace bv::attachmenttext
