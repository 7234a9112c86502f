#include "billing/SpoolDetection.h"

#include "billing/AdzCodes.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "billing/FileSniffing.h"
#include "billing/OpenFile.h"
#include "billing/formats/cha/ChaSniffer.h"
#include "billing/formats/chz/ChzSniffer.h"
#include "billing/formats/dds/DdsSniffer.h"
#include "billing/formats/pad/MasPadSniffer.h"
#include "config/ProfileStore.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <utility>

namespace bv {

namespace {

// The oldest of the entries that match a file-name pattern.
struct Oldest
{
    int count = 0;
    std::string name;
};

// The files that match a file-name pattern, oldest first: the smallest creation time in units of
// 65536 file-time ticks; on equal keys the file enumerated first.
std::vector<std::string> byAge(const std::string& directory, const std::vector<files::DirEntry>& entries,
                               const std::string& namePattern)
{
    std::vector<std::pair<std::uint32_t, std::string>> keyed;
    for (const auto& entry : entries) {
        if (entry.isDirectory || !matchesPattern(namePattern, entry.name))
            continue;
        const auto time = files::creationFileTime(directory + entry.name);
        if (!time)
            continue; // gone since the listing
        keyed.emplace_back(static_cast<std::uint32_t>(*time >> 16), entry.name);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed)
        names.push_back(std::move(name));
    return names;
}

Oldest oldestOf(const std::string& directory, const std::vector<files::DirEntry>& entries,
                const std::string& namePattern)
{
    Oldest result;
    std::uint32_t bestKey = 0;
    for (const auto& entry : entries) {
        if (entry.isDirectory || !matchesPattern(namePattern, entry.name))
            continue;
        const auto time = files::creationFileTime(directory + entry.name);
        if (!time)
            continue; // gone since the listing
        ++result.count;
        const auto key = static_cast<std::uint32_t>(*time >> 16);
        if (result.count == 1 || key < bestKey) {
            bestKey = key;
            result.name = entry.name;
        }
    }
    return result;
}

int spoolTypeOfFile(const std::string& path)
{
    if (IsVddsEncrypted(path) != 0)
        return spool_type::Dds;
    return spoolTypeOfFileType(DetectFileType(path));
}

bool recognised(int spoolType)
{
    return spoolType != spool_type::Unrecognised && spoolType != spool_type::CannotOpen;
}

std::vector<files::DirEntry> listOrThrow(const std::string& directory, const std::string& pattern)
{
    SystemError error;
    auto entries = files::listDirectory(directory, pattern, &error);
    if (error)
        throw BV_ADZ_ERROR(adz::DirectoryUnreadable, error.text);
    return entries;
}

// The formats' tests, in the order they are asked: a file's extension decides CHZ files, XML invoices
// and control files; the header decides the fixed-record formats.
constexpr FileSniffer Sniffers[] = {&sniffChz, &sniffXmlInvoice, &sniffControlFile, &sniffDds, &sniffMasOrPad};

} // namespace

int DetectFileType(const std::string& path)
{
    auto file = OpenFile::open(path);
    if (!file)
        return file_type::CannotOpen;
    SniffedFile sniffed{path, toLower(std::filesystem::path(path).extension().string()), *file, std::nullopt};
    std::string head(256, '\0');
    if (file->read(head.data(), head.size()) == 256 && head.find('\0') == std::string::npos)
        sniffed.head = std::move(head);
    for (const FileSniffer sniff : Sniffers) {
        if (const auto fileType = sniff(sniffed))
            return *fileType;
    }
    return file_type::Unknown;
}

int FindOldestFile(const std::string& pattern, std::string& outPath)
{
    const auto slash = pattern.find_last_of('/');
    const std::string directory = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    const auto entries = listOrThrow(directory.empty() ? "." : directory, namePattern);
    const Oldest oldest = oldestOf(directory, entries, namePattern);
    outPath = oldest.count > 0 ? directory + oldest.name : std::string();
    return oldest.count;
}

int spoolTypeOfFileType(int fileType)
{
    switch (fileType) {
    case file_type::DdsV2:
    case file_type::DdsV3:
    case file_type::DdsV3Kind2828:
    case file_type::ControlIni:
        return spool_type::Dds;
    case file_type::Pad:
    case file_type::PadLines:
        return spool_type::Pad;
    case file_type::Mas:
        return spool_type::Mas;
    case file_type::Chz:
        return spool_type::Chz;
    case file_type::Cha:
        return spool_type::Cha;
    case file_type::Unknown:
        return spool_type::Unrecognised;
    case file_type::CannotOpen:
        return spool_type::CannotOpen;
    default:
        return spool_type::Other;
    }
}

int DetermineSpoolType(const std::filesystem::path& directory, const ProfileStore& profile)
{
    if (directory.empty())
        return spool_type::Empty;
    const std::string dir = files::directoryText(directory);
    const std::array<std::string, 6> patterns = {
        profile.read(profilekey::file_filter), "M?????.001", "PV??????.DAT", "*.CHZ", "*.XML", "*.*"};
    // One listing serves every pattern; "*.*" matches every name.
    const auto entries = listOrThrow(dir, "*.*");
    // A file of a billing pattern that no format recognises (empty, unreadable, defective) does not
    // hide the recognisable files behind it, younger ones or those of the later patterns. Only when
    // none is found does the first such file decide, as does the oldest of all other files.
    std::optional<int> firstFound;
    for (std::size_t p = 0; p + 1 < patterns.size(); ++p) {
        for (const std::string& name : byAge(dir, entries, patterns[p])) {
            const int type = spoolTypeOfFile(dir + name);
            if (recognised(type))
                return type;
            if (!firstFound)
                firstFound = type;
        }
    }
    if (firstFound)
        return *firstFound;
    const Oldest oldest = oldestOf(dir, entries, patterns.back());
    return oldest.count == 0 ? spool_type::Empty : spoolTypeOfFile(dir + oldest.name);
}

} // namespace bv
