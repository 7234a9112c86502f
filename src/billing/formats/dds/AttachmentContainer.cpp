#include "billing/formats/dds/AttachmentContainer.h"

#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace bv::container {

namespace {

std::string_view field(std::string_view record, std::size_t offset, std::size_t width)
{
    return offset < record.size() ? record.substr(offset, width) : std::string_view();
}

std::string rightTrimmed(std::string_view text)
{
    const auto end = text.find_last_not_of(std::string_view(" \t\r\n\0", 5));
    return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
}

void endRecord(std::string& record)
{
    record.resize(RecordSize - 2, ' ');
    record += "\r\n";
}

bool copyByBuffer(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t size)
{
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(size, 1u << 20)));
    while (size > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
        const ssize_t got = ::pread(from, buffer.data(), want, static_cast<off_t>(fromOffset));
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done),
                                         static_cast<off_t>(toOffset) + done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
        fromOffset += static_cast<std::uint64_t>(got);
        toOffset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::uint64_t>(got);
    }
    return true;
}

} // namespace

Header parseHeader(std::string_view record)
{
    Header header;
    header.directoryRecords = decimalInt(field(record, 31, 4));
    header.lastDdsIndex = decimalValue(field(record, 35, 8));
    header.referenceCount = decimalInt(field(record, 43, 4));
    return header;
}

DirectoryRecord parseDirectoryRecord(std::string_view record)
{
    DirectoryRecord entry;
    entry.firstRecord = decimalValue(field(record, 31, 8));
    entry.size = decimalValue(field(record, 40, 8));
    entry.name = rightTrimmed(field(record, 49, RecordSize - 49));
    return entry;
}

std::string recordPrefix(int customerNumber, std::string_view interfaceNumber)
{
    return strFormat("%08d%-2.2s          0028280000", customerNumber, std::string(interfaceNumber).c_str());
}

std::string headerRecord(std::string_view prefix, int directoryRecords, long long lastDdsIndex, int fileCount)
{
    std::string record(prefix);
    record += strFormat("D%04d%08lld%04d#", directoryRecords, lastDdsIndex, fileCount);
    endRecord(record);
    return record;
}

std::string directoryRecord(std::string_view prefix, std::uint64_t firstRecord, std::uint64_t size,
                            std::string_view name)
{
    std::string record(prefix);
    record += strFormat("F%08lluS%08lluN", static_cast<unsigned long long>(firstRecord),
                        static_cast<unsigned long long>(size));
    record += name.substr(0, RecordSize - 2 - record.size());
    endRecord(record);
    return record;
}

std::string entryFileName(std::string_view name)
{
    const auto slash = name.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

std::string extensionOf(std::string_view name)
{
    const std::string file = entryFileName(name);
    const auto dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : toLower(std::string_view(file).substr(dot));
}

std::string withoutExtension(std::string_view name)
{
    const auto slash = name.find_last_of("/\\");
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(name);
    return std::string(name.substr(0, dot));
}

bool copyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t size)
{
    auto in = static_cast<off64_t>(fromOffset);
    auto out = static_cast<off64_t>(toOffset);
    while (size > 0) {
        const ssize_t n = ::copy_file_range(
            from, &in, to, &out, static_cast<std::size_t>(std::min<std::uint64_t>(size, std::uint64_t{1} << 30)), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            // A file system or kernel without in-kernel copies between these files.
            return copyByBuffer(from, static_cast<std::uint64_t>(in), to, static_cast<std::uint64_t>(out), size);
        if (n == 0)
            return false; // the source ends early
        size -= static_cast<std::uint64_t>(n);
    }
    return true;
}

bool extractRange(int from, std::uint64_t offset, std::uint64_t size, const std::string& target)
{
    const int to = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (to < 0)
        return false;
    const bool copied = copyRange(from, offset, to, 0, size);
    return ::close(to) == 0 && copied;
}

} // namespace bv::container
