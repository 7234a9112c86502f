#include "billing/SpoolDetection.h"

#include "billing/AdzCodes.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "billing/formats/xml/XmlInvoice.h"
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

bool bytesAre(std::string_view text, std::size_t pos, std::string_view expected)
{
    return text.size() >= pos + expected.size() && text.substr(pos, expected.size()) == expected;
}

int recordFileType(OpenFile& file)
{
    std::string head(256, '\0');
    const std::int64_t n = file.read(head.data(), head.size());
    if (n < 256)
        return file_type::Unknown;
    // The header is read as text: it ends at the first zero byte.
    if (head.find('\0') != std::string::npos)
        return file_type::Unknown;

    if (bytesAre(head, 254, "\r\n") && !bytesAre(head, 126, "\r\n")) {
        const int version = decimalInt(head.substr(8, 2));
        const int kind = decimalInt(head.substr(22, 4));
        const bool invoices = kind == 10 || kind == 100;
        if (kind == 0)
            return file_type::Unknown;
        if (version == 2 && invoices)
            return file_type::DdsV2;
        if (version == 2 && kind == 2828)
            return file_type::DdsV2Kind2828;
        if (version == 3 && invoices)
            return file_type::DdsV3;
        if (version == 3 && kind == 2828)
            return file_type::DdsV3Kind2828;
        return file_type::Unknown;
    }

    // 128-byte records, with or without CR LF after each.
    const bool lines = bytesAre(head, 128, "\r\n");
    const std::int64_t size = file.size();
    bool endsWithLineEnd = false;
    if (lines) {
        char tail[2] = {};
        endsWithLineEnd = file.readAt(size - 2, tail, 2) == 2 && tail[0] == '\r' && tail[1] == '\n';
    }
    const std::int64_t lastStart = size - 128 - ((lines && endsWithLineEnd) ? 2 : 0);
    std::string last(128, '\0');
    if (lastStart < 0 || file.readAt(lastStart, last.data(), last.size()) != 128)
        return file_type::Unknown;
    if (!bytesAre(head, 12, "000") || !bytesAre(last, 12, "990") || head.compare(0, 6, last, 0, 6) != 0)
        return file_type::Unknown;
    std::string trailer = last.substr(29, 4);
    trailer = trailer.substr(0, trailer.find('\0'));
    const auto firstNonBlank = trailer.find_first_not_of(' ');
    if (firstNonBlank != std::string::npos)
        return file_type::Mas;
    return lines ? file_type::PadLines : file_type::Pad;
}

} // namespace

int DetectFileType(const std::string& path)
{
    auto file = OpenFile::open(path);
    if (!file)
        return file_type::CannotOpen;
    const std::string extension = toLower(std::filesystem::path(path).extension().string());
    if (extension == ".chz")
        return file_type::Chz;
    if (extension == ".xml" && XmlInvoice(path).IsInvoice(false))
        return file_type::Cha;
    if (extension == ".ini")
        return file_type::ControlIni;
    return recordFileType(*file);
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
