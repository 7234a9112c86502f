#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bv {

class ProfileStore;

// What kind of billing file waits in a spool directory; selects the spool class of a transmission.
namespace spool_type {
inline constexpr int Empty = 0;
inline constexpr int Dds = 3058; // DDS-RZ family, its control files, or an enciphered delivery
inline constexpr int Pad = 3060;
inline constexpr int Mas = 3061;
inline constexpr int Chz = 3062;
inline constexpr int Cha = 3063;   // XML invoices
inline constexpr int Other = 3064; // any other recognised file type
inline constexpr int Unrecognised = -1;
inline constexpr int CannotOpen = -2;
} // namespace spool_type

// The file-type code of one file (file_type::...).
int DetectFileType(const std::string& path);

// Counts the files that match `pattern` (a directory followed by a file-name pattern such as
// "/spool/*.CHZ") and gives the oldest in outPath (empty when none): the smallest creation time
// in units of 65536 file-time ticks; on equal keys the file enumerated first. A directory that
// cannot be listed throws CAdzException code -19 with the system's text.
int FindOldestFile(const std::string& pattern, std::string& outPath);

// The spool type of a directory (spool_type::...): the first of the configured file filter,
// "M?????.001", "PV??????.DAT", "*.CHZ", "*.XML" and "*.*" that matches a file decides, and its
// oldest file is classified. A spool without a directory (an empty path) holds nothing.
int DetermineSpoolType(const std::filesystem::path& directory, const ProfileStore& profile);

// The spool type that a file type gives.
int spoolTypeOfFileType(int fileType);

} // namespace bv
