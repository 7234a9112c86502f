#pragma once

#include "config/CompanyWord.h"

// User-visible texts and fixed words of the main window, word for word as the client shows them.
namespace bv::mainwindowtext {

inline constexpr const char* Caption = CompanyWord;

// Request files.
inline constexpr const char* RequestOpenFailed =
    "Die angeforderte Datenübermittlung kann nicht durchgeführt werden.\n\nFehler beim Öffnen von %s\nFehler: %d";
inline constexpr const char* RequestAddressFormat = "%s?vertnr=%s&session-id=%s&filename=%s";

// Page command BV_SENDAD.
inline constexpr const char* SendTestQuestion =
    "Voulez-vous transmettre une fichier quelconque pour effectuer un test?";

// Requests handed over by a second start.
inline constexpr const char* InstanceBusy =
    "Die angeforderte Datenübermittlung kann nicht durchgeführt werden,\nweil das brevalis-Abrechnungsmodul noch "
    "beschäftigt ist.\n\nBitte versuchen Sie die Datenübermittlung erneut.";
inline constexpr const char* InstanceCovered =
    "Die angeforderte Datenübermittlung kann nicht durchgeführt werden,\nweil im brevalis-Abrechnungsmodul ein "
    "weiteres Fenster geöffnet ist.\n\nBitte schließen Sie das Fenster und versuchen Sie die Datenübermittlung "
    "erneut.";

// Window menu (the system menu of the original window) and the information dialog.
inline constexpr const char* MenuTitle = CompanyWord;
inline constexpr const char* MenuInfo = "&Info";
inline constexpr const char* MenuConfiguration = "&Configuration";
inline constexpr const char* InfoTitle = "Info";

// Popup windows of the web application are titled with the company word.
inline constexpr const char* PopupTitle = CompanyWord;

inline constexpr const char* BlankPage = "about:blank";

} // namespace bv::mainwindowtext

// The page command vocabulary and the start-request commands: exact, case-sensitive words.
namespace bv::pagecommand {

inline constexpr const char* SendDialog = "BV_SENDAD";
inline constexpr const char* Config = "BV_CONFIG";
inline constexpr const char* PopupProperties = "BV_POPUPPROP";
inline constexpr const char* RemoteWrite = "BV_REG";
inline constexpr const char* SessionEnd = "BV_SESSIONEND";
inline constexpr const char* Logout = "BV_LOGOUT";

inline constexpr const char* StartUrl = "StartURL";
inline constexpr const char* Request = "REQ";

} // namespace bv::pagecommand
