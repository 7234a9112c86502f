// The PAD spool (spool type 3060): the file it takes, the customer's reduction settings, the texts it
// hands over and what it refuses.
#include "billing/AdzCodes.h"
#include "billing/formats/pad/CPADSpool.h"

#include "billing/PadSamples.h"
#include "billing/SpoolFixtures.h"
#include "billing/formats/pad/CPADDatei.h"
#include "config/Profile.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace bv {
namespace {

using namespace std::chrono_literals;
using samples::PadPlan;

class PadSpoolTest : public ::testing::Test
{
protected:
    std::unique_ptr<CPADSpool> spool()
    {
        return std::make_unique<CPADSpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    TempDir m_spool;
    ScopedTemporaryDirectory m_temp;
    RecordingMessageBoxes m_boxes;
    FakeRemovableProbe m_probe;
};

TEST_F(PadSpoolTest, TakesTheOldestFileWithItsCustomersReductions)
{
    m_spool.write("PV123456.DAT", samples::padFile(PadPlan{.invoices = 2, .subjectTo6a = true}));
    std::this_thread::sleep_for(15ms);
    m_spool.write("PV123457.DAT", samples::padFile(PadPlan{.lines = false}));
    m_profile.writeString(section::PAD, "123456:StatMind", "12.5");
    m_profile.writeString(section::PAD, "Ostabschlag", "19000101=0;20010101=2");
    m_profile.writeString(section::Abrechnungsversand, "123456:last_stapel", "41");

    auto pad = spool();
    EXPECT_EQ(pad->filePath(), m_spool.path().string() + "/PV123456.DAT");
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(pad->invoiceCount(), 2);
    EXPECT_EQ(pad->GetFileDateText(), "15.03.2006");
    EXPECT_EQ(pad->GetLastBatchNumber(), 41);
    // 1003 reduced by 12.5 % (878) and by 2 % (860), twice per invoice.
    EXPECT_EQ(pad->totalAmount(), 4 * 860);
    EXPECT_EQ(pad->ReductionText(), "Bei der Ermittlung des Gesamtbetrages wurden\nfolgende Minderungen "
                                    "berücksichtigt:\n\n- 13%-ige Minderung nach 6a, Abs.1 GOÄ bei 2 "
                                    "Rechnungen\n- Ostminderung");
}

TEST_F(PadSpoolTest, RefusesWhatCannotBeRead)
{
    const struct
    {
        const char* setting;
        const char* value;
        int code;
    } rows[] = {
        {"123456:StatMind", "100", adz::Structural},
        {"Ostabschlag", "20010101=150", adz::Structural},
    };
    const std::string bytes = samples::padFile();
    m_spool.write("PV123456.DAT", bytes);
    for (const auto& row : rows) {
        TempRegistry registry;
        Profile profile{registry.registry()};
        profile.writeString(section::PAD, row.setting, row.value);
        try {
            CPADSpool(m_boxes, profile, m_probe, m_spool.path().string());
            ADD_FAILURE() << row.setting;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), row.code);
            EXPECT_NE(e.message().find(row.setting), std::string::npos) << e.message();
        }
    }
    EXPECT_EQ(m_spool.read("PV123456.DAT"), bytes);
    m_spool.write("PV123456.DAT", std::string(300, 'x'));
    try {
        spool();
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.message(), "Die Datei \"" + m_spool.path().string() +
                                   "/PV123456.DAT\" im Spoolverzeichniss entspricht keinem zulässigen PAD-Format!");
    }
}

} // namespace
} // namespace bv
