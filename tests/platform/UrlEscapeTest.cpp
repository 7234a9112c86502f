#include "platform/UrlEscape.h"

#include <gtest/gtest.h>

namespace {

struct EscapeRow
{
    const char* name;
    std::string value;
    std::string escaped;
};

class UrlEscape : public ::testing::TestWithParam<EscapeRow>
{
};

TEST_P(UrlEscape, EscapesByThePathSegmentRules)
{
    EXPECT_EQ(bv::urlEscape(GetParam().value), GetParam().escaped);
}

INSTANTIATE_TEST_SUITE_P(
    Values, UrlEscape,
    ::testing::Values(EscapeRow{"LettersDigitsUnchanged", "Anna42", "Anna42"},
                      EscapeRow{"SafePunctuationUnchanged", "-_.~!$'()*,;:@", "-_.~!$'()*,;:@"},
                      EscapeRow{"Blank", "BV_CL [1.5.1 (Build 1051) CH-FR]",
                                "BV_CL%20%5B1.5.1%20(Build%201051)%20CH-FR%5D"},
                      EscapeRow{"SegmentDelimiters", "a/b?c#d", "a%2Fb%3Fc%23d"},
                      EscapeRow{"UnsafeCharacters", "\"<>{}|\\^[]`", "%22%3C%3E%7B%7D%7C%5C%5E%5B%5D%60"},
                      EscapeRow{"FormDelimitersOfPasswords", "p&w=1+2%", "p%26w%3D1%2B2%25"},
                      EscapeRow{"ControlCharacters", std::string("a\tb\r\n\x7f\0", 7), "a%09b%0D%0A%7F%00"},
                      EscapeRow{"Utf8BytesOneByOne", "Genève", "Gen%C3%A8ve"}, EscapeRow{"Empty", "", ""}),
    [](const auto& info) { return info.param.name; });

TEST(UrlEscapeLimit, ValueWhoseEscapedFormDoesNotFitComesBackEmpty)
{
    // Each blank takes three characters; 2083 characters fit beside the terminating zero.
    EXPECT_EQ(bv::urlEscape(std::string(694, ' ') + "x").size(), 2083u);
    EXPECT_EQ(bv::urlEscape(std::string(2083, 'x')).size(), 2083u);
    EXPECT_EQ(bv::urlEscape(std::string(2084, 'x')), "");
    EXPECT_EQ(bv::urlEscape(std::string(695, ' ')), "");
}

} // namespace
