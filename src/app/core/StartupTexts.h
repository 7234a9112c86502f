#pragma once

// Messages of the start-up.
namespace bv::startuptext
{

inline constexpr const char* RegistryLoadFailed =
    "Programmausf\xC3\xBChrung abgebrochen: Die Registrierungsdaten konnten nicht gelesen werden!";
inline constexpr const char* ControlFileNotOpened = "Die Steuerdatei %s konnte nicht ge\xC3\xB6" "ffnet werden.";
inline constexpr const char* TransferEvaluationFailed =
    "Die VDDS-Sendeschnittstelle konnte nicht ausgewertet werden!";

} // namespace bv::startuptext
