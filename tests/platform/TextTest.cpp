#include "platform/Text.h"

#include <gtest/gtest.h>

#include <climits>

namespace bv {
namespace {

struct DecimalRow
{
    const char* text;
    long long value;
};

class DecimalRule : public ::testing::TestWithParam<DecimalRow>
{
};

TEST_P(DecimalRule, ReadsLeadingDigitsAndSaturates)
{
    EXPECT_EQ(decimalValue(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Rows, DecimalRule,
                         ::testing::Values(DecimalRow{"12", 12}, DecimalRow{"0034", 34}, DecimalRow{"abc", 0},
                                           DecimalRow{"", 0}, DecimalRow{" \t\n12x5", 12}, DecimalRow{"-7", -7},
                                           DecimalRow{"+3", 3}, DecimalRow{"- 5", 0}, DecimalRow{"--5", 0},
                                           DecimalRow{"12.5", 12}, DecimalRow{"9223372036854775807", LLONG_MAX},
                                           DecimalRow{"99999999999999999999999", LLONG_MAX},
                                           DecimalRow{"-9223372036854775808", LLONG_MIN},
                                           DecimalRow{"-99999999999999999999999", LLONG_MIN}));

TEST(DecimalRule, IntSaturatesAtTheIntRange)
{
    EXPECT_EQ(decimalInt("2147483647"), INT_MAX);
    EXPECT_EQ(decimalInt("3000000000"), INT_MAX);
    EXPECT_EQ(decimalInt("-3000000000"), INT_MIN);
    EXPECT_EQ(decimalInt("000012"), 12);
}

TEST(TextHelpers, TrimCaseSplitReplace)
{
    EXPECT_EQ(trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(trim(" \t\r\n"), "");
    EXPECT_EQ(trimBlanks(" \ta \t "), "\ta \t");
    EXPECT_EQ(toUpper("abc\xC3\xBC-z"), "ABC\xC3\xBC-Z");
    EXPECT_EQ(toLower("ABC\xC3\x9C-Z"), "abc\xC3\x9C-z");
    EXPECT_TRUE(iequals("SpoolDir", "SPOOLDIR"));
    EXPECT_FALSE(iequals("a", "ab"));
    EXPECT_EQ(split("12;abc;;0034;", ';'), (std::vector<std::string>{"12", "abc", "", "0034", ""}));
    EXPECT_EQ(split("", ';'), (std::vector<std::string>{""}));
    EXPECT_EQ(replaceAll("a\\nb\\n", "\\n", "\n"), "a\nb\n");
    EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
    EXPECT_TRUE(startsWith("REQ:/tmp", "REQ:"));
    EXPECT_EQ(strFormat("%06d;%s", 34, "x"), "000034;x");
}

struct PatternRow
{
    const char* pattern;
    const char* name;
    bool matches;
};

class WindowsPattern : public ::testing::TestWithParam<PatternRow>
{
};

TEST_P(WindowsPattern, Matches)
{
    EXPECT_EQ(matchesPattern(GetParam().pattern, GetParam().name), GetParam().matches)
        << GetParam().pattern << " " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowsPattern,
    ::testing::Values(PatternRow{"*.XML", "a.xml", true}, PatternRow{"*.XML", "a.xml.bak", false},
                      PatternRow{"*.xml", "A.XML", true}, PatternRow{"*.*", "README", true},
                      PatternRow{"*.*", ".hidden", true}, PatternRow{"*", "x.y.z", true},
                      PatternRow{"RZ????.001", "rz0042.001", true}, PatternRow{"RZ????.001", "RZ042.001", false},
                      PatternRow{"RZ????.001", "RZ00421.001", false}, PatternRow{"RZ0001.*", "RZ0001", true},
                      PatternRow{"*.ini", "x.ini", true}, PatternRow{"*.ini", "ini", false},
                      PatternRow{"a*b*c", "aXbYbZc", true}, PatternRow{"a*b*c", "aXbYbZ", false},
                      PatternRow{"", "", true}, PatternRow{"", "a", false},
                      PatternRow{"*a*a*a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false}));

TEST(Encodings, Cp1252RoundTripsEveryByte)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80\xE4\xFC\xDF\x9F"), "\xE2\x82\xAC\xC3\xA4\xC3\xBC\xC3\x9F\xC5\xB8");
}

TEST(Encodings, Utf8WithoutCp1252CodeBecomesQuestionMark)
{
    EXPECT_EQ(utf8ToCp1252("f\xC3\xBCr \xE2\x82\xAC"), "f\xFCr \x80");
    EXPECT_EQ(utf8ToCp1252("\xE2\x98\x83"), "?");       // snowman
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80x"), "?x"); // four-byte sequence
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");             // cut sequence
    EXPECT_EQ(utf8ToCp1252("\xC0\xAFx"), "?x");         // overlong form
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"), "?");       // surrogate
}

TEST(Encodings, OemToAnsiKeepsLengthAndUnmappableBytes)
{
    // CP850: 0x81 u-umlaut, 0x84 a-umlaut, 0xE1 sharp s, 0x9B o-slash; 0xC4 is a box-drawing line.
    EXPECT_EQ(oemToAnsi("M\x81ller \x84\xE1\x9B\xC4", 850), "M\xFCller \xE4\xDF\xF8\xC4");
    // CP437: 0x9B is the cent sign, 0xE1 sharp s.
    EXPECT_EQ(oemToAnsi("\x9B\xE1", 437), "\xA2\xDF");
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(oemToAnsi(all, 850).size(), 256u);
    EXPECT_EQ(oemToAnsi(all, 850).substr(0, 128), all.substr(0, 128));
}

} // namespace
} // namespace bv
