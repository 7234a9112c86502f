#include "gui/imaging/MagickImageDocument.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <vector>

using namespace bv;

namespace {

// A page of width x height whose first pixel's red value tells it apart.
PageImage page(int width, int height, std::uint8_t mark, std::uint8_t fill = 200)
{
    PageImage p;
    p.width = width;
    p.height = height;
    p.channels = 3;
    p.xDpi = p.yDpi = 150;
    p.pixels.assign(static_cast<std::size_t>(width) * height * 3, fill);
    p.pixels[0] = mark;
    return p;
}

struct TiffPage
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitsPerSample = 0;
    uint16_t compression = 0;
};

// Every page of a TIFF file as libtiff reads it.
std::vector<TiffPage> readBack(const std::string& file)
{
    std::vector<TiffPage> pages;
    TIFF* tiff = TIFFOpen(file.c_str(), "r");
    if (!tiff)
        return pages;
    do {
        TiffPage p;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &p.width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &p.height);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &p.bitsPerSample);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &p.compression);
        pages.push_back(p);
    } while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
    return pages;
}

std::vector<uint32_t> widths(const std::string& file)
{
    std::vector<uint32_t> out;
    for (const TiffPage& p : readBack(file))
        out.push_back(p.width);
    return out;
}

class ImagingTest : public ::testing::Test
{
protected:
    std::string file(const std::string& name) const { return dir.file(name).string(); }
    void add(const PageImage& p, SaveMode mode, int at = 0)
    {
        doc.takeOver(p);
        ASSERT_TRUE(doc.savePage(work, mode, at));
    }
    TempDir dir;
    MagickImageDocument doc;
    std::string work = file("receipt.tmp");
};

} // namespace

TEST_F(ImagingTest, PagesAreSavedAppendedInsertedReplacedAndDeleted)
{
    add(page(40, 30, 1), SaveMode::Overwrite);
    add(page(41, 30, 2), SaveMode::Append);
    add(page(42, 30, 3), SaveMode::Append);
    EXPECT_EQ(widths(work), (std::vector<uint32_t>{40, 41, 42}));
    add(page(43, 30, 4), SaveMode::Insert, 2);
    add(page(44, 30, 5), SaveMode::Replace, 4);
    EXPECT_EQ(widths(work), (std::vector<uint32_t>{40, 43, 41, 44}));
    ASSERT_TRUE(doc.deletePage(work, 1));
    EXPECT_EQ(doc.pageCount(work), 3);
    ASSERT_TRUE(doc.loadPage(work, 2));
    const PageImage shown = doc.displayImage();
    EXPECT_EQ(shown.width, 41);
    EXPECT_EQ(shown.height, 30);
    EXPECT_EQ(shown.pixels[0], 2); // LZW keeps every sample
    EXPECT_EQ(readBack(work)[0].compression, COMPRESSION_LZW);
    // Out of range: nothing changes.
    EXPECT_FALSE(doc.loadPage(work, 4));
    EXPECT_FALSE(doc.savePage(work, SaveMode::Replace, 9));
    EXPECT_FALSE(doc.deletePage(work, 0));
    EXPECT_EQ(doc.pageCount(work), 3);
}

TEST_F(ImagingTest, RotationTurnsThePageToTheRight)
{
    PageImage p = page(4, 2, 10);
    p.pixels[(1 * 4 + 0) * 3] = 77; // bottom-left
    doc.takeOver(p);
    ASSERT_TRUE(doc.rotateRight());
    const PageImage turned = doc.displayImage();
    EXPECT_EQ(turned.width, 2);
    EXPECT_EQ(turned.height, 4);
    EXPECT_EQ(turned.pixels[0], 77); // bottom-left comes to the top-left
    EXPECT_EQ(turned.pixels[3], 10);
}

TEST_F(ImagingTest, ColourReductionAndMedianFilter)
{
    doc.takeOver(page(64, 64, 0, 128));
    ASSERT_TRUE(doc.reduceColours(1));
    ASSERT_TRUE(doc.savePage(work, SaveMode::Overwrite, 1));
    ASSERT_EQ(readBack(work).size(), 1u);
    EXPECT_EQ(readBack(work)[0].bitsPerSample, 1);
    EXPECT_EQ(readBack(work)[0].compression, COMPRESSION_CCITTFAX4);
    // Dithering: mid-grey becomes a pattern of black and white, not one colour.
    const PageImage bw = doc.displayImage();
    EXPECT_NE(std::count(bw.pixels.begin(), bw.pixels.end(), 0), 0);
    EXPECT_NE(std::count(bw.pixels.begin(), bw.pixels.end(), 255), 0);

    doc.takeOver(page(64, 64, 0, 128));
    ASSERT_TRUE(doc.reduceColours(4));
    ASSERT_TRUE(doc.savePage(work, SaveMode::Append, 0));
    EXPECT_LE(readBack(work)[1].bitsPerSample, 4);

    // A single speck in a white page goes; the page is otherwise unchanged.
    PageImage speck = page(9, 9, 255, 255);
    for (int c = 0; c < 3; ++c)
        speck.pixels[(4 * 9 + 4) * 3 + static_cast<std::size_t>(c)] = 0;
    doc.takeOver(speck);
    ASSERT_TRUE(doc.medianFilter());
    const PageImage filtered = doc.displayImage();
    EXPECT_EQ(filtered.pixels[(4 * 9 + 4) * 3], 255);
}

TEST_F(ImagingTest, DamagedOrForeignFilesAreRefusedAndLeftAsTheyWere)
{
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty.tif", ""},
        {"text.tif", "this is no image"},
        {"cut.tif", std::string("II*\0\x08\0\0\0\x0f\0", 10)},
        {"bigendian.tif", std::string("MM\0*\0\0\0\x08\xff\xff", 10)},
    };
    for (const auto& [name, bytes] : files) {
        const std::string path = dir.write(name, bytes).string();
        EXPECT_EQ(doc.pageCount(path), 0) << name;
        EXPECT_FALSE(doc.loadPage(path, 1)) << name;
        doc.takeOver(page(8, 8, 1));
        EXPECT_FALSE(doc.savePage(path, SaveMode::Append, 0)) << name;
        EXPECT_EQ(dir.read(name), bytes) << name;
    }
    // A PNG is an image, but not a TIFF: never read through another coder.
    add(page(8, 8, 1), SaveMode::Overwrite);
    std::string tiff = dir.read("receipt.tmp");
    const std::string cut = dir.write("half.tif", tiff.substr(0, tiff.size() / 2)).string();
    EXPECT_FALSE(doc.loadPage(cut, 1));
    EXPECT_FALSE(doc.loadPage(file("missing.tif"), 1));
}

TEST_F(ImagingTest, PagesInOtherLayoutsAreReencodedWhenTheFileIsRebuilt)
{
    // A practice's scan in tiles cannot be copied strip by strip.
    const std::string tiled = file("practice.tif");
    TIFF* out = TIFFOpen(tiled.c_str(), "w");
    ASSERT_TRUE(out);
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, 32u);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, 16u);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(out, TIFFTAG_TILEWIDTH, 16u);
    TIFFSetField(out, TIFFTAG_TILELENGTH, 16u);
    std::vector<std::uint8_t> tile(16 * 16 * 3, 99);
    ASSERT_GE(TIFFWriteTile(out, tile.data(), 0, 0, 0, 0), 0);
    ASSERT_GE(TIFFWriteTile(out, tile.data(), 16, 0, 0, 0), 0);
    TIFFClose(out);

    doc.takeOver(page(20, 16, 1));
    ASSERT_TRUE(doc.savePage(tiled, SaveMode::Append, 0));
    EXPECT_EQ(widths(tiled), (std::vector<uint32_t>{32, 20}));
    ASSERT_TRUE(doc.loadPage(tiled, 1));
    EXPECT_EQ(doc.displayImage().pixels[0], 99);
}
