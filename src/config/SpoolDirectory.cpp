#include "config/SpoolDirectory.h"

#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"

namespace bv {

namespace {
// The longest temporary directory a spool may live in (the system's path buffer).
constexpr std::size_t MaxTemporaryPathLength = 255;
} // namespace

std::filesystem::path resolveSpoolDirectory(const std::string& directory, const ProfileStore& profile)
{
    if (!directory.empty())
        return files::directoryText(directory);
    const std::string temporary = files::temporaryDirectory();
    if (temporary.size() > MaxTemporaryPathLength && !profile.exists(profilekey::spooldir))
        return {};
    return files::directoryText(profile.exists(profilekey::spooldir) ? profile.read(profilekey::spooldir) : temporary);
}

} // namespace bv
