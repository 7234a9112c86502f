#pragma once

#include <cstdint>
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
    // A file deflated ahead of its turn, by the same rules as addFile().
    struct Deflated
    {
        std::string data;
        unsigned long crc = 0;
        std::uint64_t size = 0;
    };
    // Deflates a whole file into memory; false when it cannot be read.
    static bool deflateFile(const std::filesystem::path& file, Deflated& out);
    // Adds an entry from a file deflated with deflateFile().
    void addDeflated(const std::filesystem::path& file, const std::string& entryName, const Deflated& deflated);

    // Writes the central directory and closes the archive; a write that failed is reported here.
    void close();

private:
    // Opens the next entry with the file's time and mode; raw when the data comes deflated.
    void openEntry(const std::filesystem::path& file, const std::string& entryName, bool raw, std::uint64_t size);

    void* m_zip = nullptr;
    std::filesystem::path m_path;
    std::unique_ptr<char[]> m_buffer;
};

} // namespace bv
