#pragma once

#include "config/ProfileStore.h"
#include "platform/Text.h"

#include <map>
#include <optional>
#include <string>

namespace bv::test {

// The profile store in a map: "section/name" -> text (numbers as their decimal text). Writes fail on
// demand.
class MemoryProfileStore : public ProfileStore
{
public:
    using ProfileStore::exists;
    using ProfileStore::readInt;
    using ProfileStore::writeInt;

    std::string readString(const std::string& section, const std::string& name,
                           const std::string& defaultValue) const override
    {
        const auto it = values.find(section + "/" + name);
        return it == values.end() ? defaultValue : it->second;
    }
    int readInt(const std::string& section, const std::string& name, int defaultValue) const override
    {
        const auto it = values.find(section + "/" + name);
        return it == values.end() ? defaultValue : decimalInt(it->second);
    }
    bool exists(const std::string& section, const std::string& name) const override
    {
        return values.count(section + "/" + name) != 0;
    }
    bool writeString(const std::string& section, const std::string& name, const std::string& value) override
    {
        if (failWrites)
            return false;
        values[section + "/" + name] = value;
        return true;
    }
    bool writeInt(const std::string& section, const std::string& name, int value) override
    {
        return writeString(section, name, std::to_string(value));
    }

    std::optional<std::string> get(const std::string& path) const
    {
        const auto it = values.find(path);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

    std::map<std::string, std::string> values;
    bool failWrites = false;
};

} // namespace bv::test
