#pragma once

#include <string>
#include <string_view>

namespace bv {

// Value names of the profile store, one index for every layer. Section names are in Profile.h
// (namespace section). Per-customer values are named after the six-digit customer number followed
// by one of the suffixes below ("000012:last_stapel").
namespace profilekey {
// General
inline constexpr const char* LoginURL = "LoginURL";
inline constexpr const char* LoginBackupURL = "LoginBackupURL";
inline constexpr const char* ClientVersion = "ClientVersion";
inline constexpr const char* UseBackupURL = "UseBackupURL";
inline constexpr const char* UseLan = "UseLan";
inline constexpr const char* Kundennummer = "Kundennummer";
inline constexpr const char* ClientPath = "ClientPath";
inline constexpr const char* DefaultRASName = "DefaultRASName";
inline constexpr const char* AutoUpdateFile = "AutoUpdateFile";
inline constexpr const char* AutoUpdateSuccess = "AutoUpdateSuccess";
inline constexpr const char* LastUser = "LastUser";
inline constexpr const char* LoginSuccess = "LoginSuccess";
inline constexpr const char* RegVersion = "RegVersion";
inline constexpr const char* RequestURL = "RequestURL";
inline constexpr const char* ServicelineTel = "ServicelineTel";
inline constexpr const char* TechHotlineTel = "TechHotlineTel";

// Abrechnungsversand
inline constexpr const char* spooldir = "spooldir";
inline constexpr const char* DefaultSpooldir = "DefaultSpooldir";
inline constexpr const char* SavedSpooldir = "SavedSpooldir";
inline constexpr const char* UseProxy = "UseProxy";
inline constexpr const char* AliveURL = "AliveURL";
inline constexpr const char* AliveTimeout = "AliveTimeout";
inline constexpr const char* ReplyTimeout = "ReplyTimeout"; // seconds for the whole reply to an upload
inline constexpr const char* MaxDateiGroesse = "MaxDateiGroesse";
inline constexpr const char* BetragErgText = "BetragErgText";
inline constexpr const char* FirstEURDate = "FirstEURDate";
inline constexpr const char* EURVorUmstellung = "EURVorUmstellung";
inline constexpr const char* LastDEMDate = "LastDEMDate";
inline constexpr const char* DEMNachUmstellung = "DEMNachUmstellung";
inline constexpr const char* file_filter = "file_filter";

// RZAnlagen
inline constexpr const char* ScanDir = "ScanDir";
inline constexpr const char* TmpDir = "TmpDir";
inline constexpr const char* StrictCheck = "StrictCheck";
inline constexpr const char* FremdlaborAusdruck = "FremdlaborAusdruck";
inline constexpr const char* EigenlaborAusdruck = "EigenlaborAusdruck";
inline constexpr const char* LaborLeistungenTyp = "LaborLeistungenTyp";

// WindowPos, SVWindowPos
inline constexpr const char* x = "x";
inline constexpr const char* y = "y";
inline constexpr const char* cx = "cx";
inline constexpr const char* cy = "cy";

// PAD
inline constexpr const char* Ostabschlag = "Ostabschlag";

// Ziffern
inline constexpr const char* Checks = "Checks";

// Suffixes of the per-customer values: last batch number and date of the last transfer
// (Abrechnungsversand), the statistics flag of the PAD reduction summary (PAD).
inline constexpr const char* LastStapelSuffix = ":last_stapel";
inline constexpr const char* LastSendSuffix = ":last_send";
inline constexpr const char* StatMindSuffix = ":StatMind";

// "<six-digit customer number><suffix>".
std::string perCustomer(std::string_view sixDigitCustomer, std::string_view suffix);
} // namespace profilekey

// The installer's machine key, named in the bracket notation that RegistryKeyReader opens:
// "[HKEY_LOCAL_MACHINE\SOFTWARE\<registry key name>\BVALS_CL" + ending. A named configuration N
// lives in the sibling key "...\BVALS_CL_N\General]".
namespace machinekey {
std::string base();
std::string general();                                                // base + "\General]"
std::string abrechnungsversand();                                     // base + "\Abrechnungsversand]"
std::string rzAnlagen();                                              // base + "\RZAnlagen]"
std::string configurationGeneral(std::string_view configurationName); // base + "_" + N + "\General]"
} // namespace machinekey

} // namespace bv
