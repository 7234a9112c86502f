#pragma once

#include "platform/Files.h"
#include "platform/TempDir.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace bv {

// A removable-drive probe that says what the test wants: a spool on a floppy or a USB stick.
class FakeRemovableProbe : public files::RemovableProbe
{
public:
    bool removable = false;
    bool isRemovable(const std::filesystem::path&) const override { return removable; }
};

// A temporary directory of its own (where the working copies of a removable spool go): TMPDIR names
// it while the object lives.
class ScopedTemporaryDirectory
{
public:
    ScopedTemporaryDirectory();
    ~ScopedTemporaryDirectory();
    ScopedTemporaryDirectory(const ScopedTemporaryDirectory&) = delete;
    ScopedTemporaryDirectory& operator=(const ScopedTemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return m_dir.path(); }

private:
    TempDir m_dir;
    std::optional<std::string> m_previous;
};

// Every file below a directory (relative path) with its bytes, to show that nothing was lost or changed.
std::map<std::string, std::string> filesBelow(const std::filesystem::path& directory);

} // namespace bv
