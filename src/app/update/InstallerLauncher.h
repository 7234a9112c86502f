#pragma once

#include "platform/Files.h"

#include <string>

namespace bv {

// Opens the downloaded installer as the desktop opens a file: the program runs on its own and the
// client does not wait for it.
class InstallerLauncher
{
public:
    virtual ~InstallerLauncher() = default;
    // The system error when the installer could not be started.
    virtual SystemError openInstaller(const std::string& file) = 0;
};

// Starts an executable installer directly; any other file goes to "xdg-open", which hands it to the
// application the desktop associates with it.
class ShellInstallerLauncher : public InstallerLauncher
{
public:
    SystemError openInstaller(const std::string& file) override;
};

} // namespace bv
