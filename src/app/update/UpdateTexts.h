#pragma once

#include "config/CompanyWord.h"

// Texts and fixed names of the auto-update.
namespace bv::updatetext {

inline constexpr const char* Caption = CompanyWord;
inline constexpr const char* Explanation =
    "Das automatische Update wird nun vom brevalis-Rechenzentrum heruntergeladen. Dieser Vorgang kann einige "
    "Minuten in Anspruch nehmen. Bitte haben Sie etwas Geduld.";
inline constexpr const char* DownloadError = "La transmission a caus\xC3\xA9 une erreur.\n%s";
inline constexpr const char* DownloadErrorNumber = "La transmission a caus\xC3\xA9 l'erreur n\xC2\xB0 %d.";
inline constexpr const char* Interrupted = "La transmission a \xC3\xA9t\xC3\xA9 interrompue.";
inline constexpr const char* InstallQuestion =
    "Das Update wurde vollst\xC3\xA4ndig heruntergeladen.\nSoll die neue brevalis-Softwareversion nun installiert "
    "werden?";

// The installer is always downloaded under the same name into the temporary directory; the next
// update overwrites one that was never installed.
inline constexpr const char* InstallerName = "bv_setup.exe";
// The program that opens a file with the desktop's default application.
inline constexpr const char* DesktopOpener = "xdg-open";

} // namespace bv::updatetext
