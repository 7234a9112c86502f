#include "billing/AdzCodes.h"
#include "billing/SpoolDetection.h"

#include "billing/CAbrechnungsDatei.h"
#include "billing/SampleFiles.h"
#include "billing/formats/dds/VddsEncryption.h"
#include "config/Profile.h"
#include "config/SpoolDirectory.h"
#include "platform/Files.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace bv {
namespace {

namespace fs = std::filesystem;

// Creation times are compared in steps of 6.5 ms; files written this far apart have distinct ages.
void pause()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
}

TEST(FileType, DetectedFromExtensionAndContent)
{
    TempDir dir;
    samples::XmlInvoicePlan invoice;
    const struct
    {
        std::string name;
        std::string content;
        int type;
    } rows[] = {
        {"a.CHZ", "anything", file_type::Chz},
        {"a.xml", samples::xmlInvoice(invoice), file_type::Cha},
        {"b.XML", "<other/>", file_type::Unknown},
        {"c.xml", samples::ddsFile(2, 10), file_type::DdsV2}, // not an invoice: the content decides
        {"RZ.ini", "[x]\r\n", file_type::ControlIni},
        {"RZ0001.001", samples::ddsFile(2, 10), file_type::DdsV2},
        {"RZ0002.001", samples::ddsFile(2, 100), file_type::DdsV2},
        {"RZ0003.001", samples::ddsFile(3, 10), file_type::DdsV3},
        {"RZ0004.001", samples::ddsFile(2, 2828), file_type::DdsV2Kind2828},
        {"RZ0005.001", samples::ddsFile(3, 2828), file_type::DdsV3Kind2828},
        {"RZ0006.001", samples::ddsFile(4, 10), file_type::Unknown},
        {"RZ0007.001", samples::ddsFile(2, 0), file_type::Unknown},
        {"M00001.001", samples::fixed128File("0100", false), file_type::Mas},
        {"M00002.001", samples::fixed128File("0100", true), file_type::Mas},
        {"PV000001.DAT", samples::fixed128File("", false), file_type::Pad},
        {"PV000002.DAT", samples::fixed128File("", true), file_type::PadLines},
        {"PV000003.DAT", samples::fixed128File("", true).substr(0, 3 * 130 - 2), file_type::PadLines},
        {"PV000004.DAT", samples::fixed128File("", false, 3, "654321"), file_type::Unknown},
        {"short.001", std::string(255, '1'), file_type::Unknown},
        {"zero.001", std::string(100, '1') + '\0' + std::string(200, '1'), file_type::Unknown},
    };
    for (const auto& row : rows) {
        const auto path = dir.write(row.name, row.content);
        EXPECT_EQ(DetectFileType(path.string()), row.type) << row.name;
    }
    EXPECT_EQ(DetectFileType((dir.path() / "missing.001").string()), file_type::CannotOpen);
    fs::create_directory(dir.path() / "folder.chz");
    EXPECT_EQ(DetectFileType((dir.path() / "folder.chz").string()), file_type::CannotOpen);
}

TEST(FileType, SpoolTypeOfEveryFileType)
{
    const std::pair<int, int> rows[] = {
        {file_type::DdsV2, spool_type::Dds},
        {file_type::DdsV3, spool_type::Dds},
        {file_type::DdsV3Kind2828, spool_type::Dds},
        {file_type::ControlIni, spool_type::Dds},
        {file_type::DdsV2Kind2828, spool_type::Other},
        {file_type::Pad, spool_type::Pad},
        {file_type::PadLines, spool_type::Pad},
        {file_type::Mas, spool_type::Mas},
        {file_type::Chz, spool_type::Chz},
        {file_type::Cha, spool_type::Cha},
        {file_type::Unknown, spool_type::Unrecognised},
        {file_type::CannotOpen, spool_type::CannotOpen},
    };
    for (const auto& [fileType, spoolType] : rows)
        EXPECT_EQ(spoolTypeOfFileType(fileType), spoolType) << std::hex << fileType;
}

TEST(VddsEncryption, CipherMatchesKnownKeystream)
{
    // RC4 key schedule over key bytes 0..31, output continuing with the j the schedule left.
    vdds::Key key{};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<unsigned char>(i);
    unsigned char data[8] = {};
    vdds::cipherBlock(key, data, sizeof(data));
    const unsigned char expected[8] = {0x63, 0x87, 0x07, 0x03, 0x70, 0x51, 0x12, 0xc4};
    EXPECT_EQ(std::vector<unsigned char>(data, data + 8), std::vector<unsigned char>(expected, expected + 8));
}

TEST(VddsEncryption, RecognisesEncipheredDeliveries)
{
    TempDir dir;
    const struct
    {
        std::string content;
        int interface;
    } rows[] = {
        {samples::encipheredDelivery(samples::ddsFile(2, 10)), 2},
        {samples::encipheredDelivery(samples::ddsFile(3, 100, 20)), 3},
        {samples::encipheredDelivery(samples::ddsFile(3, 2828)), 0},              // no 0010 or 0100 record first
        {samples::encipheredDelivery(samples::ddsFile(2, 10).substr(0, 512)), 0}, // too short to tell
        {samples::encipheredDelivery(samples::ddsFile(2, 10).substr(0, 513)), 2},
        {samples::ddsFile(2, 10, 20), 0}, // plain files are not enciphered
        {std::string(100, 'x'), 0},
    };
    for (const auto& row : rows) {
        const auto path = dir.write("RZ0001.001", row.content);
        EXPECT_EQ(IsVddsEncrypted(path), row.interface) << row.content.size();
    }
}

class SpoolTypeTest : public ::testing::Test
{
protected:
    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool;

    int spoolType() { return DetermineSpoolType(m_spool.path().string(), m_profile); }
};

TEST_F(SpoolTypeTest, EmptyDirectoryAndFoldersGiveNoSpool)
{
    EXPECT_EQ(spoolType(), spool_type::Empty);
    fs::create_directory(m_spool.path() / "Sent");
    fs::create_directory(m_spool.path() / "x.CHZ");
    EXPECT_EQ(spoolType(), spool_type::Empty);
}

TEST_F(SpoolTypeTest, PatternOrderBeatsAge)
{
    m_spool.write("new.xml", samples::xmlInvoice(samples::XmlInvoicePlan{}));
    pause();
    m_spool.write("z.chz", samples::chzFile({}));
    EXPECT_EQ(spoolType(), spool_type::Chz);
    m_spool.write("RZ0001.001", samples::ddsFile(2, 10));
    EXPECT_EQ(spoolType(), spool_type::Dds);
}

TEST_F(SpoolTypeTest, OldestFileOfTheDecidingPatternIsClassified)
{
    m_spool.write("M00002.001", samples::fixed128File("0100", false));
    pause();
    m_spool.write("M00001.001", std::string(300, '?'));
    EXPECT_EQ(spoolType(), spool_type::Mas);
}

TEST_F(SpoolTypeTest, UnrecognisedAndUnreadableFiles)
{
    m_spool.write("x.XML", "<short/>");
    EXPECT_EQ(spoolType(), spool_type::Unrecognised);

    TempDir other;
    other.write("RZ0001.001", samples::ddsFile(2, 2828));
    EXPECT_EQ(DetermineSpoolType(other.path().string(), m_profile), spool_type::Other);
}

TEST_F(SpoolTypeTest, FileNoFormatRecognisesDoesNotHideBillingFilesBehindIt)
{
    const std::string invoice = samples::xmlInvoice(samples::XmlInvoicePlan{});
    struct Row
    {
        const char* oldest;                        // name of the oldest file, unrecognised
        std::function<void(const fs::path&)> make; // how it is made
        const char* younger;                       // a recognisable file written after it
        std::string content;
        int type;
    };
    const auto bytes = [](std::string text) { return [text](const fs::path& p) { std::ofstream(p) << text; }; };
    const Row rows[] = {
        {"a.xml", bytes(""), "b.xml", invoice, spool_type::Cha},
        {"a.xml", bytes("<other/>"), "b.xml", invoice, spool_type::Cha},
        // A pipe cannot be read without a writer: opening it must not wait for one.
        {"a.xml", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); }, "b.xml", invoice, spool_type::Cha},
        {"RZ0001.001", bytes(samples::ddsFile(4, 10)), "z.chz", samples::chzFile({}), spool_type::Chz},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.oldest);
        TempDir spool;
        row.make(spool.file(row.oldest));
        pause();
        spool.write(row.younger, row.content);
        EXPECT_EQ(DetermineSpoolType(spool.path().string(), m_profile), row.type);
    }
}

TEST_F(SpoolTypeTest, ConfiguredFilterAndEncipheredDelivery)
{
    m_profile.writeString(section::Abrechnungsversand, "file_filter", "*.RZD");
    m_spool.write("x.xml", samples::xmlInvoice(samples::XmlInvoicePlan{}));
    m_spool.write("a.rzd", samples::encipheredDelivery(samples::ddsFile(3, 10)));
    EXPECT_EQ(spoolType(), spool_type::Dds);
}

TEST_F(SpoolTypeTest, ConfiguredSpoolDirectoryIsUsedWhenNoneIsGiven)
{
    m_spool.write("a.chz", samples::chzFile({}));
    m_profile.writeString(section::Abrechnungsversand, "spooldir", m_spool.path().string());
    EXPECT_EQ(DetermineSpoolType(resolveSpoolDirectory("", m_profile), m_profile), spool_type::Chz);
    EXPECT_EQ(resolveSpoolDirectory("", m_profile), m_spool.path().string() + "/");
}

// A temporary directory longer than 255 characters cannot hold the spool: without a configured or a
// given directory the spool has none, and nothing is looked for (not even in "/").
TEST_F(SpoolTypeTest, TemporaryDirectoryTooLongGivesNoSpoolDirectory)
{
    const char* saved = std::getenv("TMPDIR");
    const std::string savedText = saved ? saved : "";
    const std::string longDir = "/tmp/" + std::string(251, 'd'); // 257 characters with the final "/"
    setenv("TMPDIR", longDir.c_str(), 1);
    EXPECT_EQ(resolveSpoolDirectory("", m_profile), fs::path());
    EXPECT_EQ(DetermineSpoolType(fs::path(), m_profile), spool_type::Empty);
    EXPECT_EQ(resolveSpoolDirectory(m_spool.path().string(), m_profile), m_spool.path().string() + "/");
    setenv("TMPDIR", longDir.substr(0, 254).c_str(), 1); // 255 characters fit
    EXPECT_EQ(resolveSpoolDirectory("", m_profile), longDir.substr(0, 254) + "/");
    setenv("TMPDIR", longDir.c_str(), 1);
    m_profile.writeString(section::Abrechnungsversand, "spooldir", "");
    EXPECT_EQ(resolveSpoolDirectory("", m_profile), "/"); // configured, even when empty
    if (saved)
        setenv("TMPDIR", savedText.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST_F(SpoolTypeTest, DirectoryThatCannotBeListedIsCodeMinus19)
{
    try {
        DetermineSpoolType((m_spool.path() / "missing").string(), m_profile);
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::DirectoryUnreadable);
        EXPECT_EQ(e.message(), "Das System kann die angegebene Datei nicht finden.");
    }
}

TEST(OldestFile, CountsMatchesAndPicksTheOneCreatedFirst)
{
    TempDir dir;
    dir.write("b.chz", "1");
    pause();
    dir.write("a.CHZ", "2");
    dir.write("c.xml", "3");
    fs::create_directory(dir.path() / "d.chz");
    std::string oldest;
    const std::string base = dir.path().string() + "/";
    EXPECT_EQ(FindOldestFile(base + "*.CHZ", oldest), 2);
    EXPECT_EQ(oldest, base + "b.chz");
    EXPECT_EQ(FindOldestFile(base + "*.txt", oldest), 0);
    EXPECT_EQ(oldest, "");
}

TEST(OldestFile, TimesWithinOneKeyStepTieAndTheFirstEnumeratedWins)
{
    // The key is the creation time in steps of 65536 ticks (6.5 ms): "b" created just before "a"
    // ties with it, and "a" comes first in the listing. Pairs that straddle a step are made again.
    for (int attempt = 0; attempt < 20; ++attempt) {
        TempDir dir;
        const auto b = dir.write("b.chz", "1");
        const auto a = dir.write("a.chz", "2");
        const auto keyB = *files::creationFileTime(b) >> 16;
        const auto keyA = *files::creationFileTime(a) >> 16;
        if (keyA != keyB)
            continue;
        std::string oldest;
        EXPECT_EQ(FindOldestFile(dir.path().string() + "/*.chz", oldest), 2);
        EXPECT_EQ(oldest, a.string());
        return;
    }
    FAIL() << "no two files created within one step";
}

} // namespace
} // namespace bv
