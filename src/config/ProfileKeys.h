#pragma once

#include <string>
#include <string_view>

namespace bv {

// Sections of the profile store.
namespace section {
inline constexpr const char* General = "General";
inline constexpr const char* Abrechnungsversand = "Abrechnungsversand";
inline constexpr const char* RZAnlagen = "RZAnlagen";
inline constexpr const char* Scanner = "Scanner";
inline constexpr const char* WindowPos = "WindowPos";
inline constexpr const char* SVWindowPos = "SVWindowPos";
inline constexpr const char* PAD = "PAD";
inline constexpr const char* Ziffern = "Ziffern";
} // namespace section

// One value of the profile store: its section, its name and what a read gives when it is missing.
struct ProfileKey
{
    const char* section;
    const char* name;
    const char* defaultValue;

    int defaultNumber() const; // the default as a number, by the decimal rule
};

// Values whose names are made at run time: a member (the six-digit customer number, a sender EAN, a
// contract number, a list name) followed by the family's suffix, as in "000012:last_stapel".
struct ProfileKeyFamily
{
    const char* section;
    const char* suffix;
    const char* defaultValue;

    std::string name(std::string_view member) const;
};

// The key table: every value the client reads or writes, with its one default. Nothing outside this
// table names a value or gives a default; a read that must tell "missing" from a value asks exists().
namespace profilekey {
using S = ProfileKey;
// General
inline constexpr S LoginURL{section::General, "LoginURL", ""};
inline constexpr S LoginBackupURL{section::General, "LoginBackupURL", ""};
inline constexpr S ClientVersion{section::General, "ClientVersion", ""};
inline constexpr S UseBackupURL{section::General, "UseBackupURL", ""};
inline constexpr S UseLan{section::General, "UseLan", "0"};
inline constexpr S Kundennummer{section::General, "Kundennummer", ""};
inline constexpr S ClientPath{section::General, "ClientPath", ""};
inline constexpr S DefaultRASName{section::General, "DefaultRASName", ""};
inline constexpr S AutoUpdateFile{section::General, "AutoUpdateFile", ""};
inline constexpr S AutoUpdateSuccess{section::General, "AutoUpdateSuccess", ""};
inline constexpr S LastUser{section::General, "LastUser", ""};
inline constexpr S LoginSuccess{section::General, "LoginSuccess", ""};
inline constexpr S RegVersion{section::General, "RegVersion", "-1"};
inline constexpr S RequestURL{section::General, "RequestURL", ""};
inline constexpr S ServicelineTel{section::General, "ServicelineTel", "0848 000 000"};
inline constexpr S TechHotlineTel{section::General, "TechHotlineTel", "0848 000 000"};

// Abrechnungsversand
// The spool directory; when it is missing the spool is the temporary directory (SpoolDirectory.h).
inline constexpr S spooldir{section::Abrechnungsversand, "spooldir", ""};
inline constexpr S DefaultSpooldir{section::Abrechnungsversand, "DefaultSpooldir", ""};
inline constexpr S SavedSpooldir{section::Abrechnungsversand, "SavedSpooldir", ""};
inline constexpr S UseProxy{section::Abrechnungsversand, "UseProxy", ""};
inline constexpr S URL{section::Abrechnungsversand, "URL", ""}; // base address of the upload service
inline constexpr S AliveURL{section::Abrechnungsversand, "AliveURL", ""};
inline constexpr S AliveTimeout{section::Abrechnungsversand, "AliveTimeout", "60000"}; // milliseconds
inline constexpr S ReplyTimeout{section::Abrechnungsversand, "ReplyTimeout", "300"};   // seconds for a whole reply
inline constexpr S MaxDateiGroesse{section::Abrechnungsversand, "MaxDateiGroesse", "100000000"};
inline constexpr S BetragErgText{section::Abrechnungsversand, "BetragErgText", ""};
inline constexpr S EuroDefault{section::Abrechnungsversand, "EuroDefault", "0"};
inline constexpr S FirstEURDate{section::Abrechnungsversand, "FirstEURDate", "20020101"};
inline constexpr S EURVorUmstellung{section::Abrechnungsversand, "EURVorUmstellung", "0"};
inline constexpr S LastDEMDate{section::Abrechnungsversand, "LastDEMDate", "20011231"};
inline constexpr S DEMNachUmstellung{section::Abrechnungsversand, "DEMNachUmstellung", "0"};
// The report of the configuration interface names the stored filter, empty when none is stored.
inline constexpr S file_filter{section::Abrechnungsversand, "file_filter", "RZ????.001"};

// RZAnlagen
inline constexpr S ScanDir{section::RZAnlagen, "ScanDir", ""};
inline constexpr S TmpDir{section::RZAnlagen, "TmpDir", ""};
inline constexpr S StrictCheck{section::RZAnlagen, "StrictCheck", "1"};
// Keywords (separated by ";") that mark external and own laboratory services.
inline constexpr S FremdlaborAusdruck{section::RZAnlagen, "FremdlaborAusdruck", "fremdlabor;dentallabor;labkostengewe"};
inline constexpr S EigenlaborAusdruck{section::RZAnlagen, "EigenlaborAusdruck",
                                      "eigenlabor;praxislabor;labkostenpraxis"};
inline constexpr S LaborLeistungenTyp{section::RZAnlagen, "LaborLeistungenTyp", ""};

// Scanner: the source chosen in the receipt dialog and its settings ("TRUE"/"FALSE" for the flags)
inline constexpr S TwnManufacturer{section::Scanner, "TwnManufacturer", ""};
inline constexpr S TwnProductFamily{section::Scanner, "TwnProductFamily", ""};
inline constexpr S TwnSourceName{section::Scanner, "TwnSourceName", ""};
inline constexpr S SELECTSOURCE{section::Scanner, "SELECTSOURCE", "FALSE"};
inline constexpr S XRESOLUTION{section::Scanner, "XRESOLUTION", "120"};
inline constexpr S YRESOLUTION{section::Scanner, "YRESOLUTION", "120"};
inline constexpr S PIXELTYPE{section::Scanner, "PIXELTYPE", "4"};
inline constexpr S UNITS{section::Scanner, "UNITS", "0"};
inline constexpr S SUPPORTEDSIZES{section::Scanner, "SUPPORTEDSIZES", "1"};
inline constexpr S COLOR_RESOLUTION{section::Scanner, "COLOR_RESOLUTION", "4"};
inline constexpr S BRIGHTNESS{section::Scanner, "BRIGHTNESS", "225"};
inline constexpr S CONTRAST{section::Scanner, "CONTRAST", "200"};
inline constexpr S MEDIANFILTER{section::Scanner, "MEDIANFILTER", ""};
inline constexpr S SHOW_USER_INTERFACE{section::Scanner, "SHOW_USER_INTERFACE", ""};

// WindowPos: the main window's place and size (its smallest size by default).
inline constexpr S x{section::WindowPos, "x", "0"};
inline constexpr S y{section::WindowPos, "y", "0"};
inline constexpr S cx{section::WindowPos, "cx", "810"};
inline constexpr S cy{section::WindowPos, "cy", "572"};
// SVWindowPos: the receipt dialog's place and size.
inline constexpr S receiptX{section::SVWindowPos, "x", "0"};
inline constexpr S receiptY{section::SVWindowPos, "y", "0"};
inline constexpr S receiptCx{section::SVWindowPos, "cx", "810"};
inline constexpr S receiptCy{section::SVWindowPos, "cy", "572"};

// PAD
// The east reductions: "date=percentage" entries separated by ";".
inline constexpr S Ostabschlag{section::PAD, "Ostabschlag", "19000101=0"};

// Ziffern: "Checks" names the fee value lists (separated by ";"), each stored under its own name.
inline constexpr S Checks{section::Ziffern, "Checks", ""};
inline constexpr ProfileKeyFamily FeeValueList{section::Ziffern, "", ""};

// Per customer (or per sender EAN for XML invoices): last batch number and time of the last transfer;
// "-1" marks a customer without a recorded transfer.
inline constexpr ProfileKeyFamily LastStapel{section::Abrechnungsversand, ":last_stapel", "-1"};
inline constexpr ProfileKeyFamily LastSend{section::Abrechnungsversand, ":last_send", ""};
// Per customer: the statistics flag of the PAD reduction summary.
inline constexpr ProfileKeyFamily StatMind{section::PAD, ":StatMind", "0"};
// Per contract number: the partner laboratories of the contract.
inline constexpr ProfileKeyFamily Partnerlabore{section::General, ":Partnerlabore", ""};
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
