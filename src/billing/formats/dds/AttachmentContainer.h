#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bv::container {

// The attachment container (".DDSRZ10"): 256-byte records. Record 0 is the header (record type
// 2828), then one directory record per packed file, then the records of the DDS-RZ file, then the
// data of each file from a record boundary on.
inline constexpr std::size_t RecordSize = 256;
inline constexpr int ContainerRecordType = 2828;
// The widest numbers the header and directory fields hold.
inline constexpr std::uint64_t LargestEightDigits = 99'999'999;
inline constexpr int LargestFourDigits = 9'999;

// What record 0 says.
struct Header
{
    int directoryRecords = 0;   // bytes 31-34: directory records + 1, the index of the first DDS-RZ record
    long long lastDdsIndex = 0; // bytes 35-42: record count of the DDS-RZ file - 1
    int referenceCount = 0;     // bytes 43-46: number of packed files
};

// One directory record: where a packed file's data lies and the name it was packed under.
struct DirectoryRecord
{
    long long firstRecord = 0; // bytes 31-38
    long long size = 0;        // bytes 40-47
    std::string name;          // bytes 49-253, right-trimmed
};

Header parseHeader(std::string_view record);
DirectoryRecord parseDirectoryRecord(std::string_view record);

// Bytes 0-29 of every header and directory record.
std::string recordPrefix(int customerNumber, std::string_view interfaceNumber);
std::string headerRecord(std::string_view prefix, int directoryRecords, long long lastDdsIndex, int fileCount);
std::string directoryRecord(std::string_view prefix, std::uint64_t firstRecord, std::uint64_t size,
                            std::string_view name);

// The name a packed file is written under: its last path component (after the last "/" or "\").
// Names are the packing machine's full paths, which must not lead outside the attachment directory.
std::string entryFileName(std::string_view name);
// Extension of a name, with its dot, lower case ("" when none).
std::string extensionOf(std::string_view name);
// A name without its extension.
std::string withoutExtension(std::string_view name);

// Copies `size` bytes between two open descriptors at the given offsets (in the kernel where it can).
// False when a read comes short or a write fails.
bool copyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset, std::uint64_t size);
// Creates (or replaces) `target` with `size` bytes of `from` at `offset`. False on any failure.
bool extractRange(int from, std::uint64_t offset, std::uint64_t size, const std::string& target);

} // namespace bv::container
