#include "net/SettingsStore.h"

#include "config/Profile.h"

namespace bv {

std::string ProfileSettingsStore::readString(const std::string& section, const std::string& key,
                                             const std::string& defaultValue) const
{
    return m_profile.readString(section, key, defaultValue);
}

int ProfileSettingsStore::readInt(const std::string& section, const std::string& key, int defaultValue) const
{
    return m_profile.readInt(section, key, defaultValue);
}

bool ProfileSettingsStore::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    return m_profile.writeString(section, key, value);
}

bool ProfileSettingsStore::writeInt(const std::string& section, const std::string& key, int value)
{
    return m_profile.writeInt(section, key, value);
}

} // namespace bv
