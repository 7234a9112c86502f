#include "app/update/InstallerLauncher.h"

#include "app/update/UpdateTexts.h"
#include "platform/Process.h"

#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

bool isExecutableFile(const std::string& file)
{
    struct stat info = {};
    return ::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(file.c_str(), X_OK) == 0;
}

} // namespace

SystemError ShellInstallerLauncher::openInstaller(const std::string& file)
{
    const auto pid =
        isExecutableFile(file) ? process::start(file, {}) : process::start(updatetext::DesktopOpener, {file});
    return pid ? SystemError{} : lastSystemError();
}

} // namespace bv
