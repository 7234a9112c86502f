#pragma once

#include "config/CompanyWord.h"

namespace bv::configtext {

// Caption of the configuration's message boxes and of the setup dialog: the company word.
inline constexpr const char* Caption = CompanyWord;

// The installer's key of a named configuration ("/conf <name>") is missing; %s is the name.
inline constexpr const char* ConfigurationKeysMissing = "Registryeinträge für Konfiguration %s sind nicht vorhanden.";

// Configuration interface: the interface file could not be written; %s is its path.
inline constexpr const char* InterfaceFileError = "Fehler bei Zugriff auf Profile-Datei:\n\n\"%s\"\n";
inline constexpr const char* InterfaceCaption = "brevalis-Konfigurationsschnittstelle:";
// bvlsreg, on stderr: the new spool directory could not be stored in the profile.
inline constexpr const char* SpooldirNotSet = "Unbekannter Fehler: Setzen des Abrechnungsverzeichnisses gescheitert!\n";

// bvlsreg: the client has never run for this user (no General ClientPath).
inline constexpr const char* NotInstalled = "Fehler: brevalis ist nicht korrekt installiert!\n";
// bvlsreg usage text, printed in this order to stdout.
inline constexpr const char* UsageLines[] = {
    "\nbrevalis-Konfigurationsschnittstelle V.4.1.0 (Build 1001)\n\n",
    "Aufruf:                      \tbvlsreg /ini <iniDateiname>\n\n",
    "Rueckgabewert/Errorlevel <0 :\tFehler / Text nach stderr \n",
};

// Setup dialog.
inline constexpr const char* SetupCaption = CompanyWord;
inline constexpr const char* FolderBrowserTitle = "Auswahl des Abrechnungsverzeichnisses:";
inline constexpr const char* DriveRootA = "A:\\";
inline constexpr const char* DriveRootB = "B:\\";

} // namespace bv::configtext
