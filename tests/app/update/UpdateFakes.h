#pragma once

#include "app/update/InstallerLauncher.h"
#include "app/update/UpdateView.h"
#include "net/SettingsStore.h"
#include "platform/Text.h"

#include <map>
#include <string>
#include <vector>

namespace bv::test {

struct FakeUpdateView : UpdateView
{
    void setProgress(int percent) override { progress.push_back(percent); }
    void closeDialog() override { ++closed; }

    std::vector<int> progress;
    int closed = 0;
};

struct FakeLauncher : InstallerLauncher
{
    SystemError openInstaller(const std::string& file) override
    {
        opened.push_back(file);
        return failure;
    }

    std::vector<std::string> opened;
    SystemError failure;
};

// Profile values in a map, "section/key" -> value.
struct MapSettings : SettingsStore
{
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
        values[section + "/" + key] = value;
        return true;
    }
    bool writeInt(const std::string& section, const std::string& key, int value) override
    {
        return writeString(section, key, std::to_string(value));
    }

    std::map<std::string, std::string> values;
};

} // namespace bv::test
