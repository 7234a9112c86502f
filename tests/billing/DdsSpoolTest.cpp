// The DDS spool (spool types 0 and 3058): the file it takes, what it hands over, enciphered
// deliveries, and the bookkeeping of a confirmed transmission.
#include "billing/AdzCodes.h"
#include "billing/formats/dds/CDDSSpool.h"

#include "billing/DdsSamples.h"
#include "billing/FakeUploadStarter.h"
#include "billing/SampleFiles.h"
#include "billing/SpoolFixtures.h"
#include "billing/formats/dds/DDSrzDatei.h"
#include "config/Profile.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace bv {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using samples::DdsPlan;

DdsAttachment entryFor(const std::string& path)
{
    DdsAttachment entry;
    entry.path = path;
    return entry;
}

class DdsSpoolTest : public ::testing::Test
{
protected:
    void SetUp() override { m_profile.writeString(section::Abrechnungsversand, "URL", "http://centre.test/upload"); }

    std::unique_ptr<CDDSSpool> spool()
    {
        return std::make_unique<CDDSSpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }
    std::string spoolDir() const { return m_spool.path().string() + "/"; }

    void sendAndFinish(CAbrechnungSpool& spool)
    {
        SendContext context;
        context.sessionId = "S1";
        context.starter = &m_starter;
        ASSERT_EQ(spool.StartSend(context), 1);
        ASSERT_TRUE(spool.sendRequest().done.wait(5s));
        spool.FinishSend();
    }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool;
    ScopedTemporaryDirectory m_temp;
    RecordingMessageBoxes m_boxes;
    FakeRemovableProbe m_probe;
    FakeUploadStarter m_starter;
};

TEST_F(DdsSpoolTest, TakesTheOldestFileAndHandsOverItsControlRecord)
{
    m_spool.write("RZ0007.001", samples::ddsRzFile(DdsPlan{.batchNumber = 7, .invoices = 3}));
    std::this_thread::sleep_for(15ms);
    m_spool.write("RZ0008.001", samples::ddsRzFile(DdsPlan{.batchNumber = 8}));
    m_spool.write("notes.txt", "not a billing file");
    m_profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "6");

    auto dds = spool();
    ASSERT_FALSE(dds->IsEmpty());
    EXPECT_EQ(dds->filePath(), spoolDir() + "RZ0007.001");
    EXPECT_EQ(m_spool.read("RZ0007.~RZ"), m_spool.read("RZ0007.001"));
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Im Abrechnungsausgangsverzeichnis befinden sich 2 Dateien.\nBitte versenden Sie "
                                     "die Dateien, indem Sie den Rechnungsversand mehrfach ausführen!");
    EXPECT_EQ(m_boxes.boxes[0].caption, "Brevalis");
    EXPECT_EQ(dds->GetBatchNumber(), 7);
    EXPECT_EQ(dds->invoiceCount(), 3);
    EXPECT_EQ(dds->controlTotal(), 3 * 12345);
    EXPECT_EQ(dds->GetFileDateText(), "15.01.2024");
    EXPECT_EQ(dds->transmissionName(), "DA004711.007");
    EXPECT_EQ(dds->GetLastBatchNumber(), 6);
    EXPECT_EQ(dds->billingFile()->GetTypeCode(), "DA");
    EXPECT_EQ(dds->HasControlFile(), 0);
    EXPECT_FALSE(dds->wasEnciphered());
}

TEST_F(DdsSpoolTest, FileFilterAndEmptySpool)
{
    EXPECT_TRUE(spool()->IsEmpty());
    m_spool.write("ABR01.DDS", samples::ddsRzFile(DdsPlan{.interfaceNumber = 3}));
    EXPECT_TRUE(spool()->IsEmpty());
    m_profile.writeString(section::Abrechnungsversand, "file_filter", "*.dds");
    auto dds = spool();
    ASSERT_FALSE(dds->IsEmpty());
    EXPECT_EQ(dds->billingFile()->GetTypeCode(), "DX");
}

TEST_F(DdsSpoolTest, RefusalsReachTheCreatorAndLeaveTheFileAsItWas)
{
    const struct
    {
        const char* name;
        std::string bytes;
        int code;
        std::string message;
    } rows[] = {
        {"not a DDS-RZ file", samples::fixed128File("1234", false), adz::Structural,
         "Die Datei \"" + spoolDir() + "RZ0001.001\" im Spoolverzeichniss entspricht keinem zulässigen DDS-Format!"},
        {"declares more invoices", samples::DdsFileBuilder(DdsPlan{.invoices = 2}).setField(6, 0, "0003").bytes(),
         adz::InvoiceCount,
         "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden:2 ;  in Zusammenfassung deklariert: 3!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_spool.write("RZ0001.001", row.bytes);
        try {
            spool();
            ADD_FAILURE();
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), row.code);
            EXPECT_EQ(e.message(), row.message);
        }
        EXPECT_EQ(m_spool.read("RZ0001.001"), row.bytes);
    }
}

TEST_F(DdsSpoolTest, EncipheredDeliveryIsUnwrappedBeforeItsCopy)
{
    const std::string plain = samples::ddsRzFile(DdsPlan{.interfaceNumber = 3, .invoices = 12});
    const std::string delivery = samples::encipheredDelivery(plain);
    m_spool.write("RZ0001.001", delivery);

    auto dds = spool();
    ASSERT_FALSE(dds->IsEmpty());
    EXPECT_TRUE(dds->wasEnciphered());
    EXPECT_EQ(m_spool.read("RZ0001.001"), plain);
    EXPECT_EQ(m_spool.read("RZ0001.~RZ"), plain);
    EXPECT_EQ(fs::path(dds->keptDelivery()).parent_path(), m_spool.path());
    EXPECT_EQ(m_spool.read(fs::path(dds->keptDelivery()).filename().string()), delivery);
    EXPECT_EQ(dds->invoiceCount(), 12);
}

TEST_F(DdsSpoolTest, ConfirmedTransmissionKeepsOnlyTheCopies)
{
    m_spool.write("RZ0001.001", samples::ddsRzFile(DdsPlan{.interfaceNumber = 3, .batchNumber = 12}));
    m_spool.write("a1.ini", "[RZRECHNUNG]\r\n");
    m_spool.write("a2.ini", "[RZRECHNUNG]\r\n");
    fs::create_directory(m_spool.file("a2.~NI")); // the copy of a2.ini cannot be written
    auto dds = spool();
    for (const char* name : {"a1.ini", "a2.ini", "gone.ini"})
        dds->ddsFile()->attachments().push_back(entryFor(m_spool.file(name).string()));
    dds->ddsFile()->attachments().push_back(DdsAttachment{});

    sendAndFinish(*dds);
    EXPECT_TRUE(dds->transmissionConfirmed());
    EXPECT_FALSE(fs::exists(m_spool.file("RZ0001.001")));
    EXPECT_TRUE(fs::exists(m_spool.file("RZ0001.~RZ")));
    EXPECT_EQ(m_spool.read("a1.~NI"), "[RZRECHNUNG]\r\n");
    EXPECT_FALSE(fs::exists(m_spool.file("a1.ini")));
    EXPECT_FALSE(fs::exists(m_spool.file("a2.ini")));
    const std::string notRenamed = "Die Ini-Datei konnte nicht umbenannt werden! Die Datei wird nicht mehr\nbenötigt "
                                   "und wird anschließend gelöscht!";
    const std::string notDeleted = "Die Ini-Datei konnte nicht gelöscht werden! Bitte setzen\nSie sich mit der "
                                   "brevalis-Serviceline in Verbindung!";
    EXPECT_EQ(m_boxes.texts(), (std::vector<std::string>{notRenamed, notRenamed, notDeleted}));
    EXPECT_EQ(m_profile.readString(section::Abrechnungsversand, "004711:last_stapel", ""), "12");
}

TEST_F(DdsSpoolTest, PlainRz2FileHasNoIndexFilesToRetire)
{
    m_spool.write("RZ0001.001", samples::ddsRzFile());
    m_spool.write("a1.ini", "x");
    auto dds = spool();
    dds->ddsFile()->attachments().push_back(entryFor(m_spool.file("a1.ini").string()));
    sendAndFinish(*dds);
    EXPECT_TRUE(dds->transmissionConfirmed());
    EXPECT_TRUE(fs::exists(m_spool.file("a1.ini")));
    EXPECT_FALSE(fs::exists(m_spool.file("a1.~NI")));
}

} // namespace
} // namespace bv
