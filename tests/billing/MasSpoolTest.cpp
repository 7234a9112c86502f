// The MAS spool (spool type 3061): the file it takes, what it hands over and what it refuses.
#include "billing/AdzCodes.h"
#include "billing/formats/mas/CMASSpool.h"

#include "billing/MasSamples.h"
#include "billing/SpoolFixtures.h"
#include "billing/formats/mas/MASrzDatei.h"
#include "config/Profile.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace bv {
namespace {

using namespace std::chrono_literals;
using samples::MasPlan;

class MasSpoolTest : public ::testing::Test
{
protected:
    std::unique_ptr<CMASSpool> spool()
    {
        return std::make_unique<CMASSpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool;
    ScopedTemporaryDirectory m_temp;
    RecordingMessageBoxes m_boxes;
    FakeRemovableProbe m_probe;
};

TEST_F(MasSpoolTest, TakesTheOldestFileAndHandsOverItsSummary)
{
    m_spool.write("M00007.001", samples::masFile(MasPlan{.batchNumber = 1007, .invoices = 3}));
    std::this_thread::sleep_for(15ms);
    m_spool.write("M00008.001", samples::masFile(MasPlan{.batchNumber = 8}));
    m_profile.writeString(section::Abrechnungsversand, "123456:last_stapel", "1006");

    auto mas = spool();
    EXPECT_EQ(mas->filePath(), m_spool.path().string() + "/M00007.001");
    EXPECT_EQ(m_spool.read("M00007.~RZ"), m_spool.read("M00007.001"));
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Im Abrechnungsausgangsverzeichnis befinden sich 2 Dateien.\nBitte versenden Sie "
                                     "die Dateien, indem Sie den Rechnungsversand mehrfach ausführen!");
    EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(mas->GetBatchNumber(), 1007);
    EXPECT_EQ(mas->invoiceCount(), 3);
    EXPECT_EQ(mas->controlTotal(), 3 * 2002);
    EXPECT_EQ(mas->totalAmount(), 3 * 2002);
    EXPECT_EQ(mas->GetFileDateText(), "01.04.2019");
    EXPECT_EQ(mas->transmissionName(), "MA123456.007");
    EXPECT_EQ(mas->GetLastBatchNumber(), 1006);
}

TEST_F(MasSpoolTest, RefusesWhatIsNotAValidMasFile)
{
    samples::MasFileBuilder damaged;
    damaged.setField(damaged.summaryIndex(), 4, "0002");
    const struct
    {
        std::string bytes;
        int code;
        std::string message;
    } rows[] = {
        {std::string(300, 'x'), adz::Structural,
         "Die Datei \"%s\" im Spoolverzeichniss entspricht keinem zulässigen MAS-Format!"},
        {damaged.bytes(), adz::InvoiceCount,
         "Rechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden: 1; in Zusammenfassung deklariert: 2!"},
    };
    for (const auto& row : rows) {
        const std::string path = m_spool.write("M00001.001", row.bytes).string();
        try {
            spool();
            ADD_FAILURE() << row.message;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), row.code);
            EXPECT_EQ(e.message(), replaceAll(row.message, "%s", path));
        }
        EXPECT_EQ(m_spool.read("M00001.001"), row.bytes);
    }
}

TEST_F(MasSpoolTest, EmptySpoolHasNothingToSend)
{
    EXPECT_TRUE(spool()->IsEmpty());
}

} // namespace
} // namespace bv
