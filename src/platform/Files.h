#pragma once

#include "platform/SystemErrors.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bv {

namespace files {

// The temporary directory ($TMPDIR, else /tmp), always ending in "/".
std::string temporaryDirectory();
// A directory's path as text ending in "/", the form its files' names and messages are built from.
std::string directoryText(const std::filesystem::path& directory);

// One version of one file: it is the same file with the same content as long as device, inode, size
// and modification time (in nanoseconds) agree.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileIdentity&) const = default;
};
// The identity of the file a path names (a link is followed); nullopt with errno set when it has none.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

// Copies a plain file (overwriting when asked); the copy is written to a temporary name beside the
// target, synced and renamed, so a target is never left half-written. A directory, pipe or device is
// refused.
SystemError copyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite);
// The same, handing every piece copied to `onBytes` in order; `sourceIdentity` (may be null) receives
// the source as it was opened for the copy.
SystemError copyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite,
                     const std::function<void(std::string_view)>& onBytes, FileIdentity* sourceIdentity);
// Renames; when the two paths lie on different file systems, copies and then removes the source.
SystemError moveFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite);
SystemError removeFile(const std::filesystem::path& path);
SystemError createDirectory(const std::filesystem::path& path);   // existing directory is success
SystemError createDirectories(const std::filesystem::path& path); // with every missing parent
// Writes the whole content atomically (temporary file, fsync, rename). An existing file keeps its
// permissions; a symbolic link keeps pointing at the file that is replaced.
SystemError writeFileAtomic(const std::filesystem::path& path, std::string_view content);
// How far a write must have reached when it returns.
enum class Durability
{
    OnDisk,    // synced: survives a power failure
    InProcess, // only atomic: every process sees the old or the new content, a power failure may keep the old
};
SystemError writeFileAtomic(const std::filesystem::path& path, std::string_view content, Durability durability);
// The file's content, at most its first maxBytes bytes; nullopt with errno set when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t maxBytes = SIZE_MAX);

// Creation time as a Windows file time (100 ns since 1601): statx birth time, modification time
// where the file system keeps none.
std::optional<std::uint64_t> creationFileTime(const std::filesystem::path& path);

struct DirEntry
{
    std::string name;
    bool isDirectory = false;
};
// Entries of a directory whose names match a Windows pattern ("*.XML"), without "." and "..",
// in the order the enumeration gives them: names sorted case-insensitively, as NTFS lists them.
// errorOut receives the error when the directory cannot be listed.
std::vector<DirEntry> listDirectory(const std::filesystem::path& dir, const std::string& pattern,
                                    SystemError* errorOut = nullptr);

// The "removable" flag of a block device's sysfs directory (/sys/dev/block/MAJ:MIN resolved); a
// partition's flag is its whole disk's.
bool removableFlag(const std::filesystem::path& deviceDir);

// Where a directory lies on a removable medium (/sys/block/<dev>/removable of the device that
// holds it). Injected so that tests can fake a floppy or a USB stick.
class RemovableProbe
{
public:
    virtual ~RemovableProbe() = default;
    virtual bool isRemovable(const std::filesystem::path& path) const;
};

// Drive roots A: and B: do not exist on this machine; the setup dialog asks through this probe.
class DriveProbe
{
public:
    virtual ~DriveProbe() = default;
    virtual bool driveExists(char letter) const; // always false here
};

} // namespace files
} // namespace bv
