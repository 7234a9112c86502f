#pragma once

namespace bv {

// The service's name as every window title, message caption and company-word slot of a text shows it.
inline constexpr const char* CompanyWord = "brevalis";

} // namespace bv
