#pragma once

#include <cstdio>
#include <filesystem>

namespace bv::testing {

// The body of an upload on its way into the upload directory: written under a ".part" name and renamed
// once the last byte arrived, so that the directory never holds half an upload under its final name.
class UploadFile
{
public:
    UploadFile() = default;
    UploadFile(const UploadFile&) = delete;
    UploadFile& operator=(const UploadFile&) = delete;
    ~UploadFile();

    // Creates the next free "upload-NNNNNN.bin.part" in dir (made when missing).
    bool open(const std::filesystem::path& dir);
    bool write(const char* data, std::size_t length);
    // Keeps the file under its final name when the whole body arrived and was written; otherwise
    // removes the part. Returns the final path, or an empty one.
    std::filesystem::path finish(bool complete);

private:
    std::FILE* m_file = nullptr;
    std::filesystem::path m_part, m_final;
};

} // namespace bv::testing
