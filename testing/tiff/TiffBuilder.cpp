#include "tiff/TiffBuilder.h"

#include <tiffio.h>

#include <memory>
#include <mutex>
#include <stdexcept>

namespace bv::test {

namespace {

TIFFExtendProc g_parentExtender = nullptr;

// Makes the private tag known to every handle, so that the builder can write it.
void declarePrivateTag(TIFF* tif)
{
    static const TIFFFieldInfo info[] = {
        {PrivateTag, 1, 1, TIFF_LONG, FIELD_CUSTOM, 1, 0, const_cast<char*>("BvPrivateTag")}};
    TIFFMergeFieldInfo(tif, info, 1);
    if (g_parentExtender)
        g_parentExtender(tif);
}

struct Closer
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};

// Pixel bytes of one page: diagonal stripes whose phase follows the seed.
std::vector<unsigned char> pixels(const TiffPage& page, std::uint32_t rows)
{
    const std::size_t rowBytes =
        (static_cast<std::size_t>(page.width) * page.samplesPerPixel * page.bitsPerSample + 7) / 8;
    std::vector<unsigned char> out(rowBytes * rows);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<unsigned char>((i / rowBytes + i % rowBytes) / 4 * 16 + page.seed * 37);
    return out;
}

void writePage(TIFF* tif, const TiffPage& page, int number, int count)
{
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<int>(page.bitsPerSample));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<int>(page.samplesPerPixel));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, static_cast<int>(page.photometric));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<int>(page.compression));
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 200.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 200.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, number, count);
    TIFFSetField(tif, TIFFTAG_SOFTWARE, "bv test builder");
    if (!page.description.empty())
        TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, page.description.c_str());
    if (page.privateValue != 0)
        TIFFSetField(tif, PrivateTag, page.privateValue);
    if (page.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<std::uint16_t> map(std::size_t{1} << page.bitsPerSample);
        for (std::size_t i = 0; i < map.size(); ++i)
            map[i] = static_cast<std::uint16_t>(i * 257 + page.seed);
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
    }
    if (page.compression == COMPRESSION_LZW || page.compression == COMPRESSION_ADOBE_DEFLATE)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_NONE);
    if (page.tileSize != 0) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, page.tileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, page.tileSize);
        const auto tileBytes = static_cast<tmsize_t>(TIFFTileSize(tif));
        std::vector<unsigned char> tile = pixels(page, page.tileSize);
        tile.resize(static_cast<std::size_t>(tileBytes));
        for (std::uint32_t t = 0; t < TIFFNumberOfTiles(tif); ++t) {
            tile[0] = static_cast<unsigned char>(t);
            if (TIFFWriteEncodedTile(tif, t, tile.data(), tileBytes) < 0)
                throw std::runtime_error("tile not written");
        }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.rowsPerStrip);
        const std::vector<unsigned char> image = pixels(page, page.height);
        const std::size_t rowBytes = image.size() / page.height;
        for (std::uint32_t s = 0; s < TIFFNumberOfStrips(tif); ++s) {
            const std::uint32_t first = s * page.rowsPerStrip;
            const std::uint32_t rows = std::min(page.rowsPerStrip, page.height - first);
            if (TIFFWriteEncodedStrip(tif, s, const_cast<unsigned char*>(image.data() + first * rowBytes),
                                      static_cast<tmsize_t>(rows * rowBytes)) < 0)
                throw std::runtime_error("strip not written");
        }
    }
    if (!TIFFWriteDirectory(tif))
        throw std::runtime_error("directory not written");
}

} // namespace

std::vector<TiffPage> samplePages(int count)
{
    std::vector<TiffPage> pages(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        pages[static_cast<std::size_t>(i)].seed = i + 1;
        pages[static_cast<std::size_t>(i)].description = "Seite " + std::to_string(i + 1);
    }
    return pages;
}

void writeTiff(const std::filesystem::path& path, const std::vector<TiffPage>& pages, bool bigEndian, bool bigTiff)
{
    static std::once_flag once;
    std::call_once(once, [] { g_parentExtender = TIFFSetTagExtender(&declarePrivateTag); });
    std::string mode = bigEndian ? "wb" : "wl";
    if (bigTiff)
        mode += '8';
    std::unique_ptr<TIFF, Closer> tif(TIFFOpen(path.c_str(), mode.c_str()));
    if (!tif)
        throw std::runtime_error("cannot create " + path.string());
    for (std::size_t i = 0; i < pages.size(); ++i)
        writePage(tif.get(), pages[i], static_cast<int>(i), static_cast<int>(pages.size()));
}

} // namespace bv::test
