#pragma once

#include "config/CompanyWord.h"

// Messages, captions and fixed names of the practice-software send interface.
namespace bv::practicetext {

inline constexpr const char* Caption = CompanyWord;
inline constexpr const char* DirectoryCaption = "Hinweis";

inline constexpr const char* ControlFileNotOpened = "Die Steuerdatei %s konnte nicht ge\xC3\xB6"
                                                    "ffnet werden.";
inline constexpr const char* EvaluationFailed = "Die VDDS-Sendeschnittstelle konnte nicht ausgewertet werden!";
inline constexpr const char* NoCustomerNumber = "Die Kundennummer konnte aus der VDDS-Datei nicht ermittelt werden!";
inline constexpr const char* NoBillingFileName =
    "Der Name der RZ-Datei konnte aus der VDDS-Datei nicht ermittelt werden!";
inline constexpr const char* BillingFileUnreadable = "Fehler beim Lesen der RZ-Datei von %s\nFehler: %d";
// Framed around the path of a directory that could not be created.
inline constexpr const char* DirectoryNotCreatedBefore = "Das Verzeichnis: ";
inline constexpr const char* DirectoryNotCreatedAfter = " konnte nicht erzeugt werden.";

// Where transfers are prepared, below the temporary directory, and the work file in each.
inline constexpr const char* WorkingRoot = "brevalis_RZClientSend";
inline constexpr const char* WorkFileName = "bvlsabr.ini";
inline constexpr const char* AttachmentSuffix = " [xxx],1";
inline constexpr const char* RequestPrefix = "REQ:";

} // namespace bv::practicetext
