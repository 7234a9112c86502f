#include "billing/AdzCodes.h"
#include "billing/CAbrechnungsDatei.h"

#include "billing/BillingTexts.h"
#include "billing/DecimalAmount.h"
#include "billing/StubBillingFile.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>

namespace bv {
namespace {

// A fixed-record file of a given record length, and how its currency is read.
class RecordFile : public test::StubBillingFile
{
public:
    RecordFile(const std::string& path, unsigned recordLength, bool currencyMandatory = false,
               bool euroWhenMissing = false)
    {
        setRecordLength(recordLength);
        setCurrencyRules(currencyMandatory, euroWhenMissing);
        if (!path.empty())
            open(path, recordLength);
    }
};

TEST(BillingFileBase, RecordLengthAcceptsMissingLineEndAndOneTrailingByte)
{
    TempDir dir;
    const struct
    {
        std::size_t length;
        int records; // -1: refused
    } rows[] = {
        {2304, 9}, // nine whole records
        {2302, 9}, // the ninth without its CR LF (rem 254 = R - 2)
        {2305, 9}, // one trailing byte (rem 1)
        {2310, -1}, {0, 0},
    };
    for (const auto& row : rows) {
        const auto path = dir.write("RZ0001.001", std::string(row.length, 'x'));
        RecordFile file(path.string(), 256);
        if (row.records < 0) {
            try {
                file.CheckRecordLength();
                ADD_FAILURE() << row.length << " accepted";
            } catch (const CAdzException& e) {
                EXPECT_EQ(e.code(), adz::Structural);
                EXPECT_EQ(e.message(), "Dateilänge von RZ0001.001 kein Vielfaches der Satzlänge ! [2310 mod 256=6]");
            }
        } else {
            file.CheckRecordLength();
            EXPECT_EQ(file.recordCount(), row.records) << row.length;
        }
    }
}

TEST(BillingFileBase, RecordLengthWithoutRecordLengthIsRefusedNotDividedByZero)
{
    TempDir dir;
    RecordFile file(dir.write("a.001", "abc").string(), 0);
    EXPECT_THROW(file.CheckRecordLength(), CAdzException);
}

TEST(BillingFileBase, OpenFailureCarriesTheFileAccessText)
{
    try {
        RecordFile file("/nonexistent/dir/RZ0001.001", 256);
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Structural);
        EXPECT_EQ(
            e.message().rfind("Dateizugriffsfehler [2] bei Datei: /nonexistent/dir/RZ0001.001 (lOsError=2)\r\n", 0), 0u)
            << e.message();
    }
}

TEST(BillingFileBase, CurrencyRecognition)
{
    RecordFile optional("", 0);
    EXPECT_TRUE(optional.IsEuro("  eur "));
    EXPECT_FALSE(optional.IsEuro("dm"));
    EXPECT_FALSE(optional.IsEuro("DEM"));
    EXPECT_FALSE(optional.IsEuro(""));

    RecordFile euroDefault("", 0, true, true);
    EXPECT_TRUE(euroDefault.IsEuro(" "));

    const struct
    {
        bool mandatory;
        std::string text;
        std::string message;
    } refused[] = {
        {true, "", "In der Abrechnungsdatei ist keine Währung angegeben!"},
        {false, "CHF", "Währungsbezeichnung 'CHF' unbekannt!"},
        {false, " usd", "Währungsbezeichnung 'USD' unbekannt!"},
    };
    for (const auto& row : refused) {
        RecordFile file("", 0, row.mandatory, false);
        try {
            file.IsEuro(row.text);
            ADD_FAILURE() << row.text;
        } catch (const CAdzException& e) {
            EXPECT_EQ(e.code(), adz::Content);
            EXPECT_EQ(e.message(), row.message);
        }
    }
    EXPECT_EQ(CAbrechnungsDatei::CurrencyName(0), "DM");
    EXPECT_EQ(CAbrechnungsDatei::CurrencyName(2), "CHF");
    EXPECT_EQ(CAbrechnungsDatei::CurrencyName(7), "???");
}

TEST(BillingFileBase, FieldChecksByTypeLetter)
{
    const struct
    {
        char letter;
        std::string value;
        bool ok;
    } rows[] = {
        {'D', "20201231", true},  {'D', "20211231", true}, // written since 2021: must pass
        {'D', "20991231", true},  {'D', "21000101", false}, {'D', "18891231", false}, {'D', "18900101", true},
        {'D', "00000000", true},  {'D', "        ", true},  {'D', "20201301", false}, {'D', "20201200", false},
        {'D', "2020123:", false}, {'D', "2020123", false},  {'2', "310299", true},    {'2', "001299", false},
        {'2', "000000", true},    {'2', "311399", false},   {'4', "31122021", true},  {'4', "31121889", false},
        {'4', "00000000", true},  {'4', "32122000", false}, {'N', "  0042", true},    {'N', "00#1", true},
        {'N', "4 2", false},      {'N', "-1", false},       {'X', "    ", true},      {'X', "  x ", false},
        {'Z', "\r\n", true},      {'Z', "  ", true},        {'Z', " \n", false},      {'A', "any 12 text", true},
        {'-', "\x01\x02", true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CAbrechnungsDatei::CheckFieldValue(row.letter, row.value), row.ok)
            << row.letter << " '" << row.value << "'";
}

TEST(BillingFileBase, CheckFieldsReportsTheFirstFailingField)
{
    const std::vector<std::string> fields = {"ABC", "  12", "20230101", "1x", "20211301"};
    std::string value;
    char type = 0;
    int index = -1;
    const auto get = [&fields](int i) { return fields[static_cast<std::size_t>(i)]; };
    EXPECT_EQ(CAbrechnungsDatei::CheckFields(get, 5, "ANDND", value, type, index), 0);
    EXPECT_EQ(value, "1x");
    EXPECT_EQ(type, 'N');
    EXPECT_EQ(index, 3);
    EXPECT_EQ(CAbrechnungsDatei::CheckFields(get, 3, "AND", value, type, index), 1);
}

TEST(BillingFileBase, LayoutMustFillTheRecordAndEndInFillerOrLineEnd)
{
    EXPECT_TRUE(CAbrechnungsDatei::CheckLayout({30, 224, 2, 0}, "ANX", 256));
    EXPECT_TRUE(CAbrechnungsDatei::CheckLayout({254, 2, 0, 99}, "A-", 256)); // widths end at the first 0
    EXPECT_FALSE(CAbrechnungsDatei::CheckLayout({30, 224, 1, 0}, "ANX", 256));
    EXPECT_FALSE(CAbrechnungsDatei::CheckLayout({30, 226, 0}, "AN", 256));
    EXPECT_FALSE(CAbrechnungsDatei::CheckLayout({30, 226, 0}, "AQ-", 256));
    EXPECT_FALSE(CAbrechnungsDatei::CheckLayout({30, 226, 0}, "A", 256)); // a letter missing
    EXPECT_TRUE(CAbrechnungsDatei::CheckLayout({0}, "", 0));
    EXPECT_FALSE(CAbrechnungsDatei::CheckLayout({}, "", 256));
}

TEST(BillingFileBase, DefaultFieldImagesHaveTheFieldWidth)
{
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('A', 6), "(    )");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('A', 1), "#");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('D', 8), "19700101");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('2', 6), "010170");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('4', 8), "01011970");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('N', 5, 42), "00042");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('N', 2, 123), "##");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('X', 4, 0, "abcdef"), "abcd");
    EXPECT_EQ(CAbrechnungsDatei::DefaultFieldImage('X', 3), "   ");
    // Images pass their own field check.
    for (const char letter : std::string("AND24X"))
        EXPECT_TRUE(CAbrechnungsDatei::CheckFieldValue(
            letter, CAbrechnungsDatei::DefaultFieldImage(letter, letter == '2' ? 6 : 8, 7)))
            << letter;
}

TEST(BillingFileBase, FormatAmount)
{
    const struct
    {
        long long cents;
        char thousands;
        std::string text;
    } rows[] = {
        {123456789, '.', "1234.567,89"},
        {99999, '.', "999,99"},
        {123456789, 0, "1234567,89"},
        {100000, '.', "1.000,00"},
        {5, '.', "0,05"},
        {0, 0, "0,00"},
        {-5, '.', "-0,05"},
        {-123456789, '.', "-1234.567,89"},
        {LLONG_MIN, 0, "-92233720368547758,08"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FormatAmount(row.cents, ',', row.thousands), row.text) << row.cents;
}

TEST(BillingFileBase, GermanSevenBitLettersBecomeWindows1252Umlauts)
{
    std::string text = "M{ller |l }ber Stra~e [rger \\l ]bel";
    TranslateGerman7Bit(text);
    EXPECT_EQ(text, "M\xE4ller \xF6l \xFC"
                    "ber Stra\xDF"
                    "e \xC4rger \xD6l \xDC"
                    "bel");
}

TEST(BillingFileBase, DefaultsOfTheBaseOperations)
{
    RecordFile file("", 0);
    EXPECT_EQ(file.GetCustomerNumberText(), "000000");
    EXPECT_EQ(file.GetBatchNumberText(), "-1");
    EXPECT_EQ(file.GetInvoiceCountText(), "-1");
    EXPECT_EQ(file.GetExtraText(), "-1");
    EXPECT_EQ(file.GetAttachmentCount(0), -1);
    EXPECT_EQ(file.GetAttachmentOption(), -1);
    EXPECT_EQ(file.ExtractAttachments(), 0);
    EXPECT_EQ(file.GetLayoutValue(1, 2, 3, 4, 5, 6), -12345);
    EXPECT_EQ(file.GetFileSize(), -1);
    EXPECT_EQ(file.GetFilePath(true), "");
    EXPECT_EQ(file.GetMember(CAbrechnungsDatei::MemberSlot::Status), nullptr);
    try {
        file.CalcHash();
        FAIL();
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), adz::Content);
        EXPECT_EQ(e.message(), "CalcHash-Fehler: Hashfunktion für diesen Dateityp nicht implementiert!");
    }
}

TEST(BillingFileBase, OpenFileGivesPathNameAndSize)
{
    TempDir dir;
    const auto path = dir.write("CH0001.chz", std::string(300, 'x'));
    RecordFile file(path.string(), 0);
    EXPECT_EQ(file.GetFilePath(true), path.string());
    EXPECT_EQ(file.GetFilePath(false), "CH0001.chz");
    EXPECT_EQ(file.GetFileSize(), 300);
}

TEST(AdzException, ReportShowsCodeMessageAndThrowSite)
{
    RecordingMessageBoxes boxes;
    try {
        throw BV_ADZ_ERROR(-19, "Zugriff verweigert.");
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.sourceFile(), "BillingFileBaseTest.cpp");
        EXPECT_GT(e.line(), 0);
        EXPECT_EQ(e.buildDate(), __DATE__);
        EXPECT_TRUE(e.controlFile().empty());
        e.ReportError(boxes);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, "CAdzException:(-19):Zugriff verweigert.");
        EXPECT_EQ(boxes.boxes[0].caption,
                  "(" + std::to_string(e.line()) + "<-BillingFileBaseTest.cpp / " + std::string(__DATE__) + ")");
        EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
    }
    EXPECT_TRUE(CAdzException("f", 1, "d", static_cast<int>(0xCCCC0001u), "m").isControlFileCode());
    EXPECT_FALSE(CAdzException("f", 1, "d", -1, "m").isControlFileCode());
}

TEST(AdzException, FileAccessMessageNamesErrorFileAndText)
{
    EXPECT_EQ(FileAccessMessage("/spool/a.chz", SystemError{13, "Zugriff verweigert."}),
              "Dateizugriffsfehler [13] bei Datei: /spool/a.chz (lOsError=13)\r\nZugriff verweigert.\r\n");
    errno = ENOENT;
    std::string text;
    EXPECT_EQ(SystemErrorText(text), ENOENT);
    EXPECT_EQ(text, "Das System kann die angegebene Datei nicht finden.");
}

TEST(DecimalAmount, ConvertsExactlyDigitByDigit)
{
    const struct
    {
        const char* text;
        int towardZero;
        int floor;
    } rows[] = {
        {"12.35", 1235, 1235},
        {"100", 10000, 10000},
        {"0.5", 50, 50},
        {"12.3", 1230, 1230},
        {"1234.56", 123456, 123456},
        {"-0.5", -50, -50},
        {"-12.355", -1235, -1236},
        {"12.359", 1235, 1235},
        {"-12.350", -1235, -1235},
        {" +7.01x", 701, 701},
        {"abc", 0, 0},
        {"", 0, 0},
        {".5", 50, 50},
        {"-.01", -1, -1},
        {"0.0001", 0, 0},
        {"-0.0001", 0, -1},
        {"21474836.47", INT_MAX, INT_MAX},
        {"99999999999999999999", INT_MAX, INT_MAX},
        {"-21474836.48", INT_MIN, INT_MIN},
        {"-99999999999", INT_MIN, INT_MIN},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(centsFromDecimal(row.text, CentsRounding::TowardZero), row.towardZero) << row.text;
        EXPECT_EQ(centsFromDecimal(row.text, CentsRounding::Floor), row.floor) << row.text;
    }
}

} // namespace
} // namespace bv
