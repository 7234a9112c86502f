#include "platform/PrivateProfile.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace bv {
namespace {

// A control file as practice software writes it: Windows-1252 bytes, CR LF, odd spacing.
const std::string Sample = "; Steuerdatei\r\n"
                           "[ VDDS ]\r\n"
                           "  Datei = C:\\RZ\\M\xFCller.dat  \r\n"
                           "Quoted=\"  mit Blanks  \"\r\n"
                           "Single='x'\r\n"
                           "Mixed=\"x'\r\n"
                           "ohne Gleichheitszeichen\r\n"
                           "datei=zweite\r\n"
                           "\r\n"
                           "[Status]\n"
                           "Fehler=0\n"
                           "[vdds]\r\n"
                           "Spaet=1";

struct ReadRow
{
    const char* section;
    const char* key;
    const char* expected;
};

class IniReads : public ::testing::TestWithParam<ReadRow>
{
};

TEST_P(IniReads, FirstOccurrenceTrimmedUnquoted)
{
    const std::optional<std::string> expected =
        GetParam().expected ? std::optional<std::string>(GetParam().expected) : std::nullopt;
    EXPECT_EQ(IniDocument::parse(Sample).value(GetParam().section, GetParam().key), expected);
    // The one-pass reader finds the same, however the text is cut into pieces.
    IniKeyScanner scanner(GetParam().section, {GetParam().key}, 1023);
    for (char c : Sample)
        scanner.feed(std::string_view(&c, 1));
    scanner.finish();
    EXPECT_EQ(scanner.value(0), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, IniReads,
                         ::testing::Values(ReadRow{"vdds", "DATEI", "C:\\RZ\\M\xFCller.dat"},
                                           ReadRow{"VDDS", "quoted", "  mit Blanks  "}, ReadRow{"VDDS", "Single", "x"},
                                           ReadRow{"VDDS", "Mixed", "\"x'"}, ReadRow{"Status", "Fehler", "0"},
                                           ReadRow{"VDDS", "ohne Gleichheitszeichen", nullptr},
                                           ReadRow{"VDDS", "Spaet", nullptr}, ReadRow{"Fehlt", "Datei", nullptr},
                                           ReadRow{"VDDS", "; Steuerdatei", nullptr}));

// Lines of any length: the one-pass reader keeps only the names it looks for and the first bytes of a
// value, and still reads as the document does.
TEST(IniKeyScanner, ReadsLongLinesAsTheDocumentDoes)
{
    const std::string blanks(100000, ' ');
    const std::string longText(300000, 'x');
    const std::string texts[] = {
        "\xEF\xBB\xBF[" + blanks + "Allgemein\t" + blanks + "]" + blanks + "\r\nKuNr=1\r\n",
        "[Allgemein] x ]\r\nKuNr=1\r\n[allgemein]\r\nKuNr=2\r\n[Allgemein]\r\nKuNr=3\r\n",
        "[Allgemein\r\nKuNr=1\r\n[Allgemein]\r\n;KuNr=2\r\n" + longText + "=3\r\n=4\r\nkunr = 5 \r",
        "[Allgemein]\r\nKuNr=\"" + longText + "\"\r\nKuNr=2\r\n",
        "[Allgemein]\r\nKuNr=  '" + longText + "\"  \r\n",
        "[Allgemein]\r\nKuNr=\"\"\r\n",
        "[Allgemein]\r\n" + blanks + "KuNr" + blanks + "=" + blanks + "\"\"\"" + blanks,
        "[" + longText + "]\r\nKuNr=1\r\n[]\r\nKuNr=2\r\n",
    };
    for (const std::string& text : texts) {
        std::optional<std::string> expected = IniDocument::parse(text).value("Allgemein", "KUNR");
        if (expected && expected->size() > 254)
            expected->resize(254);
        IniKeyScanner scanner(" Allgemein ", {"StapelNr", "KUNR"}, 254);
        for (std::size_t at = 0; at < text.size(); at += 4093)
            scanner.feed(std::string_view(text).substr(at, 4093));
        scanner.finish();
        EXPECT_EQ(scanner.value(1), expected) << text.substr(0, 40);
        EXPECT_EQ(scanner.value(0), std::nullopt);
    }
}

TEST(IniDocument, ListsSectionsAndKeysInFileOrder)
{
    const IniDocument doc = IniDocument::parse(Sample);
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"VDDS", "Status"}));
    EXPECT_EQ(doc.keyNames("vdds"), (std::vector<std::string>{"Datei", "Quoted", "Single", "Mixed"}));
    EXPECT_TRUE(doc.keyNames("fehlt").empty());
}

TEST(IniDocument, WritesKeepEveryOtherLineByteForByte)
{
    IniDocument doc = IniDocument::parse(Sample);
    ASSERT_TRUE(doc.setValue("vdds", "DATEI", std::string("neu")));
    ASSERT_TRUE(doc.setValue("Status", "Neu", std::string("1")));
    ASSERT_TRUE(doc.setValue("Status", "fehler", std::nullopt));
    ASSERT_TRUE(doc.setValue("Anhang", "Zahl", std::string("3")));
    const std::string expected = "; Steuerdatei\r\n"
                                 "[ VDDS ]\r\n"
                                 "Datei=neu\r\n"
                                 "Quoted=\"  mit Blanks  \"\r\n"
                                 "Single='x'\r\n"
                                 "Mixed=\"x'\r\n"
                                 "ohne Gleichheitszeichen\r\n"
                                 "datei=zweite\r\n"
                                 "\r\n"
                                 "[Status]\n"
                                 "Neu=1\r\n"
                                 "[vdds]\r\n"
                                 "Spaet=1\r\n"
                                 "[Anhang]\r\n"
                                 "Zahl=3\r\n";
    EXPECT_EQ(doc.serialize(), expected);
}

TEST(IniDocument, NewKeyGoesAfterTheLastLineOfItsSection)
{
    IniDocument doc = IniDocument::parse("[A]\nx=1\n\n\n[B]\ny=2");
    ASSERT_TRUE(doc.setValue("A", "z", std::string("3")));
    ASSERT_TRUE(doc.setValue("B", "w", std::string("4")));
    EXPECT_EQ(doc.serialize(), "[A]\nx=1\nz=3\r\n\n\n[B]\ny=2\r\nw=4\r\n");
}

TEST(IniDocument, ByteOrderMarkIsSkippedAndKept)
{
    IniDocument doc = IniDocument::parse("\xEF\xBB\xBF[Setup]\r\nRegisterSpooldir=/spool\r\n");
    EXPECT_EQ(doc.value("Setup", "RegisterSpooldir"), "/spool");
    ASSERT_TRUE(doc.setValue("Setup", "x", std::string("1")));
    EXPECT_EQ(doc.serialize(), "\xEF\xBB\xBF[Setup]\r\nRegisterSpooldir=/spool\r\nx=1\r\n");
}

TEST(IniDocument, RefusesWritesThatWouldNotReadBack)
{
    IniDocument doc = IniDocument::parse("[A]\r\nk=v\r\n");
    const std::string before = doc.serialize();
    EXPECT_FALSE(doc.setValue("A", "k", std::string("zwei\r\nZeilen")));
    EXPECT_FALSE(doc.setValue("A", "a=b", std::string("1")));
    EXPECT_FALSE(doc.setValue("A", "  ", std::string("1")));
    EXPECT_FALSE(doc.setValue("A", "[B]", std::string("1")));
    EXPECT_FALSE(doc.setValue("A", ";k", std::string("1")));
    EXPECT_FALSE(doc.setValue("A\nB", "k", std::string("1")));
    EXPECT_EQ(doc.serialize(), before);
    // Blanks around names are dropped, as they would be on reading.
    ASSERT_TRUE(doc.setValue(" A ", " k ", std::string("w")));
    EXPECT_EQ(doc.serialize(), "[A]\r\nk=w\r\n");
}

TEST(IniDocument, RemoveSectionRemovesEveryBlockOfIt)
{
    IniDocument doc = IniDocument::parse("[A]\r\nx=1\r\n[B]\r\ny=2\r\n[a]\r\nz=3\r\n");
    doc.removeSection("A");
    EXPECT_EQ(doc.serialize(), "[B]\r\ny=2\r\n");
}

class PrivateProfileFile : public ::testing::Test
{
protected:
    TempDir dir;
    std::filesystem::path file = dir.file("bvlsabr.ini");
};

TEST_F(PrivateProfileFile, ReadsWithDefaultAndBufferTruncation)
{
    dir.write("bvlsabr.ini", "[Setup]\r\nRegisterSpooldir=/var/spool/brevalis\r\nZahl= 42x\r\n");
    EXPECT_EQ(profile::readString("Setup", "RegisterSpooldir", "~", 255, file), "/var/spool/brevalis");
    EXPECT_EQ(profile::readString("Setup", "RegisterSpooldir", "~", 5, file), "/var");
    EXPECT_EQ(profile::readString("Setup", "RegisterSpooldir", "~", 1, file), "");
    EXPECT_EQ(profile::readString("Setup", "RegisterSpooldir", "~", 0, file), "");
    EXPECT_EQ(profile::readString("Setup", "Fehlt", "~", 255, file), "~");
    EXPECT_EQ(profile::readString("Setup", "Fehlt", "abc  ", 255, file), "abc");
    EXPECT_EQ(profile::readString("Setup", "Fehlt", "abcdef", 4, file), "abc");
    EXPECT_EQ(profile::readString("Setup", "x", "~", 255, dir.file("fehlt.ini")), "~");
    EXPECT_EQ(profile::readInt("Setup", "Zahl", 7, file), 42);
    EXPECT_EQ(profile::readInt("Setup", "RegisterSpooldir", 7, file), 0);
    EXPECT_EQ(profile::readInt("Setup", "Fehlt", 7, file), 7);
}

TEST_F(PrivateProfileFile, WriteCreatesTheFileAndDeletesKeysAndSections)
{
    ASSERT_TRUE(profile::writeString("Status_Request", "Kundennummer", std::string("000012"), file));
    ASSERT_TRUE(profile::writeString("Status_Request", "AktuelleStapelnummer", std::string("1"), file));
    EXPECT_EQ(dir.read("bvlsabr.ini"), "[Status_Request]\r\nKundennummer=000012\r\nAktuelleStapelnummer=1\r\n");
    ASSERT_TRUE(profile::writeString("status_request", "KUNDENNUMMER", std::nullopt, file));
    EXPECT_EQ(dir.read("bvlsabr.ini"), "[Status_Request]\r\nAktuelleStapelnummer=1\r\n");
    EXPECT_EQ(profile::sectionNames(file), std::vector<std::string>{"Status_Request"});
    EXPECT_EQ(profile::keyNames("Status_Request", file), std::vector<std::string>{"AktuelleStapelnummer"});
    ASSERT_TRUE(profile::deleteSection("STATUS_REQUEST", file));
    EXPECT_EQ(dir.read("bvlsabr.ini"), "");
    // Deleting from a file that does not exist creates nothing.
    ASSERT_TRUE(profile::writeString("A", "b", std::nullopt, dir.file("nie.ini")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("nie.ini")));
}

TEST_F(PrivateProfileFile, WriteKeepsWindows1252BytesAndFailsLoudly)
{
    const std::string original = "[Praxis]\r\nName=Dr. M\xFCller\r\n";
    dir.write("bvlsabr.ini", original);
    ASSERT_TRUE(profile::writeString("Praxis", "Ort", std::string("Z\xFCrich"), file));
    EXPECT_EQ(dir.read("bvlsabr.ini"), original + "Ort=Z\xFCrich\r\n");

    errno = 0;
    EXPECT_FALSE(profile::writeString("A", "b", std::string("c"), dir.file("fehlt/x.ini")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(profile::writeString("A", "b", std::string("c"), dir.path()));
    EXPECT_FALSE(profile::writeString("A", "b", std::string("zwei\nZeilen"), file));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(dir.read("bvlsabr.ini"), original + "Ort=Z\xFCrich\r\n");
}

} // namespace
} // namespace bv
