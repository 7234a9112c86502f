#pragma once

#include "net/SettingsStore.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bv::test {

// Message boxes that record what was shown and answer from a script (the default button when the
// script is empty).
class RecordingBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        std::string text;
        std::string caption;
        MbIcon icon;
        MbButtons buttons;
    };

    using MessageBoxes::show;
    MbResult show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons,
                  MbResult defaultButton) override
    {
        shown.push_back({text, caption, icon, buttons});
        if (answers.empty())
            return defaultButton;
        const MbResult answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& s : shown)
            out.push_back(s.text);
        return out;
    }

    std::vector<Shown> shown;
    std::deque<MbResult> answers;
};

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
