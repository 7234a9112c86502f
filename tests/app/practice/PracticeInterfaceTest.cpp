#include "app/practice/PracticeInterface.h"

#include "app/practice/ControlFile.h"
#include "app/practice/PracticeTexts.h"
#include "platform/Files.h"
#include "platform/PrivateProfile.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

using bv::MbIcon;

namespace {

const char* const Caption = "brevalis";
const char* const EvaluationFailed = "Die VDDS-Sendeschnittstelle konnte nicht ausgewertet werden!";

// The windows of the practice-software interface: they only record what they were asked to do. The
// send dialog may act on its spool directory like the real one (write its result into the work file).
struct FakePorts : bv::PracticePorts
{
    void runSendDialog(const std::string& spoolDirectory) override
    {
        sendDialogs.push_back(spoolDirectory);
        if (onSend)
            onSend(spoolDirectory);
    }
    void runMainWindow(const std::string& startRequest) override { mainWindows.push_back(startRequest); }

    std::vector<std::string> sendDialogs;
    std::vector<std::string> mainWindows;
    std::function<void(const std::string&)> onSend;
};

// A DDS-RZ billing file of `records` 256-byte records; the last one carries invoice count 0017,
// batch number 0042 and date 20240315.
std::string billingFile(int records = 3)
{
    std::string file;
    for (int r = 1; r < records; ++r)
        file += std::string(254, static_cast<char>('0' + r)) + "\r\n";
    std::string last(254, ' ');
    last.replace(30, 4, "0017");
    last.replace(50, 4, "0042");
    last.replace(66, 8, "20240315");
    return file + last + "\r\n";
}

struct PracticeInterfaceTest : ::testing::Test
{
    PracticeInterfaceTest() { billingPath = dir.write("praxis/RZ0001.001", billingFile()).string(); }

    std::string temp() const { return (dir.path() / "tmp").string() + "/"; }
    std::string workingDirectory(const std::string& name) const
    {
        return temp() + "brevalis_RZClientSend/" + name + "/";
    }

    std::string writeControl(const std::string& content) { return dir.write("steuer.ini", content).string(); }
    std::string transferControl(const std::string& extra = {})
    {
        return writeControl("[SENDEN]\r\nDatei=" + billingPath + "\r\nPXID=123456\r\n" + extra);
    }

    void run(const std::string& controlFile)
    {
        std::filesystem::create_directories(temp());
        bv::PracticeInterface(boxes, ports, temp()).run(controlFile);
    }

    std::string status() const
    {
        const auto path = dir.file("steuer.ini");
        return bv::profile::readString("STATUS", "ERRORLEVEL", "<none>", 100, path) + "/" +
               bv::profile::readString("STATUS", "READY", "<none>", 100, path);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& box : boxes.boxes)
            out.push_back(box.text);
        return out;
    }

    // The send dialog reports its result in the work file of its spool directory.
    void sendDialogWrites(const std::string& statusLine)
    {
        ports.onSend = [statusLine](const std::string& spool) {
            const std::string work = spool + "bvlsabr.ini";
            std::string content = *bv::files::readFile(work);
            content += "[Rueckgabe]\r\n" + statusLine + "\r\n";
            ASSERT_FALSE(bv::files::writeFileAtomic(work, content));
        };
    }

    bv::TempDir dir;
    bv::RecordingMessageBoxes boxes;
    FakePorts ports;
    std::string billingPath;
};

TEST_F(PracticeInterfaceTest, TransferBuildsTheWorkingDirectoryAndReportsSuccess)
{
    const std::string control =
        transferControl("ANLAGE1=/scan/eins.tif\r\nANLAGE2=/scan/zwei.tif\r\nANLAGE4=/scan/vier.tif\r\n");
    sendDialogWrites("Status=0");
    run(control);

    const std::string work = workingDirectory("123456_0042");
    ASSERT_EQ(ports.sendDialogs, std::vector<std::string>{work});
    EXPECT_TRUE(ports.mainWindows.empty());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(*bv::files::readFile(work + "RZ0001.001"), billingFile());
    EXPECT_EQ(*bv::files::readFile(work + "bvlsabr.ini"),
              "[Einstellungen]\r\nKUNDENNUMMER=123456\r\nSTAPELNUMMER=0042\r\nDATUM=20240315\r\nRECHNUNGEN=0017\r\n"
              "ANLAGEN=2\r\n"
              "[Anlagen]\r\nANLAGE00001=/scan/eins.tif [xxx],1\r\nANLAGE00002=/scan/zwei.tif [xxx],1\r\n"
              "[Rueckgabe]\r\nStatus=0\r\n");
    EXPECT_EQ(dir.read("steuer.ini"), "[SENDEN]\r\nDatei=" + billingPath +
                                          "\r\nPXID=123456\r\nANLAGE1=/scan/eins.tif\r\nANLAGE2=/scan/zwei.tif\r\n"
                                          "ANLAGE4=/scan/vier.tif\r\n[STATUS]\r\nERRORLEVEL=0\r\nERRORTEXT=\r\n"
                                          "READY=1\r\n");
}

TEST_F(PracticeInterfaceTest, DeliveryBeingTransmittedByAnotherProcessIsLeftToIt)
{
    const std::string work = workingDirectory("123456_0042");
    std::filesystem::create_directories(work);
    const auto lockedByAnother = [&] {
        const int fd = ::open(work.c_str(), O_RDONLY | O_DIRECTORY);
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return locked;
    };
    // This run holds the working directory while its send dialog runs.
    bool heldDuringTheDialog = false;
    ports.onSend = [&](const std::string&) { heldDuringTheDialog = lockedByAnother(); };
    run(transferControl());
    EXPECT_TRUE(heldDuringTheDialog);

    // Another process's run meanwhile: reported, nothing written into the working directory.
    ports.sendDialogs.clear();
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    const int other = ::open(work.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    run(transferControl());
    ::close(other);
    const std::string text = "Une transmission de ce répertoire est déjà en cours !\n(Répertoire : " + work + ")";
    EXPECT_EQ(texts(), std::vector<std::string>{text});
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);
    EXPECT_TRUE(ports.sendDialogs.empty());
    EXPECT_TRUE(std::filesystem::is_empty(work));
    EXPECT_EQ(status(), "-1/1");
    EXPECT_EQ(bv::profile::readString("STATUS", "ERRORTEXT", "", 1000, dir.file("steuer.ini")),
              "Une transmission de ce r\xE9pertoire est d\xE9j\xE0 en cours ! (R\xE9pertoire : " + work + ")");
}

struct StatusRow
{
    const char* name;
    const char* workFileLine; // nullptr: the send dialog writes nothing
    const char* errorLevel;
};

class TransferStatusTest : public PracticeInterfaceTest, public ::testing::WithParamInterface<StatusRow>
{
};

TEST_P(TransferStatusTest, OnlyAStatusOfZeroIsSuccess)
{
    if (GetParam().workFileLine)
        sendDialogWrites(GetParam().workFileLine);
    run(transferControl());
    EXPECT_EQ(status(), std::string(GetParam().errorLevel) + "/1");
}

INSTANTIATE_TEST_SUITE_P(Rows, TransferStatusTest,
                         ::testing::Values(StatusRow{"zero", "Status=0", "0"},
                                           StatusRow{"zeroInBlanks", "Status=\" 0 \"", "0"},
                                           StatusRow{"refused", "Status=-943\r\nError=abgelehnt", "-1"},
                                           StatusRow{"notANumber", "Status=0k", "-1"},
                                           StatusRow{"empty", "Status=", "-1"}, StatusRow{"missing", nullptr, "-1"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailureRow
{
    const char* name;
    std::function<std::string(PracticeInterfaceTest&)> control; // writes the control file, returns its path
    std::function<std::string(PracticeInterfaceTest&)> message; // first message expected
};

class PreparationFailureTest : public PracticeInterfaceTest, public ::testing::WithParamInterface<FailureRow>
{
};

TEST_P(PreparationFailureTest, EndsInTheMessagesAndErrorLevelOne)
{
    run(GetParam().control(*this));
    EXPECT_EQ(texts(), (std::vector<std::string>{GetParam().message(*this), EvaluationFailed}));
    for (const auto& box : boxes.boxes) {
        EXPECT_EQ(box.caption, Caption);
        EXPECT_EQ(box.icon, MbIcon::Error);
    }
    EXPECT_TRUE(ports.sendDialogs.empty());
    EXPECT_TRUE(ports.mainWindows.empty());
    EXPECT_EQ(status(), "1/1");
}

std::string unreadable(const std::string& path, int cause)
{
    return "Fehler beim Lesen der RZ-Datei von " + path + "\nFehler: " + std::to_string(cause);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PreparationFailureTest,
    ::testing::Values(
        FailureRow{"noCustomerNumber",
                   [](PracticeInterfaceTest& t) {
                       return t.writeControl("[SENDEN]\r\nDatei=" + t.billingPath + "\r\n[PRAXIS]\r\nPXID=\r\n");
                   },
                   [](PracticeInterfaceTest&) {
                       return std::string("Die Kundennummer konnte aus der VDDS-Datei nicht ermittelt werden!");
                   }},
        FailureRow{"billingFileMissing",
                   [](PracticeInterfaceTest& t) {
                       return t.writeControl("[SENDEN]\r\nDatei=" + t.dir.file("fehlt.001").string() +
                                             "\r\nPXID=1\r\n");
                   },
                   [](PracticeInterfaceTest& t) { return unreadable(t.dir.file("fehlt.001").string(), 2); }},
        FailureRow{"billingFileShorterThanARecord",
                   [](PracticeInterfaceTest& t) {
                       t.dir.write("kurz.001", std::string(255, 'x'));
                       return t.writeControl("[SENDEN]\r\nDatei=" + t.dir.file("kurz.001").string() + "\r\nPXID=1\r\n");
                   },
                   [](PracticeInterfaceTest& t) { return unreadable(t.dir.file("kurz.001").string(), 9); }},
        FailureRow{"billingFileIsADirectory",
                   [](PracticeInterfaceTest& t) {
                       return t.writeControl("[SENDEN]\r\nDatei=" + t.dir.file("praxis").string() + "\r\nPXID=1\r\n");
                   },
                   [](PracticeInterfaceTest& t) { return unreadable(t.dir.file("praxis").string(), 5); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PracticeInterfaceTest, ExactlyOneRecordIsItsOwnClosingRecord)
{
    const auto path = dir.write("eins.001", billingFile(1).substr(0, 256));
    run(writeControl("[SENDEN]\r\nDatei=" + path.string() + "\r\nPXID=7\r\n"));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(ports.sendDialogs, std::vector<std::string>{workingDirectory("7_0042")});
}

TEST_F(PracticeInterfaceTest, ControlFileThatCannotBeOpenedWritesNoStatus)
{
    const std::string missing = dir.file("fehlt.ini").string();
    run(missing);
    EXPECT_EQ(texts(), std::vector<std::string>{"Die Steuerdatei " + missing +
                                                " konnte nicht ge\xC3\xB6"
                                                "ffnet werden."});
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(ports.sendDialogs.empty());
    EXPECT_TRUE(ports.mainWindows.empty());
}

TEST_F(PracticeInterfaceTest, RecipientDataIsAcknowledgedAndPostedByTheMainWindow)
{
    const std::string control = writeControl("[RECHNUNGSEMPFAENGER]\r\nLASTNAME=Muster\r\n");
    run(control);
    EXPECT_EQ(status(), "0/1");
    EXPECT_EQ(ports.mainWindows, std::vector<std::string>{"REQ:" + control});
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PracticeInterfaceTest, OtherContentGoesToTheMainWindowUntouched)
{
    const std::string content = "[ANFRAGE]\r\nTYP=Kostengutsprache\r\n";
    const std::string control = writeControl(content);
    run(control);
    EXPECT_EQ(ports.mainWindows, std::vector<std::string>{"REQ:" + control});
    EXPECT_EQ(dir.read("steuer.ini"), content);
}

TEST_F(PracticeInterfaceTest, DirectoryThatCannotBeCreatedIsReportedAndTheTransferGoesOn)
{
    std::filesystem::create_directories(temp());
    dir.write("tmp/brevalis_RZClientSend", "kein Verzeichnis");
    run(transferControl());

    const std::string root = temp() + "brevalis_RZClientSend";
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "Das Verzeichnis: " + root + " konnte nicht erzeugt werden.");
    EXPECT_EQ(boxes.boxes[0].caption, "Hinweis");
    EXPECT_EQ(boxes.boxes[1].text, "Das Verzeichnis: " + root + "/123456_0042 konnte nicht erzeugt werden.");
    EXPECT_EQ(ports.sendDialogs, std::vector<std::string>{root + "/123456_0042/"});
    EXPECT_EQ(status(), "-1/1");
}

TEST_F(PracticeInterfaceTest, EarlierDeliveryWithTheSameBatchIsReplaced)
{
    const std::string work = workingDirectory("123456_0042");
    dir.write("tmp/brevalis_RZClientSend/123456_0042/bvlsabr.ini",
              "[Einstellungen]\r\nANLAGEN=5\r\n[Rueckgabe]\r\nStatus=0\r\n");
    dir.write("tmp/brevalis_RZClientSend/123456_0042/RZ0001.001", "alte Lieferung");
    run(transferControl());

    EXPECT_EQ(*bv::files::readFile(work + "RZ0001.001"), billingFile());
    EXPECT_EQ(bv::profile::readString("Einstellungen", "ANLAGEN", "", 10, work + "bvlsabr.ini"), "0");
    // The old success belongs to the earlier delivery: this one ended without a result.
    EXPECT_EQ(status(), "-1/1");
}

TEST_F(PracticeInterfaceTest, CustomerNumberCannotLeadOutOfTheWorkingRoot)
{
    run(writeControl("[SENDEN]\r\nDatei=" + billingPath + "\r\nPXID=../../x\r\n"));
    EXPECT_EQ(ports.sendDialogs, std::vector<std::string>{workingDirectory(".._.._x_0042")});
    EXPECT_FALSE(std::filesystem::exists(dir.file("x_0042")));
}

TEST_F(PracticeInterfaceTest, WorkFileIsWindows1252WhateverThePracticeSoftwareWrote)
{
    // One customer number in Windows-1252, one attachment path in UTF-8.
    run(writeControl("[SENDEN]\r\nDatei=" + billingPath + "\r\nPXID=Z\xFCrich\r\nANLAGE1=/scan/K\xC3\xA4se.tif\r\n"));
    const std::string work = workingDirectory("Z\xC3\xBCrich_0042");
    ASSERT_EQ(ports.sendDialogs, std::vector<std::string>{work});
    const std::string workFile = work + "bvlsabr.ini";
    EXPECT_EQ(bv::profile::readString("Einstellungen", "KUNDENNUMMER", "", 100, workFile), "Z\xFCrich");
    EXPECT_EQ(bv::profile::readString("Anlagen", "ANLAGE00001", "", 100, workFile), "/scan/K\xE4se.tif [xxx],1");
}

// A delivery with tens of thousands of attachments: each key is found and added through an index, so
// the preparation takes a fraction of a second instead of minutes. The bound leaves a wide margin
// for slow and instrumented builds; taking time in proportion to the square of the count misses it
// by far.
TEST_F(PracticeInterfaceTest, ManyAttachmentsArePreparedInTimeProportionalToTheirNumber)
{
    constexpr int Count = 50000;
    std::string attachments;
    for (int n = 1; n <= Count; ++n)
        attachments += "ANLAGE" + std::to_string(n) + "=/scan/anlage" + std::to_string(n) + ".tif\r\n";
    const std::string control = transferControl(attachments);

    const auto start = std::chrono::steady_clock::now();
    run(control);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    const std::string workFile = workingDirectory("123456_0042") + "bvlsabr.ini";
    EXPECT_EQ(bv::profile::readString("Einstellungen", "ANLAGEN", "", 10, workFile), std::to_string(Count));
    EXPECT_EQ(bv::profile::readString("Anlagen", "ANLAGE50000", "", 100, workFile), "/scan/anlage50000.tif [xxx],1");
}

} // namespace
