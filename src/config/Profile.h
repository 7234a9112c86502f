#pragma once

#include "platform/Registry.h"

#include <string>

namespace bv
{

// The application's profile store: named string and integer values in sections under
// HKEY_CURRENT_USER\Software\<registry key name>\BVALS_CL\<section>. Every Part of the client reads
// its settings here at the moment of use; booleans are the strings "1" and "0".
class Profile
{
public:
    static constexpr const char* RegistryKeyName = "Brevalis - Abrechnungsservice f\xC3\xBCr Heilberufe";
    static constexpr const char* ProfileName = "BVALS_CL";

    explicit Profile(Registry& registry);

    // GetProfileString: the default when the value is missing; a number value reads as its decimal text.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue = {}) const;
    // GetProfileInt: a number value, or a string value by the decimal rule; the default when missing.
    int readInt(const std::string& section, const std::string& key, int defaultValue) const;
    bool exists(const std::string& section, const std::string& key) const;

    bool writeString(const std::string& section, const std::string& key, const std::string& value);
    bool writeInt(const std::string& section, const std::string& key, int value);

    // Full key path of a section: "HKEY_CURRENT_USER\Software\...\BVALS_CL\<section>".
    std::string sectionKey(const std::string& section) const;
    Registry& registry() { return m_registry; }

private:
    Registry& m_registry;
};

// Section and value names used across the client.
namespace section
{
inline constexpr const char* General = "General";
inline constexpr const char* Abrechnungsversand = "Abrechnungsversand";
inline constexpr const char* RZAnlagen = "RZAnlagen";
inline constexpr const char* Scanner = "Scanner";
inline constexpr const char* WindowPos = "WindowPos";
inline constexpr const char* SVWindowPos = "SVWindowPos";
inline constexpr const char* PAD = "PAD";
inline constexpr const char* Ziffern = "Ziffern";
} // namespace section

} // namespace bv
