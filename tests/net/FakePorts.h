#pragma once

#include "net/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"
#include "registry/RecordingMessageBoxes.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bv::test {

// Message boxes that record what was shown and answer from a script.
using RecordingBoxes = RecordingMessageBoxes;

// Profile values in a map; "section/key" -> string or number. Writes fail on demand.
class MapSettingsStore : public SettingsStore
{
public:
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override
    {
        const auto it = values.find(section + "/" + key);
        return it == values.end() ? defaultValue : it->second;
    }
    int readInt(const std::string& section, const std::string& key, int defaultValue) const override
    {
        const auto it = values.find(section + "/" + key);
        return it == values.end() ? defaultValue : decimalInt(it->second);
    }
    bool writeString(const std::string& section, const std::string& key, const std::string& value) override
    {
        if (failWrites)
            return false;
        values[section + "/" + key] = value;
        return true;
    }
    bool writeInt(const std::string& section, const std::string& key, int value) override
    {
        return writeString(section, key, std::to_string(value));
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
