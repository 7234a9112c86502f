#include "app/practice/ControlFile.h"
#include "app/practice/TransferPreparation.h"

#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using bv::ClosingRecord;
using bv::ControlFile;
using bv::ControlFileKind;

namespace {

struct KindRow
{
    const char* name;
    std::string content;
    ControlFileKind expected;
};

class ControlFileKindTest : public ::testing::TestWithParam<KindRow>
{
};

TEST_P(ControlFileKindTest, EvaluatesWhatTheControlFileAsks)
{
    bv::TempDir dir;
    const auto path = dir.write("steuer.ini", GetParam().content);
    EXPECT_EQ(bv::evaluateControlFile(path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ControlFileKindTest,
    ::testing::Values(KindRow{"transfer", "[SENDEN]\r\nDatei=/daten/RZ0001.001\r\n", ControlFileKind::Transfer},
                      // A transfer request wins over recipient data in the same file.
                      KindRow{"transferAndRecipient",
                              "[RECHNUNGSEMPFAENGER]\r\nLASTNAME=Muster\r\n[SENDEN]\r\nDatei=/daten/RZ0001.001\r\n",
                              ControlFileKind::Transfer},
                      KindRow{"namesCompareWithoutCase", "[senden]\ndatei = x\n", ControlFileKind::Transfer},
                      KindRow{"recipient", "[RECHNUNGSEMPFAENGER]\r\nLASTNAME=Muster\r\n",
                              ControlFileKind::InvoiceRecipient},
                      KindRow{"blankFileName", "[SENDEN]\r\nDatei=   \r\n[RECHNUNGSEMPFAENGER]\r\nLASTNAME=\r\n",
                              ControlFileKind::Other},
                      KindRow{"otherSections", "[PRAXIS]\r\nPXID=123456\r\n", ControlFileKind::Other},
                      KindRow{"empty", "", ControlFileKind::Other},
                      KindRow{"binary", std::string("\0\xFF[SENDEN\x01\nDatei\r=\0", 17), ControlFileKind::Other}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ControlFileTest, FilesThatCannotBeReadAreUnreadable)
{
    bv::TempDir dir;
    EXPECT_EQ(bv::evaluateControlFile(dir.file("missing.ini")), ControlFileKind::Unreadable);
    EXPECT_EQ(bv::evaluateControlFile(dir.path()), ControlFileKind::Unreadable);
    // A pipe would block a reader for ever; it is no control file.
    const auto fifo = dir.file("pipe.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(bv::evaluateControlFile(fifo), ControlFileKind::Unreadable);
}

TEST(ControlFileTest, CustomerNumberFallsBackToThePractice)
{
    const auto withSend = ControlFile::fromBytes("c.ini", "[PRAXIS]\nPXID=222\n[SENDEN]\nPXID=111\n");
    EXPECT_EQ(withSend.customerNumber(), "111");
    const auto emptySend = ControlFile::fromBytes("c.ini", "[SENDEN]\nPXID=\n[PRAXIS]\nPXID=222\n");
    EXPECT_EQ(emptySend.customerNumber(), "222");
    EXPECT_EQ(ControlFile::fromBytes("c.ini", "[SENDEN]\nDatei=x\n").customerNumber(), "");
}

TEST(ControlFileTest, ValuesAreReadThroughTheBufferAndComeBackAsUtf8)
{
    const std::string longPath(2000, 'p');
    const auto control = ControlFile::fromBytes("c.ini", "[SENDEN]\nDatei=" + longPath +
                                                             "\nPXID=M\xFCller\n[PRAXIS]\nPXID=Gr\xC3\xBC"
                                                             "ezi\n");
    EXPECT_EQ(control.billingFile(), std::string(1023, 'p'));
    EXPECT_EQ(control.value("SENDEN", "PXID"), "M\xC3\xBCller"); // Windows-1252 from the practice software
    EXPECT_EQ(control.value("PRAXIS", "PXID"), "Gr\xC3\xBC"
                                               "ezi"); // already UTF-8: kept
}

TEST(ControlFileTest, StatusBlockEndsWithReadyAndKeepsTheRest)
{
    bv::TempDir dir;
    const auto path = dir.write("steuer.ini", "[SENDEN]\r\nDatei=/x\r\n[STATUS]\r\nREADY=0\r\nERRORTEXT=alt\r\n");
    ASSERT_TRUE(bv::writeControlFileStatus(path, bv::errorlevel::NotConfirmed));
    EXPECT_EQ(dir.read("steuer.ini"), "[SENDEN]\r\nDatei=/x\r\n[STATUS]\r\nREADY=1\r\nERRORTEXT=\r\nERRORLEVEL=-1\r\n");

    const auto fresh = dir.file("neu.ini");
    ASSERT_TRUE(bv::writeControlFileStatus(fresh, bv::errorlevel::Transferred));
    EXPECT_EQ(dir.read("neu.ini"), "[STATUS]\r\nERRORLEVEL=0\r\nERRORTEXT=\r\nREADY=1\r\n");
}

TEST(ControlFileTest, NoReadyWithoutTheErrorLevel)
{
    bv::TempDir dir;
    EXPECT_FALSE(bv::writeControlFileStatus(dir.file("fehlt/steuer.ini"), bv::errorlevel::Transferred));
    EXPECT_FALSE(std::filesystem::exists(dir.file("fehlt/steuer.ini")));
}

// A closing record with recognisable fields: invoice count at 30, batch number at 50, date at 66.
std::string closingRecord()
{
    std::string record(256, ' ');
    record.replace(30, 4, "0017");
    record.replace(50, 4, "0042");
    record.replace(66, 8, "20240315");
    return record;
}

struct RecordRow
{
    const char* name;
    std::string bytes;
    ClosingRecord expected;
};

class ClosingRecordTest : public ::testing::TestWithParam<RecordRow>
{
};

TEST_P(ClosingRecordTest, FieldsAtTheirOffsets)
{
    const ClosingRecord record = ClosingRecord::parse(GetParam().bytes);
    EXPECT_EQ(record.batchNumber, GetParam().expected.batchNumber);
    EXPECT_EQ(record.date, GetParam().expected.date);
    EXPECT_EQ(record.invoiceCount, GetParam().expected.invoiceCount);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ClosingRecordTest,
    ::testing::Values(
        RecordRow{"complete", closingRecord(), {"0042", "20240315", "0017"}},
        RecordRow{"lineEndBeforeTheDate",
                  closingRecord().substr(0, 60) + "\r\n" + closingRecord().substr(62),
                  {"0042", "", "0017"}},
        RecordRow{"nulInsideTheBatch", closingRecord().replace(52, 1, std::string(1, '\0')), {"00", "", "0017"}},
        RecordRow{"dateCutByTheEnd", closingRecord().substr(0, 70), {"0042", "2024", "0017"}},
        RecordRow{"lineEndFirst", "\n" + closingRecord(), {"", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
