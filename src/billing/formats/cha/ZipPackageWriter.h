#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace bv {

// Writes a plain ZIP archive (no password, no multi-volume) whose entries are deflated with zlib
// at its default level, streaming each file through a 64 KiB buffer.
class ZipPackageWriter
{
public:
    // Why writing the archive failed: the ZIP library refused, or a file could not be read or written.
    class Error : public std::runtime_error
    {
    public:
        enum class Kind
        {
            Zip,
            File
        };
        Error(Kind kind, const std::string& what) : std::runtime_error(what), m_kind(kind) {}
        Kind kind() const { return m_kind; }

    private:
        Kind m_kind;
    };

    static constexpr std::size_t BufferSize = 65536;

    // Creates the archive file (replacing one of that name).
    explicit ZipPackageWriter(const std::filesystem::path& archive);
    // An archive that was not closed is abandoned; its file stays for the caller to remove.
    ~ZipPackageWriter();
    ZipPackageWriter(const ZipPackageWriter&) = delete;
    ZipPackageWriter& operator=(const ZipPackageWriter&) = delete;

    // Adds an existing file as an entry named `entryName` (no directory part) with its
    // modification time.
    void addFile(const std::filesystem::path& file, const std::string& entryName);
    // Writes the central directory and closes the archive; the data is on disk when it returns.
    void close();

private:
    void* m_zip = nullptr;
    std::filesystem::path m_path;
    std::unique_ptr<char[]> m_buffer;
};

} // namespace bv
