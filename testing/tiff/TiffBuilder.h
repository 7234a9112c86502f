#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bv::test {

// One page of a TIFF made for a test: its pixels are a pattern of its own (`seed`), so that pages
// can be told apart after a split.
struct TiffPage
{
    std::uint32_t width = 64;
    std::uint32_t height = 48;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = 1; // PHOTOMETRIC_MINISBLACK; 3 (palette) adds a colour map
    std::uint16_t compression = 5; // COMPRESSION_LZW
    std::uint32_t rowsPerStrip = 16;
    std::uint32_t tileSize = 0;     // tiles of tileSize x tileSize instead of strips when not 0
    std::string description;        // ImageDescription, left out when empty
    std::uint32_t privateValue = 0; // a private tag (PrivateTag) the library does not know, when not 0
    int seed = 0;
};

// Number of the private tag TiffPage::privateValue is written in.
inline constexpr std::uint32_t PrivateTag = 65111;

// `count` distinct pages of the default shape, with a description naming each page.
std::vector<TiffPage> samplePages(int count);

// Writes a multi-page TIFF with libtiff (each page a directory, with its page number); little-endian
// unless `bigEndian`, BigTIFF when `bigTiff`. Throws std::runtime_error when it cannot be written.
void writeTiff(const std::filesystem::path& path, const std::vector<TiffPage>& pages, bool bigEndian = false,
               bool bigTiff = false);

} // namespace bv::test
