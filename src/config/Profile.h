#pragma once

#include "config/ProfileStore.h"
#include "platform/Registry.h"

#include <string>

namespace bv {

// The profile store of the client: the values live in the current user's hive under
// HKEY_CURRENT_USER\Software\<registry key name>\BVALS_CL\<section>.
class Profile : public ProfileStore
{
public:
    static constexpr const char* RegistryKeyName = "Brevalis - Abrechnungsservice f\xC3\xBCr Heilberufe";
    static constexpr const char* ProfileName = "BVALS_CL";

    using ProfileStore::exists;
    using ProfileStore::readInt;
    using ProfileStore::writeInt;

    explicit Profile(Registry& registry);

    std::string readString(const std::string& section, const std::string& name,
                           const std::string& defaultValue = {}) const override;
    int readInt(const std::string& section, const std::string& name, int defaultValue) const override;
    bool exists(const std::string& section, const std::string& name) const override;
    bool writeString(const std::string& section, const std::string& name, const std::string& value) override;
    bool writeInt(const std::string& section, const std::string& name, int value) override;
    std::string machineValue(const std::string& machineKey, const std::string& name) const override;

    // Full key path of a section: "HKEY_CURRENT_USER\Software\...\BVALS_CL\<section>".
    std::string sectionKey(const std::string& section) const;
    Registry& registry() { return m_registry; }

private:
    Registry& m_registry;
};

} // namespace bv
