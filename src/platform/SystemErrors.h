#pragma once

#include <string>

namespace bv {

// A failed file operation: the system error number (errno) and its text.
struct SystemError
{
    int code = 0;
    std::string text;
    explicit operator bool() const { return code != 0; }
};

// German text of a system error number, as a German system words it; strerror for the rest.
std::string systemErrorText(int code);
SystemError systemError(int code); // the number with its text
SystemError lastSystemError();     // from errno

// Windows system error numbers by which file failures are reported to the user.
namespace winerror {
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int TooManyOpenFiles = 4;
inline constexpr int AccessDenied = 5;
inline constexpr int NotEnoughMemory = 8;
inline constexpr int WriteFault = 29;
inline constexpr int ReadFault = 30;
inline constexpr int DiskFull = 112;
} // namespace winerror

// Which operation failed: the system reports the same cause with different numbers when a file is
// opened, read, copied or renamed (Read) and when a download writes its target file (Write).
enum class FileAccess
{
    Read,
    Write,
};

// The Windows system error number of a system error number (errno) for that operation. Read: 2 not
// found, 3 path not found, 4 too many open files, 5 access denied, 8 not enough memory, 30 any other
// read fault. Write: 3 path not found (a missing file included), 5 access denied or read-only, 8 not
// enough memory, 112 disk full, 29 any other write fault.
int windowsFileError(int errnoValue, FileAccess access = FileAccess::Read);
// The German system text of the numbers a read reports; empty for any other number.
std::string windowsFileErrorText(int number);

namespace files {

// The cause numbers of the framework's file errors, which messages of the system show ("Fehler: %d").
enum FileErrorCause
{
    GenericException = 1,
    FileNotFound = 2,
    BadPath = 3,
    TooManyOpenFiles = 4,
    AccessDenied = 5,
    BadSeek = 9,
    HardIO = 10,
    SharingViolation = 11,
    DiskFull = 13,
};
// The cause number for a system error number (errno).
int fileErrorCause(int errnoValue);

} // namespace files
} // namespace bv
