#include "config/SpoolDirectory.h"

#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"

namespace bv {

namespace {
// The longest temporary directory a spool may live in (the system's path buffer).
constexpr std::size_t MaxTemporaryPathLength = 255;
} // namespace

std::filesystem::path resolveSpoolDirectory(const std::string& directory, const Profile& profile)
{
    if (!directory.empty())
        return files::directoryText(directory);
    const std::string temporary = files::temporaryDirectory();
    if (temporary.size() > MaxTemporaryPathLength && !profile.exists(section::Abrechnungsversand, profilekey::spooldir))
        return {};
    return files::directoryText(profile.readString(section::Abrechnungsversand, profilekey::spooldir, temporary));
}

} // namespace bv
