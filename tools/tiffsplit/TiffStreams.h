#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace bv::tiffsplit {

// The library's error messages of one split: the first is the reason given with "Failure".
// Warnings are dropped.
struct LibraryErrors
{
    std::string first;
};

// Open options of every handle of one split: errors go to `errors`, no single allocation may exceed
// `maxAllocation` (a lying count in a directory cannot ask for more memory than the file could fill).
class OpenOptions
{
public:
    OpenOptions(LibraryErrors& errors, std::uint64_t maxAllocation);
    ~OpenOptions();
    OpenOptions(const OpenOptions&) = delete;
    OpenOptions& operator=(const OpenOptions&) = delete;
    TIFFOpenOptions* get() const { return m_options; }

private:
    TIFFOpenOptions* m_options;
};

struct TiffCloser
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// A TIFF held in memory, read through the library as if it were a mapped file.
struct InputStream
{
    std::string_view data;
    std::uint64_t position = 0;
};
TIFF* openInput(InputStream& stream, const OpenOptions& options);

// A TIFF written into memory; the whole page reaches the disk in one write.
struct OutputStream
{
    std::string bytes;
    std::uint64_t position = 0;
};
TIFF* openOutput(OutputStream& stream, const std::string& mode, const OpenOptions& options);

// A file mapped read-only into memory (an empty file maps to no bytes).
class MappedFile
{
public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    bool ok() const { return m_error == 0; }
    int error() const { return m_error; }
    std::string_view bytes() const { return {static_cast<const char*>(m_data), m_size}; }

private:
    void* m_data = nullptr;
    std::size_t m_size = 0;
    int m_error = 0;
};

} // namespace bv::tiffsplit
