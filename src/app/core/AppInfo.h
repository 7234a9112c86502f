#pragma once

// Fixed identity of this edition of the client.
namespace bv::appinfo {

inline constexpr const char* VersionText = "1.5.1 (Build 1051) CH-FR";
inline constexpr const char* ProgramTitle = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
inline constexpr const char* CountryCode = "CH";
inline constexpr const char* LanguageCode = "FRZ";
// Application title resource: the name of the configuration profile.
inline constexpr const char* AppTitle = "BVALS_CL";
inline constexpr const char* RegistryErrorCaption = "BVALS_CL/ Registrierungsfehler";
inline constexpr const char* DefaultInstanceName = "brevalis_Client_CH_FR";
inline constexpr const char* NamedInstanceFormat = "brevalis_Client_%s";

// Popup-window defaults of the web application.
inline constexpr int PopupWidth = 535;
inline constexpr int PopupHeight = 540;

} // namespace bv::appinfo
