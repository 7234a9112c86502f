#include "billing/AdzCodes.h"
#include "billing/CAbrechnungSpool.h"

#include "billing/SampleFiles.h"
#include "billing/SpoolFixtures.h"
#include "billing/ZipContents.h"
#include "billing/formats/cha/CCHADatei.h"
#include "billing/formats/cha/CCHASpool.h"
#include "billing/formats/chz/CCHZDatei.h"
#include "billing/formats/chz/CCHZSpool.h"
#include "config/Profile.h"
#include "config/SpoolDirectory.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace bv {
namespace {

namespace fs = std::filesystem;

class SpoolTest : public ::testing::Test
{
protected:
    std::string spoolDir() const { return m_spool.path().string() + "/"; }
    std::unique_ptr<CCHZSpool> chzSpool()
    {
        return std::make_unique<CCHZSpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool;
    ScopedTemporaryDirectory m_temp;
    RecordingMessageBoxes m_boxes;
    FakeRemovableProbe m_probe;
};

TEST_F(SpoolTest, ChzSpoolSendsTheOldestFileThroughItsWorkingCopy)
{
    samples::ChzPlan older;
    older.kuNr = "4711";
    m_spool.write("Z0002.chz", samples::chzFile(older));
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    m_spool.write("A0001.CHZ", samples::chzFile({}));
    m_profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "41");
    m_profile.writeString(section::Abrechnungsversand, "004711:last_send", "20240105:134501");

    auto spool = chzSpool();
    ASSERT_FALSE(spool->IsEmpty());
    EXPECT_EQ(spool->filePath(), spoolDir() + "Z0002.chz");
    EXPECT_EQ(spool->fileCount(), 2);
    EXPECT_EQ(spool->workingCopy(), spoolDir() + "Z0002.~RZ");
    EXPECT_EQ(spool->uploadFile(), spool->workingCopy());
    EXPECT_EQ(m_spool.read("Z0002.~RZ"), m_spool.read("Z0002.chz"));
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Im Abrechnungsausgangsverzeichnis befinden sich 2 Dateien.\nBitte versenden Sie "
                                     "die Dateien, indem Sie den Rechnungsversand mehrfach ausführen!");
    EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(m_boxes.boxes[0].buttons, MbButtons::Ok);

    EXPECT_EQ(spool->GetBatchNumber(), 12);
    EXPECT_EQ(spool->invoiceCount(), 3);
    EXPECT_EQ(spool->totalAmount(), 123456);
    EXPECT_EQ(spool->GetFileDateText(), "07.03.2013");
    EXPECT_EQ(spool->GetLastBatchNumber(), 41);
    EXPECT_EQ(spool->LastSendText(), "05.01.2024 13:45:01");
    EXPECT_EQ(spool->billingFile()->GetTypeCode(), "CZ");
    EXPECT_EQ(spool->HasControlFile(), 0);
    EXPECT_THROW(spool->GetControlFilePath(), std::logic_error);
    EXPECT_EQ(spool->GetInvoiceDetails(), "Rechnungsdetails sind für diesen Dateityp nicht verfügbar!");
}

TEST_F(SpoolTest, ChzSpoolWithoutHistoryOrFiles)
{
    auto empty = chzSpool();
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_EQ(empty->billingFile(), nullptr);
    EXPECT_TRUE(m_boxes.boxes.empty());

    m_spool.write("a.chz", samples::chzFile({}));
    auto spool = chzSpool();
    EXPECT_EQ(spool->GetLastBatchNumber(), -1);
    EXPECT_EQ(spool->LastSendText(), "");
    EXPECT_TRUE(m_boxes.boxes.empty()); // one file: no message
}

TEST_F(SpoolTest, RemovableSpoolKeepsTheWorkingCopyInTheTemporaryDirectory)
{
    m_probe.removable = true;
    m_spool.write("a.chz", samples::chzFile({}));
    auto spool = chzSpool();
    EXPECT_TRUE(spool->isRemovable());
    EXPECT_EQ(spool->workingCopy(), files::temporaryDirectory() + "a.~RZ");
    EXPECT_TRUE(fs::exists(m_temp.path() / "a.~RZ"));
    EXPECT_FALSE(fs::exists(m_spool.path() / "a.~RZ"));
}

TEST_F(SpoolTest, ChzSpoolErrors)
{
    samples::ChzPlan noCount;
    noCount.anzRech = std::nullopt;
    m_spool.write("a.chz", samples::chzFile(noCount));
    try {
        chzSpool();
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Content);
        EXPECT_EQ(e.message(), "Fehler in Abrechnungsdatei: Pflichtfeld AnzRech fehlt!");
    }
    EXPECT_TRUE(fs::exists(m_spool.path() / "a.chz"));

    TempDir other;
    other.write("b.chz", samples::chzFile({}));
    fs::create_directories(other.path() / "b.~RZ" / "x"); // the working copy cannot be written there
    try {
        CCHZSpool spool(m_boxes, m_profile, m_probe, other.path().string());
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Structural);
        EXPECT_EQ(e.message(), "Temporäre Datei \"" + other.path().string() + "/b.~RZ\" konnte nicht angelegt werden!");
    }
}

TEST_F(SpoolTest, MarkingSentLeavesOnlyTheWorkingCopy)
{
    m_spool.write("a.chz", samples::chzFile({}));
    auto spool = chzSpool();
    spool->MarkSent(spool->filePath());
    EXPECT_FALSE(fs::exists(m_spool.path() / "a.chz"));
    EXPECT_TRUE(fs::exists(m_spool.path() / "a.~RZ"));
}

TEST_F(SpoolTest, MarkingSentOnARemovableMediumCanBeRetried)
{
    m_probe.removable = true;
    m_spool.write("a.chz", samples::chzFile({}));
    auto spool = chzSpool();
    // A non-empty folder in the way makes the rename fail like a write-protected medium.
    fs::create_directories(m_spool.path() / "a.~RZ" / "x");
    m_boxes.answers = {MbResult::Retry, MbResult::Cancel};
    spool->MarkSent(spool->filePath());
    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Die Abrechnungsdatei konnte nicht als erfolgreich versendet markiert werden.\n"
                                     "Überprüfen Sie bitte, ob die Diskette schreibgeschützt ist.");
    EXPECT_EQ(m_boxes.boxes[0].buttons, MbButtons::RetryCancel);
    EXPECT_EQ(m_boxes.boxes[0].icon, MbIcon::Warning);
    EXPECT_TRUE(fs::exists(m_spool.path() / "a.chz"));
    EXPECT_FALSE(fs::exists(m_temp.path() / "a.~RZ"));

    // Once the medium is writable the retry succeeds.
    m_boxes.boxes.clear();
    auto again = chzSpool();
    m_boxes.boxes.clear();
    fs::remove_all(m_spool.path() / "a.~RZ");
    again->MarkSent(again->filePath());
    EXPECT_TRUE(m_boxes.boxes.empty());
    EXPECT_TRUE(fs::exists(m_spool.path() / "a.~RZ"));
    EXPECT_FALSE(fs::exists(m_spool.path() / "a.chz"));
}

TEST_F(SpoolTest, ChaSpoolRemembersTransmissionsUnderTheSenderEan)
{
    samples::XmlInvoicePlan sample;
    sample.ean = "7601000000055";
    m_spool.write("a.xml", samples::xmlInvoice(sample));
    m_spool.write("b.xml", samples::xmlInvoice(sample));
    m_profile.writeString(section::Abrechnungsversand, "7601000000055:last_stapel", "5");
    m_profile.writeString(section::Abrechnungsversand, "7601000000055:last_send", "20231114:080910");
    m_profile.writeString(section::Abrechnungsversand, "-00001:last_stapel", "99");

    CCHASpool spool(m_boxes, m_profile, m_probe, m_spool.path().string());
    ASSERT_FALSE(spool.IsEmpty());
    auto* cha = spool.chaFile();
    EXPECT_EQ(spool.uploadFile(), cha->packagePath());
    const auto entries = samples::readZip(spool.uploadFile());
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 2u);
    EXPECT_NE(samples::unzipTest(spool.uploadFile()), 0);
    EXPECT_EQ(spool.filePath(), cha->packagePath());
    EXPECT_EQ(spool.invoiceCount(), 2);
    EXPECT_EQ(spool.lastBatchNumber(), 5);
    EXPECT_EQ(spool.LastSendText(), "14.11.2023 08:09:10");
    EXPECT_EQ(spool.GetFileDateText(), cha->dateRangeText());
    EXPECT_EQ(spool.GetBatchNumber(), -1);
    m_profile.writeString(section::Abrechnungsversand, "7601000000055:last_stapel", "6");
    EXPECT_EQ(spool.GetLastBatchNumber(), 6); // read anew

    const std::string package = cha->packagePath();
    spool.MarkSent(spool.filePath());
    spool.ReleaseFile();
    EXPECT_TRUE(fs::exists(m_spool.path() / "Sent" / "a.xml"));
    EXPECT_TRUE(fs::exists(m_spool.path() / "Sent" / "b.xml"));
    EXPECT_FALSE(fs::exists(m_spool.path() / "a.xml"));
    EXPECT_FALSE(fs::exists(package));
}

TEST_F(SpoolTest, ChaSpoolOfAnEmptyDirectory)
{
    m_profile.writeString(section::Abrechnungsversand, "spooldir", m_spool.path().string());
    CCHASpool spool(m_boxes, m_profile, m_probe, resolveSpoolDirectory("", m_profile));
    EXPECT_TRUE(spool.IsEmpty());
    EXPECT_EQ(spool.spoolDirectory(), spoolDir());
    EXPECT_EQ(spool.GetLastBatchNumber(), 0); // no package sent for this sender yet
}

} // namespace
} // namespace bv
