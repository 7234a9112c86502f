#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bv::samples {

// One entry of a ZIP archive as minizip's reader sees it.
struct ZipEntry
{
    std::string name;
    std::string content;
    int method = 0; // 8 = deflate
    unsigned long flags = 0;
    bool encrypted = false;
};

// Every entry of an archive, read back with minizip's reader (CRC checked); nullopt when the
// archive cannot be opened or an entry cannot be read.
std::optional<std::vector<ZipEntry>> readZip(const std::filesystem::path& archive);

// Runs "unzip -t -q" on the archive when the program is installed: 1 passed, 0 failed, -1 no unzip.
int unzipTest(const std::filesystem::path& archive);

} // namespace bv::samples
