#pragma once

#include <string>

namespace bv {

class Profile;

// The profile values that the billing centre may read and change through a login reply. The
// client's store is the profile; tests and the fuzz target use a map.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    virtual std::string readString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    virtual int readInt(const std::string& section, const std::string& key, int defaultValue) const = 0;
    virtual bool writeString(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual bool writeInt(const std::string& section, const std::string& key, int value) = 0;
};

// The profile store as the target of remote writes.
class ProfileSettingsStore : public SettingsStore
{
public:
    explicit ProfileSettingsStore(Profile& profile) : m_profile(profile) {}
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    int readInt(const std::string& section, const std::string& key, int defaultValue) const override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value) override;
    bool writeInt(const std::string& section, const std::string& key, int value) override;

private:
    Profile& m_profile;
};

} // namespace bv
