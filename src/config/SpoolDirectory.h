#pragma once

#include <filesystem>
#include <string>

namespace bv {

class ProfileStore;

// The spool directory a transmission reads: the given one, else the configured "spooldir" (default the
// temporary directory). Its text always ends in "/". Empty when the temporary directory would be needed
// but its path is longer than 255 characters: the spool then has no directory and nothing waits in it.
std::filesystem::path resolveSpoolDirectory(const std::string& directory, const ProfileStore& profile);

} // namespace bv
