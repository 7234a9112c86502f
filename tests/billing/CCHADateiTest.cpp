#include "billing/AdzCodes.h"
#include "billing/formats/cha/CCHADatei.h"

#include "billing/SampleFiles.h"
#include "billing/ZipContents.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <regex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bv {
namespace {

namespace fs = std::filesystem;
using samples::XmlInvoicePlan;

const std::string Ean = "7601000000017";

// The files (not the directories) of a directory, sorted.
std::vector<std::string> namesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(dir, ignored)) {
        if (!entry.is_directory())
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string contentOf(const std::string& path)
{
    return files::readFile(path).value_or("<missing>");
}

class CCHADateiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Calendar days of the invoices are local days: a fixed zone without daylight saving.
        setenv("TZ", "CET-1", 1);
        tzset();
    }

    fs::path invoice(const std::string& name, const std::string& ean = Ean, std::int64_t timestamp = 1700000000,
                     const std::string& company = "Praxis Dr. Beispiel")
    {
        XmlInvoicePlan sample;
        sample.ean = ean;
        sample.timestamp = timestamp;
        sample.companyName = company;
        sample.amountDue = "10.05";
        return m_spool.write(name, samples::xmlInvoice(sample));
    }

    std::string spoolDir() const { return m_spool.path().string() + "/"; }

    TempDir m_spool;
    RecordingMessageBoxes m_boxes;
};

TEST_F(CCHADateiTest, DefectiveFileIsQuarantinedAndTheOthersArePacked)
{
    invoice("a.xml", Ean, 1700000000, "Praxis Alpha");
    m_spool.write("b.XML", "<invoice:request xmlns:invoice=\"http://www.forum-datenaustausch.ch/invoice\">\n<broken>\n"
                           "</invoice:request>");
    invoice("c.xml", Ean, 1700000100, "Praxis Gamma");
    m_spool.write("notes.txt", "not an invoice");

    CCHADatei cha(spoolDir(), false, false, m_boxes);

    EXPECT_EQ(cha.invoiceCount(), 2);
    EXPECT_EQ(cha.totalAmount(), 2010);
    EXPECT_EQ(cha.defectiveCount(), 1);
    EXPECT_EQ(cha.GetExtraText(), Ean);
    EXPECT_EQ(cha.providerName(), "Praxis Alpha");
    EXPECT_EQ(cha.GetCustomerNumberText(), "-00001");
    EXPECT_EQ(cha.GetBatchNumberText(), "-1");
    EXPECT_EQ(cha.GetInvoiceCountText(), "2");
    EXPECT_EQ(cha.GetTypeCode(), "CA");
    EXPECT_EQ(cha.numericTypeCode(), 0xC021);
    EXPECT_EQ(cha.currencyCode(), 2);
    EXPECT_EQ(*cha.GetMember(CAbrechnungsDatei::MemberSlot::Status), "00");
    EXPECT_EQ(cha.GetMember(CAbrechnungsDatei::MemberSlot::Sixth), &cha.packagePath());

    const std::string errorDir = spoolDir() + "Error/";
    EXPECT_EQ(namesIn(errorDir), (std::vector<std::string>{"b.XML", "b.err"}));
    EXPECT_EQ(contentOf(errorDir + "b.err"), "Parse error at line 3:\nmismatched tag\n");
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text,
              "Im Abrechnungsverzeichnis befand sich eine fehlerhafte Abrechnungsdatei.\nSie wurde nach " + errorDir +
                  " verschoben!");
    EXPECT_EQ(m_boxes.boxes[0].caption, "brevalis");
    EXPECT_EQ(m_boxes.boxes[0].icon, MbIcon::Warning);

    // The package: Tmp/CHA_<EAN>_<local time>.zip, open as the billing file, two deflated entries.
    EXPECT_TRUE(std::regex_match(
        cha.packagePath(), std::regex(std::regex_replace(spoolDir(), std::regex("[.^$|()\\[\\]{}*+?\\\\]"), "\\$&") +
                                      "Tmp/CHA_" + Ean + "_20[0-9]{6}_[0-9]{6}\\.zip")))
        << cha.packagePath();
    EXPECT_EQ(cha.GetFilePath(true), cha.packagePath());
    EXPECT_EQ(namesIn(spoolDir() + "Tmp"), std::vector<std::string>{fs::path(cha.packagePath()).filename()});
    const auto entries = samples::readZip(cha.packagePath());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].name, "a.xml");
    EXPECT_EQ((*entries)[1].name, "c.xml");
    EXPECT_EQ((*entries)[0].content, m_spool.read("a.xml"));
    EXPECT_EQ((*entries)[1].content, m_spool.read("c.xml"));
    for (const auto& entry : *entries) {
        EXPECT_EQ(entry.method, 8);
        EXPECT_FALSE(entry.encrypted);
    }
    EXPECT_NE(samples::unzipTest(cha.packagePath()), 0);
    EXPECT_EQ(cha.GetFileSize(), static_cast<std::int64_t>(fs::file_size(cha.packagePath())));
    // The invoices themselves stay until the transmission is confirmed.
    EXPECT_TRUE(fs::exists(m_spool.path() / "a.xml"));
    EXPECT_TRUE(fs::exists(m_spool.path() / "c.xml"));
}

TEST_F(CCHADateiTest, SeveralDefectiveFilesAreCountedInOneMessage)
{
    invoice("a.xml");
    XmlInvoicePlan noEan;
    noEan.withSender = false;
    m_spool.write("b.xml", samples::xmlInvoice(noEan));
    m_spool.write("c.xml", "<root/>");
    m_spool.write("d.xml", "");

    CCHADatei cha(spoolDir(), false, false, m_boxes);
    EXPECT_EQ(cha.defectiveCount(), 3);
    EXPECT_EQ(cha.invoiceCount(), 1);
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text, "Im Abrechnungsverzeichnis befanden sich 3 fehlerhafte Abrechnungsdateien.\nSie "
                                     "wurden nach " +
                                         spoolDir() + "Error/ verschoben!");
    const std::string errorDir = spoolDir() + "Error/";
    EXPECT_EQ(contentOf(errorDir + "b.err"), "Attribut 'invoice:sender ean_party' not found!");
    EXPECT_EQ(contentOf(errorDir + "c.err"), "Element 'invoice:request' not found!");
    EXPECT_EQ(contentOf(errorDir + "d.err"), "Parse error at line 1:\nno element found\n");
}

TEST_F(CCHADateiTest, QuarantineNeverOverwritesAnEarlierRefusedFile)
{
    m_spool.write("Error/bad.xml", "older refused file");
    m_spool.write("Error/bad.err", "older reason");
    m_spool.write("Error/bad (2).err", "orphan reason");
    m_spool.write("bad.xml", "<unclosed>");

    CCHADatei cha(spoolDir(), false, false, m_boxes);
    const std::string errorDir = spoolDir() + "Error/";
    EXPECT_EQ(contentOf(errorDir + "bad.xml"), "older refused file");
    EXPECT_EQ(contentOf(errorDir + "bad.err"), "older reason");
    EXPECT_EQ(contentOf(errorDir + "bad (2).err"), "orphan reason");
    EXPECT_EQ(contentOf(errorDir + "bad (3).xml"), "<unclosed>");
    EXPECT_EQ(contentOf(errorDir + "bad (3).err"), "Parse error at line 1:\nno element found\n");
    EXPECT_FALSE(fs::exists(m_spool.path() / "bad.xml"));
    EXPECT_FALSE(cha.hasOpenFile());
}

TEST_F(CCHADateiTest, MixedSendersStopEverythingAndMoveNothing)
{
    for (int i = 0; i < 5; ++i)
        invoice(strFormat("a%d.xml", i));
    invoice("b.xml", "7601000000024");
    invoice("c.xml");
    const auto before = namesIn(m_spool.path());
    try {
        CCHADatei cha(spoolDir(), false, false, m_boxes);
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Structural);
        EXPECT_EQ(e.message(), "In den vorliegenden Dateien sind unterschiedliche EAN vorhanden!\nEin Versand an "
                               "brevalis ist deshalb nicht möglich.\n");
    }
    EXPECT_EQ(namesIn(m_spool.path()), before);
    EXPECT_TRUE(namesIn(m_spool.path() / "Tmp").empty());
    EXPECT_TRUE(namesIn(m_spool.path() / "Error").empty());
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(CCHADateiTest, DateRangeOfTheInvoiceDays)
{
    // 2023-11-14 23:30 and 2023-11-15 00:30 in the local zone (UTC+1).
    const std::int64_t lateEvening = 1700001000;
    const struct
    {
        std::vector<std::optional<std::int64_t>> stamps;
        std::string range;
    } rows[] = {
        {{lateEvening, lateEvening - 3600 * 20}, "14.11.2023"},
        {{lateEvening + 3600, lateEvening}, "14.11.2023 - 15.11.2023"},
        {{lateEvening, std::nullopt}, "14.11.2023"}, // an invoice without time stamp does not widen it
        {{std::nullopt}, ""},
    };
    for (const auto& row : rows) {
        TempDir spool;
        int n = 0;
        for (const auto& stamp : row.stamps) {
            XmlInvoicePlan sample;
            sample.timestamp = stamp;
            spool.write(strFormat("i%d.xml", n++), samples::xmlInvoice(sample));
        }
        CCHADatei cha(spool.path().string(), false, false, m_boxes);
        EXPECT_EQ(cha.dateRangeText(), row.range);
        EXPECT_EQ(*cha.GetMember(CAbrechnungsDatei::MemberSlot::Date), row.range);
    }
}

TEST_F(CCHADateiTest, TotalOfTheAmountsDue)
{
    const struct
    {
        std::vector<std::optional<std::string>> amounts;
        int total;
    } rows[] = {
        {{"10.05", std::nullopt, "0.95"}, 1100}, // an invoice without amount adds nothing
        {{"12.35", "-2.35"}, 1000},
        {{"20000000.00", "20000000.00"}, INT_MAX}, // saturates instead of overflowing
    };
    for (const auto& row : rows) {
        TempDir spool;
        int n = 0;
        for (const auto& amount : row.amounts) {
            XmlInvoicePlan sample;
            sample.amountDue = amount;
            spool.write(strFormat("i%d.xml", n++), samples::xmlInvoice(sample));
        }
        CCHADatei cha(spool.path().string(), false, false, m_boxes);
        EXPECT_EQ(cha.totalAmount(), row.total);
    }
}

TEST_F(CCHADateiTest, EmptyDirectoryGivesNoPackage)
{
    m_spool.write("readme.txt", "x");
    CCHADatei cha(spoolDir(), false, false, m_boxes);
    EXPECT_EQ(cha.invoiceCount(), 0);
    EXPECT_FALSE(cha.hasOpenFile());
    EXPECT_TRUE(cha.packagePath().empty());
    EXPECT_TRUE(fs::is_directory(m_spool.path() / "Sent"));
    EXPECT_TRUE(fs::is_directory(m_spool.path() / "Error"));
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(CCHADateiTest, WorkingDirectoryThatCannotBeCreated)
{
    invoice("a.xml");
    m_spool.write("Tmp", "a file where the directory belongs");
    try {
        CCHADatei cha(spoolDir(), false, false, m_boxes);
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Structural);
        EXPECT_EQ(e.message(), "Das Verzeichnis '" + spoolDir() + "Tmp/' konnte nicht angelegt werden.");
    }
    EXPECT_TRUE(fs::exists(m_spool.path() / "a.xml"));
}

TEST_F(CCHADateiTest, RebuildingThePackageGivesTheSameEntries)
{
    invoice("a.xml");
    invoice("b.xml");
    CCHADatei cha(spoolDir(), false, false, m_boxes);
    const auto first = samples::readZip(cha.packagePath());
    ASSERT_TRUE(first);
    EXPECT_EQ(cha.Validate(), 1);
    const auto second = samples::readZip(cha.packagePath());
    ASSERT_TRUE(second);
    ASSERT_EQ(second->size(), first->size());
    EXPECT_EQ((*second)[1].content, (*first)[1].content);
    EXPECT_EQ(namesIn(spoolDir() + "Tmp").size(), 1u);
}

TEST_F(CCHADateiTest, SentFilesReplaceOlderOnesAndFailuresAreReported)
{
    invoice("a.xml");
    invoice("b.xml");
    invoice("c.xml");
    m_spool.write("Sent/a.xml", "sent last month");
    CCHADatei cha(spoolDir(), false, false, m_boxes);
    const std::string a = m_spool.read("a.xml");
    fs::remove(m_spool.path() / "b.xml"); // gone before the confirmation

    cha.MoveToSent();
    EXPECT_EQ(contentOf(spoolDir() + "Sent/a.xml"), a);
    EXPECT_TRUE(fs::exists(m_spool.path() / "Sent" / "c.xml"));
    EXPECT_FALSE(fs::exists(m_spool.path() / "a.xml"));
    EXPECT_FALSE(fs::exists(m_spool.path() / "c.xml"));
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].text,
              "Die Datei " + spoolDir() + "b.xml konnte nicht als erfolgreich versendet markiert werden.\n");
    EXPECT_EQ(m_boxes.boxes[0].icon, MbIcon::Warning);

    const std::string package = cha.packagePath();
    cha.releasePackage();
    EXPECT_FALSE(cha.hasOpenFile());
    EXPECT_FALSE(fs::exists(package));
}

TEST_F(CCHADateiTest, ThrowSelfThrowsTheConcreteClass)
{
    invoice("a.xml");
    CCHADatei cha(spoolDir(), false, false, m_boxes);
    CAbrechnungsDatei& file = cha;
    try {
        file.ThrowSelf();
    } catch (CCHADatei* self) {
        EXPECT_EQ(self, &cha);
    }
}

// Invoices whose package cannot compress below a few kilobytes each.
void writeIncompressibleInvoices(TempDir& spool, int count)
{
    std::mt19937 random(42);
    for (int i = 0; i < count; ++i) {
        XmlInvoicePlan sample;
        sample.companyName.clear();
        for (int k = 0; k < 20000; ++k)
            sample.companyName += static_cast<char>('a' + random() % 26);
        spool.write(strFormat("i%d.xml", i), samples::xmlInvoice(sample));
    }
}

TEST_F(CCHADateiTest, FailureWhilePackingLeavesEveryInvoiceAndNoPackage)
{
    writeIncompressibleInvoices(m_spool, 6);
    const auto before = namesIn(m_spool.path());
    std::vector<std::string> contents;
    for (const auto& name : before)
        contents.push_back(m_spool.read(name));

    // The package cannot grow beyond 40 KB: writing it fails in the middle.
    int pipeFd[2];
    ASSERT_EQ(pipe(pipeFd), 0);
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{40000, 40000};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string result = "no error";
        try {
            RecordingMessageBoxes boxes;
            CCHADatei cha(spoolDir(), false, false, boxes);
        } catch (const CAdzException& e) {
            result = std::to_string(e.code()) + ":" + e.message();
        }
        (void)!write(pipeFd[1], result.data(), result.size());
        _exit(0);
    }
    close(pipeFd[1]);
    char buffer[512] = {};
    const auto n = read(pipeFd[0], buffer, sizeof(buffer) - 1);
    close(pipeFd[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0),
              "-1:Dateifehler beim Erzeugen der Versendedatei.\n");

    EXPECT_EQ(namesIn(m_spool.path()), before);
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(m_spool.read(before[i]), contents[i]) << before[i];
    EXPECT_TRUE(namesIn(m_spool.path() / "Tmp").empty());
}

TEST_F(CCHADateiTest, KilledWhilePackingLeavesNoHalfPackage)
{
    writeIncompressibleInvoices(m_spool, 40);
    for (const int delayMs : {2, 20, 60}) {
        const pid_t child = fork();
        if (child == 0) {
            RecordingMessageBoxes boxes;
            CCHADatei cha(spoolDir(), false, false, boxes);
            _exit(0);
        }
        usleep(static_cast<useconds_t>(delayMs * 1000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        // Whenever it was killed, a package under its real name is complete.
        for (const auto& name : namesIn(m_spool.path() / "Tmp")) {
            if (name.ends_with(".zip")) {
                const auto entries = samples::readZip(m_spool.path() / "Tmp" / name);
                ASSERT_TRUE(entries) << name;
                EXPECT_EQ(entries->size(), 40u);
            }
        }
        EXPECT_EQ(namesIn(m_spool.path()).size(), 40u);
    }
}

} // namespace
} // namespace bv
