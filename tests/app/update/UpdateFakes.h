#pragma once

#include "app/update/InstallerLauncher.h"
#include "app/update/UpdateView.h"
#include "platform/MemoryProfileStore.h"
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
using MapSettings = MemoryProfileStore;

} // namespace bv::test
