#pragma once

#include "platform/Files.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace bv {

// A billing file opened for reading. The system opens its billing files denying writes to others;
// Linux has no share modes, so the file is simply opened read-only and kept open until the billing
// file object lets it go.
class OpenFile
{
public:
    // Null and the error when the file cannot be opened (only a plain file can be opened: a directory,
    // pipe or device gives the error of a directory).
    static std::unique_ptr<OpenFile> open(const std::filesystem::path& path, SystemError* error = nullptr);
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    const std::string& path() const { return m_path; }
    std::string fileName() const;
    int descriptor() const { return m_fd; }

    // Size from the file status; -1 when the status cannot be read.
    std::int64_t size() const;
    // Reads up to `length` bytes, retrying short reads; fewer only at the end of the file, -1 on error.
    std::int64_t read(void* buffer, std::size_t length);
    std::int64_t readAt(std::int64_t offset, void* buffer, std::size_t length);
    bool seek(std::int64_t offset);

private:
    OpenFile(std::string path, int fd);
    std::string m_path;
    int m_fd;
};

} // namespace bv
