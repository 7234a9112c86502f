#include "billing/ZipContents.h"

#include <minizip/unzip.h>

#include <cstdlib>
#include <string>

namespace bv::samples {

std::optional<std::vector<ZipEntry>> readZip(const std::filesystem::path& archive)
{
    unzFile zip = unzOpen64(archive.c_str());
    if (!zip)
        return std::nullopt;
    std::vector<ZipEntry> entries;
    bool ok = true;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[1024] = {};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            ok = false;
            break;
        }
        ZipEntry entry;
        entry.name = name;
        entry.method = static_cast<int>(info.compression_method);
        entry.flags = info.flag;
        entry.encrypted = (info.flag & 1u) != 0;
        char buffer[65536];
        int n = 0;
        while ((n = unzReadCurrentFile(zip, buffer, sizeof(buffer))) > 0)
            entry.content.append(buffer, static_cast<std::size_t>(n));
        // Closing checks the CRC of what was read.
        if (n < 0 || unzCloseCurrentFile(zip) != UNZ_OK) {
            ok = false;
            break;
        }
        entries.push_back(std::move(entry));
    }
    unzClose(zip);
    if (!ok)
        return std::nullopt;
    return entries;
}

int unzipTest(const std::filesystem::path& archive)
{
    if (std::system("command -v unzip >/dev/null 2>&1") != 0)
        return -1;
    const std::string command = "unzip -t -q '" + archive.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? 1 : 0;
}

} // namespace bv::samples
