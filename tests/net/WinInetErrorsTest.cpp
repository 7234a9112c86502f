#include "net/MyInternetException.h"
#include "net/WinInetErrors.h"

#include <gtest/gtest.h>

#include <set>

TEST(WinInetErrors, EveryReportedNumberHasItsOwnGermanText)
{
    std::set<std::string> texts;
    for (const int code : {12002, 12005, 12006, 12007, 12029, 12030, 12031, 12038, 12045, 12150, 12152, 12157, 12175}) {
        const std::string text = bv::wininet::errorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_TRUE(texts.insert(text).second) << code;
    }
    EXPECT_EQ(bv::wininet::errorText(12029), "Es konnte keine Verbindung mit dem Server hergestellt werden.");
    EXPECT_EQ(bv::wininet::errorText(2), "");
    EXPECT_EQ(bv::wininet::errorText(0), "");
}

TEST(MyInternetException, ExtendedErrorCarriesTheServersResponseText)
{
    const bv::MyInternetException withResponse(12003, 70, std::string(" 550 Zugriff verweigert"));
    EXPECT_EQ(withResponse.text(), bv::wininet::errorText(12003) + " 550 Zugriff verweigert");
    EXPECT_STREQ(withResponse.file(), "internetrequest");
    EXPECT_EQ(withResponse.line(), 70);

    const bv::MyInternetException withoutResponse(12003, 70);
    EXPECT_EQ(withoutResponse.text(),
              "Fehlertext konnte nicht ermittelt werden:\nUnable to get Internet error. Error code: 12003");

    EXPECT_EQ(bv::MyInternetException(12002, 91).text(), bv::wininet::errorText(12002));
    EXPECT_EQ(bv::MyInternetException(3, 95).text(), "");
}
