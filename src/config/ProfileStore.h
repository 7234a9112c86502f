#pragma once

#include "config/ProfileKeys.h"

#include <string>
#include <string_view>

namespace bv {

// The application's profile: named string and integer values in sections. Every layer reads and writes
// it through this one interface, by the rows of the key table (ProfileKeys.h); the hive of the current
// user is the client's store (Profile), a map the tests' (MemoryProfileStore). Booleans are the
// strings "1" and "0".
class ProfileStore
{
public:
    virtual ~ProfileStore() = default;

    // By section and name, for the names the billing centre chooses in its remote writes and for the
    // store implementations. GetProfileString: the default when the value is missing, a number value
    // as its decimal text. GetProfileInt: a number value, or a string value by the decimal rule.
    virtual std::string readString(const std::string& section, const std::string& name,
                                   const std::string& defaultValue = {}) const = 0;
    virtual int readInt(const std::string& section, const std::string& name, int defaultValue) const = 0;
    virtual bool exists(const std::string& section, const std::string& name) const = 0;
    virtual bool writeString(const std::string& section, const std::string& name, const std::string& value) = 0;
    virtual bool writeInt(const std::string& section, const std::string& name, int value) = 0;

    // A value of the installer's machine key ("[HKEY_LOCAL_MACHINE\\...]" notation, machinekey::);
    // empty where the store has no machine key.
    virtual std::string machineValue(const std::string& machineKey, const std::string& name) const
    {
        (void)machineKey;
        (void)name;
        return {};
    }

    // By the key table: its default when the value is missing.
    std::string read(const ProfileKey& key) const { return readString(key.section, key.name, key.defaultValue); }
    int readInt(const ProfileKey& key) const { return readInt(key.section, key.name, key.defaultNumber()); }
    bool exists(const ProfileKey& key) const { return exists(key.section, key.name); }
    bool write(const ProfileKey& key, const std::string& value) { return writeString(key.section, key.name, value); }
    bool writeInt(const ProfileKey& key, int value) { return writeInt(key.section, key.name, value); }

    // The stored text, empty when the value is missing, whatever the key's default.
    std::string stored(const ProfileKey& key) const { return readString(key.section, key.name, {}); }

    // A value of a family, named by `member` (a customer number, a sender EAN, a list name) and the
    // family's suffix.
    std::string read(const ProfileKeyFamily& family, std::string_view member) const
    {
        return readString(family.section, family.name(member), family.defaultValue);
    }
    std::string stored(const ProfileKeyFamily& family, std::string_view member) const
    {
        return readString(family.section, family.name(member), {});
    }
    bool write(const ProfileKeyFamily& family, std::string_view member, const std::string& value)
    {
        return writeString(family.section, family.name(member), value);
    }
};

} // namespace bv
