#pragma once

// Messages of the start-up.
namespace bv::startuptext {

inline constexpr const char* RegistryLoadFailed =
    "Programmausf\xC3\xBChrung abgebrochen: Die Registrierungsdaten konnten nicht gelesen werden!";

} // namespace bv::startuptext
