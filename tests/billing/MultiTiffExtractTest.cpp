// Splitting an extracted attachment with the splitter program: the real bvtiffsplit for the pages,
// small shell scripts standing in for a splitter that fails, hangs, crashes or checks its arguments.

#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/tiff/MultiTiffExtract.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "tiff/TiffBuilder.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <chrono>
#include <cstdlib>

namespace bv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const Question =
    "Zeitüberschreitung beim Warten auf den Druckvorgang (MultiTiffExtract)! Soll weiter gewartet werden?";

std::string description(const fs::path& page)
{
    TIFF* tif = TIFFOpen(page.c_str(), "r");
    if (tif == nullptr)
        return "(no TIFF)";
    char* text = nullptr;
    std::string out = TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text) ? text : "";
    out += TIFFNumberOfDirectories(tif) == 1 ? "" : " (several pages)";
    TIFFClose(tif);
    return out;
}

class MultiTiffExtractTest : public testing::Test
{
protected:
    // The attachment directory, with a blank in its name as on many practice machines.
    fs::path directory() const { return m_dir.file("Anlagen Praxis"); }
    fs::path attachment() const { return directory() / "A0000100.tif"; }

    void SetUp() override { fs::create_directories(directory()); }

    static std::string realSplitter()
    {
        const char* bin = std::getenv("BV_BIN_DIR");
        return std::string(bin ? bin : ".") + "/bvtiffsplit";
    }

    // A stand-in splitter: a shell script that gets the splitter's arguments.
    std::string script(const std::string& body) const
    {
        const fs::path path = m_dir.write("bin/splitter " + std::to_string(++m_scripts), "#!/bin/sh\n" + body + "\n");
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    int extract(const std::string& splitter, std::chrono::milliseconds step = MultiTiffExtract::DefaultWaitStep)
    {
        return MultiTiffExtract(m_boxes, splitter, step).extract(attachment().string(), 2);
    }

    // The code and text of the error a split throws; code 0 when it throws none.
    std::pair<int, std::string> failure(const std::string& splitter, std::chrono::milliseconds step = 10s)
    {
        try {
            extract(splitter, step);
        } catch (const CAdzException& e) {
            return {e.code(), e.message()};
        }
        return {0, ""};
    }

    TempDir m_dir{"bv-split-"};
    RecordingMessageBoxes m_boxes;
    mutable int m_scripts = 0;
};

TEST_F(MultiTiffExtractTest, PagesAreNumberedAfterTheAttachment)
{
    for (const int count : {3, 10}) {
        test::writeTiff(attachment(), test::samplePages(count));
        EXPECT_EQ(extract(realSplitter()), count);
        const std::string last = count == 10 ? "x00001010.tif" : "x0000103.tif";
        EXPECT_EQ(description(directory() / "x0000101.tif"), "Seite 1");
        EXPECT_EQ(description(directory() / last), "Seite " + std::to_string(count)) << last;
        EXPECT_FALSE(fs::exists(directory() / "x0000100.tif"));
        EXPECT_TRUE(fs::exists(attachment()));
        EXPECT_TRUE(m_boxes.boxes.empty());
    }
}

// A copy, pages or a failed log left behind by an earlier split are not taken for this one's.
TEST_F(MultiTiffExtractTest, LeftoversOfAnEarlierSplitDoNotCount)
{
    test::writeTiff(directory() / "x0000100.tif", test::samplePages(5));
    m_dir.write("Anlagen Praxis/x0000100_Page04.tif", "alt");
    m_dir.write("Anlagen Praxis/x0000101.tif", "alt");
    m_dir.write("Anlagen Praxis/lfclog.txt", "Failure");
    test::writeTiff(attachment(), test::samplePages(3));
    EXPECT_EQ(extract(realSplitter()), 3);
    EXPECT_EQ(description(directory() / "x0000101.tif"), "Seite 1");
    EXPECT_FALSE(fs::exists(directory() / "x0000104.tif"));
}

TEST_F(MultiTiffExtractTest, FailedSplitsReturnBelowOne)
{
    test::writeTiff(attachment(), test::samplePages(3));
    const std::string failureLog = script("echo 'Failure: kaputt' > \"$5\"; : > \"$2x0000100_Page01.tif\"");
    const std::string crash = script(": > \"$2x0000100_Page01.tif\"; kill -9 $$");
    for (const std::string& splitter : {failureLog, crash})
        EXPECT_LT(extract(splitter), 1) << splitter;

    m_dir.write("Anlagen Praxis/A0000100.tif", "kein TIFF");
    EXPECT_LT(extract(realSplitter()), 1);
    EXPECT_NE(m_dir.read("Anlagen Praxis/lfclog.txt").find("Failure"), std::string::npos);
}

// The splitter gets the same words as the system's command line, each whole, blanks and all.
TEST_F(MultiTiffExtractTest, ArgumentsReachTheSplitterAsSeparateWords)
{
    test::writeTiff(attachment(), test::samplePages(1));
    const std::string words = m_dir.file("words.txt").string();
    EXPECT_EQ(extract(script("printf '%s\\n' \"$@\" > '" + words + "'")), 0);
    const std::string d = directory().string();
    EXPECT_EQ(m_dir.read("words.txt"), d + "/x0000100.tif\n" + d + "/\n/F17\n/L\n" + d + "/lfclog.txt\n/NOUI\n/EM\n");
}

TEST_F(MultiTiffExtractTest, WaitingIsAskedAboutAtEachStep)
{
    test::writeTiff(attachment(), test::samplePages(1));
    m_boxes.answers = {MbResult::Yes, MbResult::No};
    const std::string hanging = script("exec sleep 30");
    const auto started = std::chrono::steady_clock::now();
    const auto [code, text] = failure(hanging, 100ms);
    EXPECT_EQ(code, adz::SplitWait);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    EXPECT_EQ(text.find("Fehler bei warten von: \"" + hanging + " "), 0u) << text;
    EXPECT_NE(text.find(") (Rechnung-Nr.3)"), std::string::npos) << text;
    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    for (const auto& box : m_boxes.boxes) {
        EXPECT_EQ(box.text, Question);
        EXPECT_EQ(box.caption, "Warnung/Timeout");
        EXPECT_EQ(box.icon, MbIcon::Warning);
        EXPECT_EQ(box.buttons, MbButtons::YesNo);
    }
}

TEST_F(MultiTiffExtractTest, ErrorsOfStartAndCleanUp)
{
    test::writeTiff(attachment(), test::samplePages(2));
    const std::string d = directory().string();
    const std::string tail = " " + d + "/x0000100.tif " + d + "/ /F17 /L " + d + "/lfclog.txt /NOUI /EM";
    EXPECT_EQ(failure(""), std::make_pair(-139, "Fehler bei Start von: \"" + tail +
                                                    "\" (Das System kann die angegebene Datei nicht finden.) "
                                                    "(Rechnung-Nr.3)"));
    EXPECT_EQ(failure("/nicht/da").first, -139);
    // A splitter that takes the copy away leaves nothing to delete.
    EXPECT_EQ(failure(script("rm \"$1\"")),
              std::make_pair(-609, "Fehler bei MultiTiffExtract/Löschen der Anlagedatei! \"" + d + "/x0000100.tif\""));
}

TEST_F(MultiTiffExtractTest, CopyAndRenameFailuresAreShownAndSkipped)
{
    // No attachment to copy: the copy fails, and the splitter finds nothing to split.
    EXPECT_LT(extract(realSplitter()), 1);
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "CopyFile ging schief Fehlercode: 2 Datei: " + attachment().string());
    EXPECT_EQ(m_boxes.boxes[0].caption, "");

    // Page 2 is counted but missing.
    m_boxes.boxes.clear();
    test::writeTiff(attachment(), test::samplePages(1));
    EXPECT_EQ(extract(script(": > \"$2x0000100_Page01.tif\"; : > \"$2x0000100_Page3.tif\"")), 2);
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text,
              "MoveFile ging schief Fehlercode: 2 Datei: " + (directory() / "x0000100_Page02.tif").string());
}

TEST(MultiTiffExtractSplitter, NamedByTheMachineKey)
{
    TempRegistry registry;
    EXPECT_EQ(MultiTiffExtract::splitterPathFrom(registry.registry()), "");
    registry.setMachineString("HKEY_LOCAL_MACHINE\\Software\\Brevalis\\Rechnungsdruck", "SplitTiffPath",
                              "/usr/bin/bvtiffsplit");
    EXPECT_EQ(MultiTiffExtract::splitterPathFrom(registry.registry()), "/usr/bin/bvtiffsplit");
}

} // namespace
} // namespace bv
