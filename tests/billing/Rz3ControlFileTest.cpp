// RZ3 deliveries with a practice-software control file: the control-file flow with each status and
// text it writes back, the binding of the listed attachments, and the DDS spool taking a control
// file up.
#include "billing/AttachmentSamples.h"
#include "billing/DdsSamples.h"
#include "billing/SpoolFixtures.h"
#include "billing/formats/dds/CDDSSpool.h"
#include "billing/formats/dds/DDSrz3Datei.h"
#include "billing/formats/dds/Rz3ControlFile.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/PrivateProfile.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bv {
namespace {

namespace fs = std::filesystem;
using samples::ControlPlan;
using samples::DdsPlan;

// A control file of which only the batch number matters.
ControlPlan batch(std::optional<std::string> number)
{
    ControlPlan plan;
    plan.batchNumber = std::move(number);
    return plan;
}

// A batch of two invoices with one attachment each ("A1.TIF", "A2.TIF" in their 0850 records), its
// scans and its control file "RZ0001.ini" in one spool directory.
class Rz3ControlFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        samples::DdsFileBuilder dds(DdsPlan{.interfaceNumber = 3, .invoices = 2, .attachmentsPerInvoice = 1});
        for (int r = 0; r < dds.controlIndex(); ++r) {
            if (dds.records()[static_cast<std::size_t>(r)].compare(22, 4, "0850") == 0)
                dds.setField(r, 1, ++references == 1 ? "a1.tif" : "A2.TIF").setField(r, 2, "Roentgen");
        }
        m_spool.write("RZ0001.001", dds.bytes());
        m_spool.write("RZ0002.001", dds.bytes()); // a batch 2 that holds batch 1
        m_spool.write("scan/a1.tif", samples::multiPageTiff(2));
        m_spool.write("scan/a2.tif", samples::multiPageTiff(1));
        m_spool.write("scan/a3.jpg", "JPEG");
    }
    ControlPlan plan() const
    {
        return ControlPlan{.invoices = "2",
                           .attachments = "2",
                           .values = {scan("a1.tif") + " [0000001000]", scan("a2.tif") + " [0000001001]"}};
    }
    std::string scan(const std::string& name) const { return m_spool.file("scan/" + name).string(); }
    std::string control() const { return m_spool.file("RZ0001.ini").string(); }
    std::string returned(const char* key) const
    {
        return fromWindowsText(profile::readString("Rueckgabe", key, "(none)", 1024, control()));
    }
    std::unique_ptr<DDSrz3Datei> process(const ControlPlan& control, bool matching = false)
    {
        m_spool.write("RZ0001.ini", samples::rz3ControlFile(control));
        return DDSrz3Datei::ProcessControlFile(this->control(), false, false, matching, [this](DDSrz3Datei& reader) {
            reader.setTemporaryDirectory(m_temp.path().string());
        });
    }

    TempDir m_spool{"bv-rz3-spool-"};
    TempDir m_temp{"bv-rz3-temp-"};
    int references = 0;
};

TEST_F(Rz3ControlFileTest, ListedAttachmentsAreBoundAndPacked)
{
    for (const bool matching : {false, true}) {
        SCOPED_TRACE(matching);
        auto reader = process(plan(), matching);
        ASSERT_EQ(reader->invoices().size(), 2u);
        for (int i = 0; i < 2; ++i) {
            const DDSrzRechnung& invoice = reader->invoices()[static_cast<std::size_t>(i)];
            ASSERT_EQ(invoice.boundAttachments, 1);
            EXPECT_EQ(invoice.attachments[0]->path, scan(i == 0 ? "a1.tif" : "a2.tif"));
            EXPECT_EQ(invoice.attachments[0]->description, matching ? "Roentgen" : "");
        }
        EXPECT_EQ(reader->containerPath(), m_temp.file("brevalis_Anlagen/RZ0001.001/~M004711.001.DDSRZ10").string());
        EXPECT_EQ(reader->controlPath(), control());
        EXPECT_EQ(returned("Status"), "(none)"); // the flow writes only its failures
    }
}

TEST_F(Rz3ControlFileTest, EachFailureWritesItsStatusAndText)
{
    const std::string ctl = control();
    const auto with = [this](auto change) {
        ControlPlan s = plan();
        change(s);
        return s;
    };
    const struct
    {
        const char* name;
        ControlPlan control;
        bool matching;
        int code;
        std::string text; // the exception's; the control file's Error is the same without "\r\n"
        const char* status;
    } rows[] = {
        {"missing date", with([](ControlPlan& s) { s.date.reset(); }), false, rz3::StatusMissingSettings,
         "Falsche oder fehlende Daten in Kontolldatei \"" + ctl + "\" Section: [Einstellungen]\r\n", "27"},
        {"no bracket", with([&](ControlPlan& s) { s.values[1] = scan("a2.tif"); }), false,
         rz3::StatusBadAttachmentValue,
         "Datenfehler in Kontrolldatei \"" + ctl + "\" \t\t\t\t\tSection/Key: [Anlagen]ANLAGE00002\r\n", "(none)"},
        {"comma before the bracket", with([](ControlPlan& s) { s.values[0] = "a,b.tif [0000001000]"; }), false,
         rz3::StatusBadAttachmentValue,
         "Datenfehler in Kontrolldatei \"" + ctl + "\" \t\t\t\t\tSection/Key: [Anlagen]ANLAGE00001\r\n", "(none)"},
        {"invoices and date", with([](ControlPlan& s) {
             s.invoices = "3";
             s.date = "20240116";
         }),
         false, rz3::StatusMismatch,
         "Datenfehler in Kontrolldatei: Anzahl der Rechnungen nicht identisch in Abrechnungsdatei!\r\n", "534"},
        {"date", with([](ControlPlan& s) { s.date = "20240116"; }), false, rz3::StatusMismatch,
         "Datenfehler in Kontrolldatei: Datum der Erstellung nicht identisch in Abrechnungsdatei!\r\n", "534"},
        {"batch", with([](ControlPlan& s) { s.batchNumber = "2"; }), false, rz3::StatusMismatch,
         "Datenfehler in Kontrolldatei: Stapelnummer nicht identisch in Abrechnungsdatei!\r\n", "534"},
        {"customer", with([](ControlPlan& s) { s.customerNumber = "4712"; }), false, rz3::StatusMismatch,
         "Datenfehler in Kontrolldatei: Kundennummer nicht identisch in Abrechnungsdatei!\r\n", "534"},
        {"attachments", with([&](ControlPlan& s) {
             s.attachments = "3";
             s.values.push_back(scan("a2.tif") + " [1]");
         }),
         false, rz3::StatusMismatch,
         "Datenfehler in Kontrolldatei: Anzahl der Anlagen nicht identisch in Abrechnungsdatei!\r\n", "534"},
        {"missing scan", with([&](ControlPlan& s) { s.values[1] = scan("gone.tif") + " [0000001001]"; }), false,
         rz3::StatusMismatch, "interner Fehler bei Erzeugung von Anlagenliste: [2(2)/" + scan("gone.tif") + "]\r\n",
         "534"},
        {"not referenced", with([&](ControlPlan& s) { s.values[1] = scan("a2.tif") + " [0000001000]"; }), true,
         rz3::StatusNotReferenced,
         "Anlagenzuordnungsfehler: Eine oder mehrere Anlagedateien werden in der Abrechnungsdatei nicht richtig "
         "referenziert (\"" +
             scan("a2.tif") + "\")\r\n",
         "538"},
        {"type", with([&](ControlPlan& s) { s.values[1] = scan("a3.jpg") + " [0000001001]"; }), false,
         rz3::StatusTypeNotAllowed,
         "Anlagenzuordnungsfehler: Eine oder mehrere Anlagedateien entsprechen keinem zugelassenen Dateityp (\"" +
             scan("a3.jpg") + "\")\r\n",
         "539"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            process(row.control, row.matching);
            ADD_FAILURE() << "accepted";
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), row.code);
            EXPECT_EQ(e.message(), row.text);
        }
        EXPECT_EQ(returned("Status"), row.status);
        if (row.code != rz3::StatusBadAttachmentValue) {
            EXPECT_EQ(returned("Error"), row.text.substr(0, row.text.size() - 2));
        }
    }
}

TEST_F(Rz3ControlFileTest, MatchingFollowsTheSequenceWithinAnInvoice)
{
    samples::DdsFileBuilder dds(DdsPlan{.interfaceNumber = 3, .attachmentsPerInvoice = 2});
    dds.setField(3, 1, "A1.TIF").setField(4, 1, "A2.TIF");
    m_spool.write("RZ0001.001", dds.bytes());
    const struct
    {
        const char* first;
        const char* second;
        bool bound;
    } rows[] = {{"", ",2", true}, {",1", ",2", true}, {"", "", false}, {",2", ",3", false}, {",1", ",3", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.first) + " " + row.second);
        ControlPlan control{
            .attachments = "2",
            .values = {scan("a1.tif") + " [0000001000]" + row.first, scan("a2.tif") + " [0000001000]" + row.second}};
        if (row.bound)
            EXPECT_EQ(process(control, true)->invoices()[0].boundAttachments, 2);
        else
            EXPECT_THROW(process(control, true), CAdzException);
    }
    // Without matching the attachments are bound in the order the 0850 records reference them.
    EXPECT_EQ(process(ControlPlan{.attachments = "2",
                                  .values = {scan("a1.tif") + " [x]", scan("a2.tif") + " [y]"},
                                  .threeDigitKeys = true})
                  ->invoices()[0]
                  .boundAttachments,
              2);
}

TEST_F(Rz3ControlFileTest, ReadinessMarkingAndStatus)
{
    const struct
    {
        std::optional<std::string> batch;
        bool ready;
    } rows[] = {{"5", true}, {"0", false}, {" (Nr. 5 wurde versendet !)", false}};
    for (const auto& row : rows) {
        m_spool.write("RZ0001.ini", samples::rz3ControlFile(batch(row.batch)));
        EXPECT_EQ(IsControlFileReady(control()), row.ready) << *row.batch;
    }
    m_spool.write("RZ0001.ini", samples::rz3ControlFile(batch("5")));
    ASSERT_TRUE(MarkControlFileSent(control()));
    EXPECT_EQ(profile::readString("Einstellungen", "Stapelnummer", "", 1024, control()), "(Nr. 5 wurde versendet !)");
    EXPECT_FALSE(IsControlFileReady(control()));

    m_spool.write("RZ0001.ini", samples::rz3ControlFile(batch(std::nullopt)));
    EXPECT_THROW(IsControlFileReady(control()), CAdzException);
    EXPECT_EQ(returned("Status"), "29");
    EXPECT_EQ(returned("Error"),
              "Irreguläre oder fehlende Stapelnummer in Kontolldatei \"" + control() + "\" Section: [Einstellungen]");

    ASSERT_TRUE(WriteControlFileStatus(control(), -56, ""));
    EXPECT_EQ(returned("Error"), "(unspezifizierter Fehler)");
    ASSERT_TRUE(WriteControlFileStatus(control(), 0, "ignored"));
    EXPECT_EQ(returned("Status"), "0");
    EXPECT_EQ(returned("Error"), "(unspezifizierter Fehler)");
}

TEST(ControlFileStatus, WritesErrorAndStatusForThePracticeSoftware)
{
    TempDir dir;
    const std::string path = dir.write("bvlsabr.ini", "[Rueckgabe]\r\nREADY=0\r\n").string();
    ASSERT_TRUE(WriteControlFileStatus(path, -56, "Fehler bei Übertragung!"));
    EXPECT_EQ(dir.read("bvlsabr.ini"), "[Rueckgabe]\r\nREADY=0\r\nError=Fehler bei \xDC"
                                       "bertragung!\r\nStatus=-56\r\n");

    // A message of several lines still arrives, on one line; an empty one is named unspecified.
    ASSERT_TRUE(WriteControlFileStatus(path, -943, "Zeile 1\nZeile 2"));
    EXPECT_NE(dir.read("bvlsabr.ini").find("Error=Zeile 1 Zeile 2\r\n"), std::string::npos);
    ASSERT_TRUE(WriteControlFileStatus(path, -2, ""));
    EXPECT_NE(dir.read("bvlsabr.ini").find("Error= (unspezifizierter Fehler)\r\n"), std::string::npos);

    // Success writes only the status.
    TempDir other;
    const std::string ok = other.write("c.ini", "").string();
    ASSERT_TRUE(WriteControlFileStatus(ok, 0, "ignored"));
    EXPECT_EQ(other.read("c.ini"), "[Rueckgabe]\r\nStatus=0\r\n");
}

// The DDS spool with a file filter that finds the practice software's control files.
class Rz3SpoolTest : public Rz3ControlFileTest
{
protected:
    std::unique_ptr<CDDSSpool> spool()
    {
        m_profile.writeString(section::Abrechnungsversand, "file_filter", "RZ????.ini");
        return std::make_unique<CDDSSpool>(m_boxes, m_profile, m_probe, m_spool.path().string());
    }

    TempRegistry m_registry;
    Profile m_profile{m_registry.registry()};
    ScopedTemporaryDirectory m_tmp;
    RecordingMessageBoxes m_boxes;
    FakeRemovableProbe m_probe;
};

TEST_F(Rz3SpoolTest, ReadyControlFileIsTakenUpAndItsErrorsMarked)
{
    m_spool.write("RZ0001.ini", samples::rz3ControlFile(plan()));
    auto taken = spool();
    ASSERT_FALSE(taken->IsEmpty());
    EXPECT_EQ(taken->HasControlFile(), 1);
    EXPECT_EQ(taken->GetControlFilePath(), control());
    EXPECT_EQ(taken->invoiceCount(), 2);
    EXPECT_EQ(returned("Status"), "-1");
    EXPECT_EQ(returned("Error"), "(unbestimmter Zustand/vor Bearbeitung)");
    taken.reset();

    m_spool.write("RZ0001.ini", samples::rz3ControlFile(batch("0")));
    EXPECT_TRUE(spool()->IsEmpty());

    ControlPlan wrong = plan();
    wrong.invoices = "3";
    m_spool.write("RZ0001.ini", samples::rz3ControlFile(wrong));
    try {
        spool();
        ADD_FAILURE();
    } catch (const CAdzException& e) {
        EXPECT_EQ(static_cast<unsigned>(e.code()), 0xCCCC0216u); // 534
        EXPECT_TRUE(e.isControlFileCode());
        EXPECT_EQ(e.controlFile(), control());
    }
    EXPECT_EQ(returned("Status"), "534");
}

} // namespace
} // namespace bv
