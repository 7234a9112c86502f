// The TIFF splitter: pages copied without recompression with their tags, its command line and log,
// and refusals of what is not a TIFF. One run of the real program checks the process contract.

#include "TiffSplitter.h"
#include "platform/TempDir.h"
#include "tiff/TiffBuilder.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdlib>
#include <memory>
#include <sys/wait.h>

namespace bv {
namespace {

namespace fs = std::filesystem;
using test::TiffPage;

struct Closer
{
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using Tiff = std::unique_ptr<TIFF, Closer>;

Tiff open(const fs::path& path, int directory = 0)
{
    Tiff tif(TIFFOpen(path.c_str(), "rc"));
    if (tif && directory > 0)
        TIFFSetDirectory(tif.get(), static_cast<tdir_t>(directory));
    return tif;
}

std::vector<std::string> rawStrips(TIFF* tif)
{
    std::vector<std::string> strips;
    const bool tiled = TIFFIsTiled(tif);
    const std::uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    for (std::uint32_t s = 0; s < count; ++s) {
        std::string bytes(TIFFGetStrileByteCount(tif, s), '\0');
        const tmsize_t n = tiled ? TIFFReadRawTile(tif, s, bytes.data(), static_cast<tmsize_t>(bytes.size()))
                                 : TIFFReadRawStrip(tif, s, bytes.data(), static_cast<tmsize_t>(bytes.size()));
        bytes.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        strips.push_back(bytes);
    }
    return strips;
}

// The tags a split must keep, printed so that a difference shows which one.
std::string tags(TIFF* tif)
{
    std::string out;
    std::uint32_t u32 = 0;
    std::uint16_t a = 0, b = 0;
    float f = 0;
    char* text = nullptr;
    for (const std::uint32_t tag :
         {std::uint32_t{TIFFTAG_IMAGEWIDTH}, std::uint32_t{TIFFTAG_IMAGELENGTH}, std::uint32_t{TIFFTAG_ROWSPERSTRIP},
          std::uint32_t{TIFFTAG_TILEWIDTH}, std::uint32_t{TIFFTAG_SUBFILETYPE}, test::PrivateTag})
        if (TIFFGetField(tif, tag, &u32))
            out += std::to_string(tag) + "=" + std::to_string(u32) + " ";
    for (const std::uint32_t tag :
         {TIFFTAG_COMPRESSION, TIFFTAG_PHOTOMETRIC, TIFFTAG_BITSPERSAMPLE, TIFFTAG_RESOLUTIONUNIT, TIFFTAG_PREDICTOR})
        if (TIFFGetField(tif, tag, &a))
            out += std::to_string(tag) + "=" + std::to_string(a) + " ";
    if (TIFFGetField(tif, TIFFTAG_PAGENUMBER, &a, &b))
        out += "page=" + std::to_string(a) + "/" + std::to_string(b) + " ";
    if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &f))
        out += "xres=" + std::to_string(f) + " ";
    for (const std::uint32_t tag : {TIFFTAG_IMAGEDESCRIPTION, TIFFTAG_SOFTWARE})
        if (TIFFGetField(tif, tag, &text))
            out += std::to_string(tag) + "=" + text + " ";
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        out += "map=" + std::to_string(red[1]) + "," + std::to_string(blue[255]) + " ";
    std::uint32_t tablesLength = 0;
    void* tables = nullptr;
    if (TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tablesLength, &tables))
        out += "jpegtables=" + std::to_string(tablesLength) + " ";
    return out;
}

TiffPage shaped(int seed, std::uint16_t compression, std::uint16_t photometric = PHOTOMETRIC_MINISBLACK,
                std::uint16_t bits = 8, std::uint32_t tile = 0)
{
    TiffPage page;
    page.seed = seed;
    page.compression = compression;
    page.photometric = photometric;
    page.bitsPerSample = bits;
    page.tileSize = tile;
    page.width = tile ? 40 : 64;
    page.description = "Seite " + std::to_string(seed);
    page.privateValue = 1000u + static_cast<unsigned>(seed);
    return page;
}

struct Shape
{
    const char* name;
    std::vector<TiffPage> pages;
    bool bigEndian = false;
    bool bigTiff = false;
};

class TiffSplitterShapes : public testing::TestWithParam<Shape>
{
};

TEST_P(TiffSplitterShapes, EachPageKeepsItsCompressedDataAndTags)
{
    const Shape& shape = GetParam();
    TempDir dir("bv-tiffsplit-");
    const fs::path source = dir.file("x0000100.tif");
    test::writeTiff(source, shape.pages, shape.bigEndian, shape.bigTiff);

    const auto result = tiffsplit::splitFile(source, dir.path());
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.pages, static_cast<int>(shape.pages.size()));
    for (int page = 1; page <= result.pages; ++page) {
        const fs::path written = dir.file(tiffsplit::pageFileName(source.string(), page));
        const Tiff original = open(source, page - 1);
        const Tiff copy = open(written);
        ASSERT_TRUE(original && copy) << written;
        EXPECT_EQ(TIFFNumberOfDirectories(copy.get()), 1) << written;
        EXPECT_EQ(TIFFIsBigEndian(copy.get()), TIFFIsBigEndian(original.get()));
        EXPECT_EQ(TIFFIsBigTIFF(copy.get()), TIFFIsBigTIFF(original.get()));
        EXPECT_EQ(tags(copy.get()), tags(original.get())) << written;
        EXPECT_EQ(rawStrips(copy.get()), rawStrips(original.get())) << written;
    }
    EXPECT_FALSE(fs::exists(dir.file(tiffsplit::pageFileName(source.string(), result.pages + 1))));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TiffSplitterShapes,
    testing::Values(
        Shape{"LzwStrips", test::samplePages(3)},
        Shape{"BigEndianMixed",
              {shaped(1, COMPRESSION_NONE), shaped(2, COMPRESSION_ADOBE_DEFLATE), shaped(3, COMPRESSION_PACKBITS)},
              true},
        Shape{"BigTiffTiles", {shaped(1, COMPRESSION_ADOBE_DEFLATE, 1, 8, 16), shaped(2, 5, 1, 8, 32)}, false, true},
        Shape{"PaletteAndFax",
              {shaped(1, COMPRESSION_LZW, PHOTOMETRIC_PALETTE),
               shaped(2, COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE, 1),
               shaped(3, COMPRESSION_CCITTFAX3, PHOTOMETRIC_MINISWHITE, 1)}},
        Shape{"Jpeg", {shaped(1, COMPRESSION_JPEG), shaped(2, COMPRESSION_JPEG)}}),
    [](const testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); });

TEST(TiffSplitter, PageNamesCarryTheNumberWithAtLeastTwoDigits)
{
    EXPECT_EQ(tiffsplit::pageFileName("/a b/x0000100.tif", 1), "x0000100_Page01.tif");
    EXPECT_EQ(tiffsplit::pageFileName("x0000100.TIF", 10), "x0000100_Page10.tif");
    EXPECT_EQ(tiffsplit::pageFileName("scan", 100), "scan_Page100.tif");
}

// What is not a sound TIFF ends in a reason, never in a page or a crash.
TEST(TiffSplitter, RefusesWhatIsNotASoundTiff)
{
    TempDir dir("bv-tiffsplit-");
    test::writeTiff(dir.file("good.tif"), test::samplePages(2));
    const std::string good = dir.read("good.tif");
    // Cut short in the middle of the first page's data.
    const Tiff tif = open(dir.file("good.tif"));
    const auto offsetAt = static_cast<std::size_t>(TIFFGetStrileOffset(tif.get(), 0));
    ASSERT_GT(offsetAt, 0u);
    const std::string truncated = good.substr(0, offsetAt + 2);
    for (const std::string& bytes :
         {std::string(), std::string("Rechnung"), std::string("II*\0", 4), std::string("II*\0\x08\0\0\0\xff\xff", 10),
          std::string("MM\0*\0\0\0\x08", 8), truncated, good.substr(0, good.size() / 2)}) {
        int pages = 0;
        const auto result = tiffsplit::splitTiff(bytes, [&](int, std::string_view, std::string&) {
            ++pages;
            return true;
        });
        EXPECT_FALSE(result.ok) << testing::PrintToString(bytes.substr(0, 16));
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(TiffSplitter, CommandLineOfTheExtraction)
{
    std::string error;
    const auto command =
        tiffsplit::parseCommandLine({"/d/x0000100.tif", "/d/", "/F17", "/L", "/d/lfclog.txt", "/NOUI", "/EM"}, error);
    ASSERT_TRUE(command.has_value()) << error;
    EXPECT_EQ(command->source, "/d/x0000100.tif");
    EXPECT_EQ(command->targetDirectory, "/d/");
    EXPECT_EQ(command->logPath, "/d/lfclog.txt");
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"/d/x.tif", "/F17", "/L", "log"},
                                               {"/d/x.tif", "/d", "/F17", "/L"},
                                               {"/d/x.tif", "/d", "/F3", "/L", "l"}}) {
        error.clear();
        EXPECT_FALSE(tiffsplit::parseCommandLine(bad, error).has_value());
        EXPECT_FALSE(error.empty());
    }
}

// The log holds "Failure" exactly when the split failed, and a failed split leaves no page behind.
TEST(TiffSplitter, LogAndExitStatus)
{
    TempDir dir("bv-tiffsplit-");
    dir.write("scan/keine.tif", "Dies ist kein TIFF.");
    test::writeTiff(dir.file("scan/x0000100.tif"), test::samplePages(3));
    fs::create_directories(dir.file("out"));
    const std::string log = dir.file("lfclog.txt").string();
    const auto run = [&](const std::string& source, const std::string& target) {
        return tiffsplit::runSplitter(
            {dir.file(source).string(), dir.file(target).string(), "/F17", "/L", log, "/NOUI", "/EM"});
    };

    EXPECT_NE(run("scan/keine.tif", "out"), 0);
    EXPECT_NE(dir.read("lfclog.txt").find("Failure"), std::string::npos);
    EXPECT_NE(run("scan/fehlt.tif", "out"), 0);
    EXPECT_NE(dir.read("lfclog.txt").find("Failure"), std::string::npos);
    EXPECT_NE(run("scan/x0000100.tif", "nicht/da"), 0);
    EXPECT_NE(dir.read("lfclog.txt").find("Failure"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir.file("out")));

    EXPECT_EQ(run("scan/x0000100.tif", "out"), 0);
    EXPECT_EQ(dir.read("lfclog.txt").find("Failure"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.file("out/x0000100_Page03.tif")));
}

// The real program, as extraction starts it: separate arguments, paths with blanks.
TEST(TiffSplitter, ProgramSplitsPathsWithBlanks)
{
    TempDir dir("bv-tiff split-");
    const fs::path target = dir.file("Anlagen Praxis");
    fs::create_directories(target);
    test::writeTiff(target / "x0000100.tif", test::samplePages(3));
    const char* binDir = std::getenv("BV_BIN_DIR");
    ASSERT_NE(binDir, nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string program = std::string(binDir) + "/bvtiffsplit";
        const std::string source = (target / "x0000100.tif").string(), log = (target / "lfclog.txt").string();
        const std::string directory = target.string() + "/";
        execl(program.c_str(), program.c_str(), source.c_str(), directory.c_str(), "/F17", "/L", log.c_str(), "/NOUI",
              "/EM", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const char* page : {"x0000100_Page01.tif", "x0000100_Page02.tif", "x0000100_Page03.tif"})
        EXPECT_TRUE(fs::exists(target / page)) << page;
    EXPECT_EQ(dir.read("Anlagen Praxis/lfclog.txt").find("Failure"), std::string::npos);
}

} // namespace
} // namespace bv
