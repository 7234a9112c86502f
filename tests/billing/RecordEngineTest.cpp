// The record and field engine of the fixed-record formats: field tables by record type and version,
// framing of records, the DDS-RZ header check, field access and the field-check report.
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/OpenFile.h"
#include "billing/formats/records/CodePage.h"
#include "billing/formats/records/DdsFieldTables.h"
#include "billing/formats/records/FieldChecks.h"
#include "billing/formats/records/RecordHeader.h"
#include "billing/formats/records/RecordObject.h"
#include "billing/formats/records/RecordReader.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace bv {
namespace {

using records::FieldLayout;
using records::FieldTableSet;

// The table of a record type at a version, written as the interface lists it ("4N 11N ...").
std::string tableText(int recordType, const std::string& version)
{
    FieldTableSet tables(records::DdsRecordTypes());
    records::SelectDdsFieldTables(tables, version, false);
    const FieldLayout& layout = *tables.find(recordType);
    std::string text;
    for (int i = 0; i < layout.count(); ++i)
        text += (i ? " " : "") + std::to_string(layout.width(i)) + layout.letter(i);
    return text;
}

template <typename F> void expectAdz(F&& action, int code, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const CAdzException& e) {
        EXPECT_EQ(e.code(), code) << e.message();
        EXPECT_EQ(e.message(), message);
    }
}

TEST(RecordEngine, EveryTableFillsTheDataAreaInEveryVersion)
{
    const char* versions[] = {"1.00", "1.01", "1.02", "1.03", "1.04", "1.05", "1.12", "1.13",
                              "1.24", "1.25", "1.26", "1.98", "1.99", "2.00", "2.09", "2.10",
                              "2.19", "2.20", "2.29", "2.30", "2.49", "2.50", "2.51", "9.99"};
    for (const char* version : versions) {
        FieldTableSet tables(records::DdsRecordTypes());
        records::SelectDdsFieldTables(tables, version, false);
        for (const int type : records::DdsRecordTypes()) {
            const FieldLayout& layout = *tables.find(type);
            // The interface leaves the last ten characters of these three types outside their tables.
            const int width = (type == 111 || type == 121 || type == 122) ? 214 : 224;
            EXPECT_EQ(layout.totalWidth(), width) << type << " @ " << version;
            EXPECT_EQ(layout.letters().find_first_not_of("AND24X-"), std::string::npos) << type << " @ " << version;
        }
    }
}

TEST(RecordEngine, TablesChangeAtEveryVersionBoundary)
{
    const struct
    {
        int type;
        const char* version;
        const char* tail; // the table's last fields
        int count;
    } rows[] = {
        {0, "1.00", "3N 1A 12- 1- 147X", 15},
        {0, "1.01", "3N 1A 12- 1- 147X", 15},
        {0, "1.02", "12A 1A 147X", 15},
        {0, "1.12", "12A 1A 147X", 15},
        {0, "1.13", "12A 1A 147-", 15},
        {0, "1.99", "12A 1A 147-", 15},
        {0, "2.00", "12A 1A 147X", 15},
        {0, "2.50", "12A 1A 147X", 15},
        {0, "2.51", "12A 1A 147-", 15},
        {10, "2.19", "1A 12A 168A", 11},
        {10, "2.20", "12A 20A 148A", 12},
        {100, "1.98", "3A 5A 40A 8D 1N 7-", 11},
        {100, "1.99", "3A 10A 40A 8D 1N 2-", 11},
        {110, "1.98", "10A 30A 5A 30A 3A 17-", 12},
        {110, "1.99", "10A 30A 10A 30A 3A 12-", 12},
        {200, "1.02", "3N 10N 120-", 17},
        {200, "1.03", "1A 1A 8N 1A 20A 20A 69-", 23},
        {200, "1.24", "1A 1A 8N 1A 20A 20A 69-", 23},
        {200, "1.25", "1A 1A 8N 1A 109-", 21},
        {200, "1.26", "1A 1A 8N 1A 20A 20A 69-", 23},
        {200, "1.30", "8N 1A 20A 20A 69-", 23},
        {200, "1.98", "1A 1A 8N 1A 20A 20A 69-", 23},
        {200, "1.99", "1A 1A 8N 1A 10N 99-", 22},
        {200, "2.09", "1A 1A 8N 1A 10N 99-", 22},
        {200, "2.10", "1A 1A 8N 1A 10N 10N 89-", 23},
        {200, "2.19", "1A 10N 10N 89-", 23},
        {200, "2.20", "1A 1A 8N 1A 109-", 21},
        {300, "1.04", "6A 2N 8A 7N 7N 7N 7N 7N 4N 1A 1N 43-", 23},
        {300, "1.05", "2N 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 36-", 25},
        {300, "1.24", "2N 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 36-", 25},
        {300, "1.25", "2A 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 36-", 25},
        {300, "1.26", "2A 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 1A 4N 31-", 27},
        {300, "1.99", "2N 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 1A 10N 25-", 27},
        {300, "2.10", "2N 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 1A 35-", 26},
        {300, "2.20", "2N 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 1A 4N 31-", 27},
        {300, "2.49", "6A 2N 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 1A 4N 31-", 27},
        {300, "2.50", "6A 2A 8A 7N 7N 7N 7N 7N 4N 1A 1N 6N 1A 1A 4N 31-", 27},
        {500, "2.20", "8A 6A 2N 6A 2N 6A 2N 6A 2N 8-", 29},
        {510, "2.09", "6A 2N 80A 1A 10N 87-", 10},
        {510, "2.10", "6A 2N 80A 1A 97-", 9},
        {510, "2.20", "6A 2N 80A 1A 4N 20A 73-", 11},
        {510, "2.50", "6A 2A 80A 1A 4N 20A 73-", 11},
        {850, "2.29", "5N 12A 22A 185-", 4},
        {850, "2.30", "5N 12A 22A 10A 175-", 5},
    };
    for (const auto& row : rows) {
        const std::string text = tableText(row.type, row.version);
        EXPECT_TRUE(text.find(row.tail) != std::string::npos &&
                    text.rfind(row.tail) + std::string(row.tail).size() == text.size())
            << row.type << " @ " << row.version << ": " << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), ' ') + 1, row.count) << row.type << " @ " << row.version;
    }
    // The control record's common fields, and the version where the provisional table finds it.
    EXPECT_EQ(tableText(0, "2.20").rfind("4N 11N 5N 4N 12A 8D 4A 4A 4A 4A 3N 1A 12A", 0), 0u);
    EXPECT_EQ(FieldLayout(records::DdsProvisionalControlFields).offset(1), FieldLayout(tableText(0, "2.20")).offset(9));
}

TEST(RecordEngine, VersionsOutsideTheInterfaceAreRefused)
{
    const struct
    {
        const char* version;
        bool limit;
        bool refused;
    } rows[] = {
        {"0.99", false, true},  {"1.00", false, false}, {"1.01", false, false}, {"1.005", false, true},
        {"1.02", false, false}, {"2.50", true, false},  {"2.51", true, true},   {"2.60", false, false},
        {"2.60", true, true},   {"abcd", false, true},  {" 1.5", false, false}, {"-2.2", false, true},
    };
    for (const auto& row : rows) {
        FieldTableSet tables(records::DdsRecordTypes());
        if (row.refused)
            expectAdz([&] { records::SelectDdsFieldTables(tables, row.version, row.limit); }, -10,
                      std::string("Nicht unterstützte Dateiversion: ") + row.version);
        else
            EXPECT_NO_THROW(records::SelectDdsFieldTables(tables, row.version, row.limit)) << row.version;
    }
}

std::string record(const std::string& type, const std::string& running = "0001")
{
    std::string text = "00004711"
                       "02"
                       "0000001000"
                       "00" +
                       type + running;
    text.resize(254, ' ');
    return text + "\r\n";
}

TEST(RecordEngine, FramingFindsShortRecordsWrongEndsAndNulBytes)
{
    const struct
    {
        const char* name;
        std::function<void(std::string&)> damage;
        int index;
        std::string message;
    } rows[] = {
        {"CR CR", [](std::string& f) { f[256 + 255] = '\r'; }, 1,
         "Datensatz-Formatfehler (Offset 1,Satzart[0110]): Satzabschluß falsch!"},
        {"NUL", [](std::string& f) { f[256 + 100] = '\0'; }, 1,
         "Datensatz-Formatfehler (Offset 1,,Satzart[0110]): Satzlänge nur 100!  "},
        {"last record cut", [](std::string& f) { f.resize(f.size() - 2); }, 2,
         "Datensatz-Lesefehler (Offset 2): nur 254d gelesen! "},
    };
    TempDir dir;
    for (const auto& row : rows) {
        std::string file = record("0100") + record("0110") + record("0000");
        row.damage(file);
        auto open = OpenFile::open(dir.write("RZ0001.001", file));
        records::RecordReader reader(records::DdsFraming);
        reader.attach(open.get(), 3);
        expectAdz([&] { reader.frame(row.index); }, 34, row.message);
        EXPECT_NE(reader.frame(0), nullptr) << row.name;
        EXPECT_EQ(reader.frame(3), nullptr);
        EXPECT_EQ(reader.frame(-1), nullptr);
    }
}

TEST(RecordEngine, HeaderCheckCodes)
{
    const struct
    {
        std::string record;
        int code;
    } rows[] = {
        {record("0110", "0002"), 0},
        {record("0110", "00#1"), 0}, // '#' counts as a digit
        {record("0110", "00a1"), -5},
        {record("01a0"), -4},
        {"00004712" + record("0110").substr(8), -1},
        {record("0110").substr(0, 20) + "ab" + record("0110").substr(22), -3},
        {record("0000").substr(0, 20) + "ab" + record("0000").substr(22), 0}, // the control record has none
    };
    for (const auto& row : rows) {
        records::DdsHeaderParser parser;
        ASSERT_EQ(parser.ParseHeader(record("0000").c_str()), 0);
        EXPECT_EQ(parser.ParseHeader(row.record.c_str()), row.code) << row.record.substr(0, 30);
    }
    records::DdsHeaderParser parser;
    parser.ParseHeader(record("0000").c_str());
    parser.expectInterface("03");
    EXPECT_EQ(parser.ParseHeader(record("0110").c_str()), -2);
    EXPECT_EQ(parser.last().recordType, 110);
    EXPECT_EQ(parser.last().systemInvoiceNumber, "0000001000");
    EXPECT_EQ(parser.fileCustomerNumber(), 4711);
}

TEST(RecordEngine, FieldAccessAndTheFieldCheckReport)
{
    FieldTableSet tables(records::DdsRecordTypes());
    records::SelectDdsFieldTables(tables, "2.20", false);
    std::string text = record("0100");
    // Field 8 (8D) holds the month 13.
    text.replace(30 + static_cast<std::size_t>(tables.find(100)->offset(8)), 8, "20241315");
    records::DdsHeaderParser parser;
    parser.ParseHeader(text.c_str());
    const RecordObject object(5, parser.last(), text, 30, 224, *tables.find(100), nullptr);
    EXPECT_EQ(object.GetField(8), "20241315");
    EXPECT_EQ(object.GetField(30), "-/-");
    EXPECT_EQ(object.GetField(-1), "-/-");
    expectAdz([&] { records::CheckFieldsOrThrow(object, records::ContentFieldCode); }, records::ContentFieldCode,
              "Feldprüfung gescheitert: 5;100/14/D (Satzindex;Satzart/Feld/Typ)    Inhalt:[20241315]");

    // A data area that ends early: every field in it is cut short and judged by its letter.
    const RecordObject cut(0, parser.last(), text.substr(0, 20), 30, 224, *tables.find(100), nullptr);
    EXPECT_EQ(cut.data(), "[NULL]");
    EXPECT_EQ(cut.GetField(0), "^^^Feldlängen oder -zeichenfehler ^^^}");
    int position = -1;
    std::string value;
    char letter = 0;
    EXPECT_EQ(cut.CheckRecordFields(position, value, letter), 0);
    EXPECT_EQ(position, 8);
    EXPECT_EQ(letter, 'D');
}

TEST(RecordEngine, InvoiceRecordIndexRule)
{
    EXPECT_NO_THROW(records::CheckInvoiceRecordIndex(0, 10, 0));
    EXPECT_NO_THROW(records::CheckInvoiceRecordIndex(8, 10, 0));
    expectAdz([] { records::CheckInvoiceRecordIndex(9, 10, 0); }, adz::Structural,
              "Zugriff auf ungültigen Satzindex :9 / Höchster Rechnungssatzindex=8");
    expectAdz([] { records::CheckInvoiceRecordIndex(-1, 10, 1); }, adz::Structural,
              "Zugriff auf ungültigen Satzindex :-1 / Höchster Rechnungssatzindex=7");
}

TEST(RecordEngine, CodePageStepConvertsInPlaceByteForByte)
{
    const struct
    {
        const char* identifier;
        std::string in;
        std::string out;
    } rows[] = {
        {"C850", "M\x81ller \x84\xE1", "M\xFCller \xE4\xDF"},
        {"C437", "\x9B\xE1", "\xA2\xDF"},
        {"ASCI", "\x81", "\xFC"}, // any identifier but ANSI is the DOS code page
        {"ANSI", "M\xFCller", "M\xFCller"},
        {"", "\x81", "\x81"},
    };
    for (const auto& row : rows) {
        std::string text = row.in;
        records::CodePageStep::ForDdsIdentifier(row.identifier).apply(text.data(), text.size());
        EXPECT_EQ(text, row.out) << row.identifier;
    }
    std::string german = "Stra~e";
    records::CodePageStep(records::CodePageStep::Kind::German7Bit).apply(german.data(), german.size());
    EXPECT_EQ(german, "Stra\xDF"
                      "e");
}

} // namespace
} // namespace bv
