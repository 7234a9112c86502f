#include "gui/imaging/TiffPages.h"

#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bv::tiffpages {

namespace {

// libtiff reports damaged files on stderr by default; here a damaged file is a result, not a message.
void quietLibtiff()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

struct TiffCloser
{
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// Opens a regular file for reading; a pipe or device is never opened.
TiffPtr openForReading(const std::string& file)
{
    quietLibtiff();
    struct stat st
    {
    };
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    return TiffPtr(TIFFOpen(file.c_str(), "r"));
}

// Compressions whose strips stand on their own: they can be copied byte for byte.
bool copyableCompression(uint16_t compression)
{
    switch (compression) {
    case COMPRESSION_NONE:
    case COMPRESSION_LZW:
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
    case COMPRESSION_PACKBITS:
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return true;
    default:
        return false;
    }
}

template <typename T> void copyField(TIFF* in, TIFF* out, ttag_t tag)
{
    T value{};
    if (TIFFGetField(in, tag, &value))
        TIFFSetField(out, tag, value);
}

void copyFloatField(TIFF* in, TIFF* out, ttag_t tag)
{
    float value = 0;
    if (TIFFGetField(in, tag, &value))
        TIFFSetField(out, tag, static_cast<double>(value));
}

// Copies the current directory of `in` into a new directory of `out`, strips as they are. False when
// the page is laid out in a way this cannot copy, or is damaged.
bool copyable(TIFF* in)
{
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(in, TIFFTAG_COMPRESSION, &compression);
    return !TIFFIsTiled(in) && copyableCompression(compression);
}

bool copyPage(TIFF* in, TIFF* out, std::uint64_t fileSize)
{
    if (!copyable(in))
        return false;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(in, TIFFTAG_COMPRESSION, &compression);
    uint32_t width = 0;
    uint32_t length = 0;
    if (!TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(in, TIFFTAG_IMAGELENGTH, &length) ||
        width == 0 || length == 0)
        return false;
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, length);
    TIFFSetField(out, TIFFTAG_COMPRESSION, compression);
    for (ttag_t tag :
         {TIFFTAG_BITSPERSAMPLE, TIFFTAG_SAMPLESPERPIXEL, TIFFTAG_PHOTOMETRIC, TIFFTAG_PLANARCONFIG, TIFFTAG_FILLORDER,
          TIFFTAG_ORIENTATION, TIFFTAG_RESOLUTIONUNIT, TIFFTAG_PREDICTOR, TIFFTAG_SAMPLEFORMAT})
        copyField<uint16_t>(in, out, tag);
    copyField<uint32_t>(in, out, TIFFTAG_ROWSPERSTRIP);
    copyField<uint32_t>(in, out, TIFFTAG_GROUP3OPTIONS);
    copyField<uint32_t>(in, out, TIFFTAG_GROUP4OPTIONS);
    copyFloatField(in, out, TIFFTAG_XRESOLUTION);
    copyFloatField(in, out, TIFFTAG_YRESOLUTION);
    uint16_t photometric = 0;
    if (TIFFGetField(in, TIFFTAG_PHOTOMETRIC, &photometric) && photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(in, TIFFTAG_COLORMAP, &red, &green, &blue))
            return false;
        TIFFSetField(out, TIFFTAG_COLORMAP, red, green, blue);
    }
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    if (TIFFGetField(in, TIFFTAG_EXTRASAMPLES, &extraCount, &extra))
        TIFFSetField(out, TIFFTAG_EXTRASAMPLES, extraCount, extra);

    uint64_t* counts = nullptr;
    if (!TIFFGetField(in, TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts)
        return false;
    const tstrip_t strips = TIFFNumberOfStrips(in);
    std::vector<unsigned char> buffer;
    for (tstrip_t s = 0; s < strips; ++s) {
        // A count beyond the file's size is damage, not a reason to allocate it.
        if (counts[s] > fileSize)
            return false;
        buffer.resize(static_cast<std::size_t>(counts[s]));
        const tmsize_t read = TIFFReadRawStrip(in, s, buffer.data(), static_cast<tmsize_t>(buffer.size()));
        if (read < 0 || TIFFWriteRawStrip(out, s, buffer.data(), read) < 0)
            return false;
    }
    return TIFFWriteDirectory(out) != 0;
}

std::uint64_t sizeOf(const std::string& file)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? 0 : size;
}

} // namespace

int pageCount(const std::string& file)
{
    TiffPtr tiff = openForReading(file);
    return tiff ? static_cast<int>(TIFFNumberOfDirectories(tiff.get())) : 0;
}

bool rebuild(const std::string& target, const std::vector<PageSource>& pages,
             const std::function<bool(const PageSource&, const std::string&)>& reencode)
{
    quietLibtiff();
    const std::string part = target + ".part";
    const std::string single = target + ".page";
    bool ok = !pages.empty();
    {
        TiffPtr out(ok ? TIFFOpen(part.c_str(), "w") : nullptr);
        ok = ok && out;
        for (std::size_t i = 0; ok && i < pages.size(); ++i) {
            const PageSource& source = pages[i];
            TiffPtr in = openForReading(source.file);
            ok = in && source.page >= 1 && TIFFSetDirectory(in.get(), static_cast<tdir_t>(source.page - 1));
            if (ok && copyable(in.get())) {
                ok = copyPage(in.get(), out.get(), sizeOf(source.file));
            } else if (ok) {
                // Tiles or JPEG: the page goes through a re-encoded single page.
                TiffPtr again = reencode && reencode(source, single) ? openForReading(single) : nullptr;
                ok = again && copyPage(again.get(), out.get(), sizeOf(single));
            }
        }
    }
    std::remove(single.c_str());
    if (!ok || std::rename(part.c_str(), target.c_str()) != 0) {
        std::remove(part.c_str());
        return false;
    }
    return true;
}

} // namespace bv::tiffpages
