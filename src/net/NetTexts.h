#pragma once

#include "config/CompanyWord.h"

// User-visible texts of the server communication: request errors, login, backup server, alive
// check and connection handling, word for word as the client shows them.
namespace bv::nettext {

inline constexpr const char* Caption = CompanyWord;

// Request layer.
inline constexpr const char* HttpStatusError = "L'erreur http %d est apparue ! ";
inline constexpr const char* ErrorNumber = "L'erreur %d est apparue !";
// The download and the upload word a failure without text with a trailing blank.
inline constexpr const char* ErrorNumberTransfer = "L'erreur %d est apparue ! ";
inline constexpr const char* BrowserOffline = "Der Internet Explorer befindet sich im 'Offlinebetrieb'.";
inline constexpr const char* ErrorTextUnavailable = "Fehlertext konnte nicht ermittelt werden:\n%s";
inline constexpr const char* NoMemoryForText = "Unable to allocate memory. Error code: ";
inline constexpr const char* NoInternetError = "Unable to get Internet error. Error code: ";
inline constexpr const char* NoMemoryForCode = "Unable to allocate memory to display Internet error code. Error code: ";

// Login.
inline constexpr const char* CannotGoOnline =
    "Die Verbindung zum %s-Rechenzentrum konnte\nnicht hergestellt werden. Bitte überprüfen Sie die\n"
    "Netzwerkeinstellungen und versuchen sie es erneut!";
inline constexpr const char* EnterUserAndPassword = "Veuillez entrer votre nom d'utilisateur et votre mot de passe !";
inline constexpr const char* LoginOffline =
    "Die Anmeldung konnte nicht durchgeführt werden,\nda sich der Internet Explorer im 'Offlinebetrieb' befindet.";
inline constexpr const char* FaultyReply = "Die Serverantwort war fehlerhaft!";
inline constexpr const char* RemoteWriteFailed = "Die Aktualisierung der Registrierungsinformation ist fehlgeschlagen.";
inline constexpr const char* DefaultUpdateQuestion =
    "Es steht eine neue Version dieser Software zur Verfügung!\nMöchten Sie diese jetzt herunterladen und "
    "installieren?";
inline constexpr const char* ClientVersionFormat = "BV_CL [%s]";
inline constexpr const char* ContextMainWindow = "CMA";
inline constexpr const char* ContextSendDialog = "CSE";

// Backup server.
inline constexpr const char* BackupErrorPrefix = "Backup-Server: ";
inline constexpr const char* FaultyBackupReply = "Die Backup-Serverantwort war fehlerhaft!";
inline constexpr const char* BackupReached = "%s (Le serveur backup a été atteint !)";
inline constexpr const char* BackupReachedNumber = "L'erreur %d est apparue ! (Le serveur backup a été atteint !)";

// Alive check.
inline constexpr const char* NoValidSession = "Es keine gültige Sitzung vorhanden!";
inline constexpr const char* SessionTimedOut = "Ihre Sitzung ist wegen Zeitüberschreitung abgelaufen!";

// Connection handling.
inline constexpr const char* FirewallHint =
    "Wichtiger Hinweis zur Verwendung des brevalis-Abrechnungsmoduls:\n\nFalls auf Ihrem Computer eines der "
    "folgenden Sicherheitspakete installiert ist, werden\nSie eventuell darauf aufmerksam gemacht, dass die "
    "brevalis-Anwendung auf das Internet\nzugreifen will:\n    - McAfee Internet Security\n    - Norton Internet "
    "Security\n    - Windows Firewall\n    - oder eine vergleichbare Software\n\nDer genaue Wortlaut der Meldung "
    "hängt von der verwendeten Sicherheitssoftware ab.\nBitte lesen Sie diese Meldung sorgfältig und beantworten "
    "Sie die Frage, ob dieser\nZugriff erlaubt werden soll, mit \"Ja, Zugriff immer erlauben\".\n\nFalls Sie dazu "
    "Fragen haben, wenden Sie sich bitte an die brevalis-Hotline unter\nTelefon %s.\n";
inline constexpr const char* ListDialUpFailed =
    "Bei der Ermittlung der DFÜ-Verbindungen ist Fehler %d aufgetreten.\nBitte wenden Sie sich an die "
    "%s-Hotline unter %s.";
inline constexpr const char* AskHangUp = "Soll die Verbindung mit %s getrennt werden?";
inline constexpr const char* HangUpFailed =
    "Beim Trennen der DFÜ-Verbindung %s ist der Fehler %d aufgetreten.\nBitte wenden Sie sich an die "
    "brevalis-Hotline unter %s.";

} // namespace bv::nettext
