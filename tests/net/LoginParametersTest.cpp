#include "net/LoginParameters.h"
#include "net/TrustedZone.h"

#include "FakePorts.h"

#include <gtest/gtest.h>

namespace {

bv::LoginEnvironment environment()
{
    return {"1.5.1 (Build 1051) CH-FR", "6.4.2/102.0.5005.177", "Linux 6.1.0-18-amd64, Debian GNU/Linux 12 (bookworm)",
            "FRZ", "LAN"};
}

} // namespace

TEST(LoginParameters, InTheirOrderEachValueEscaped)
{
    bv::test::MemoryProfileStore settings;
    settings.values["Scanner/TwnManufacturer"] = "Canon & Co";
    settings.values["Scanner/TwnSourceName"] = "DR-C225";
    EXPECT_EQ(bv::buildLoginParameters(environment(), "CMA", settings),
              "ClientVersion=BV_CL%20%5B1.5.1%20(Build%201051)%20CH-FR%5D"
              "&BrowserVersion=6.4.2%2F102.0.5005.177"
              "&OSVersion=Linux%206.1.0-18-amd64,%20Debian%20GNU%2FLinux%2012%20(bookworm)"
              "&RegVersion=-1&ClientLanguage=FRZ&netcon=LAN&LoginKontext=CMA"
              "&TwnManufacturer=Canon%20%26%20Co&TwnSourceName=DR-C225");

    settings.values["General/RegVersion"] = "17";
    const std::string sendDialog = bv::buildLoginParameters(environment(), "CSE", settings);
    EXPECT_NE(sendDialog.find("&RegVersion=17&"), std::string::npos);
    EXPECT_NE(sendDialog.find("&LoginKontext=CSE&"), std::string::npos);
}

TEST(LoginParameters, BodyCarriesUserAndPasswordUnchangedByTheForm)
{
    EXPECT_EQ(bv::buildLoginBody("dupont", "a+b&c=d%", "ClientLanguage=FRZ"),
              "benutzer=dupont&passwort=a%2Bb%26c%3Dd%25&ClientLanguage=FRZ");
}

TEST(TrustedZone, PatternIsSchemeAndHostOfTheLoginAddress)
{
    EXPECT_EQ(bv::trustedZonePattern("https://login.brevalis.ch/bv/login.php"), "https://login.brevalis.ch");
    EXPECT_EQ(bv::trustedZonePattern("http://127.0.0.1:8080/login"), "http://127.0.0.1:8080");
    EXPECT_EQ(bv::trustedZonePattern("http://a/login"), "http://a");
    EXPECT_EQ(bv::trustedZonePattern("https://login.brevalis.ch"), "");
    EXPECT_EQ(bv::trustedZonePattern(""), "");

    bv::TrustedZone zone;
    bv::trustLoginServer("https://login.brevalis.ch/a", zone);
    bv::trustLoginServer("https://login.brevalis.ch/b", zone);
    bv::trustLoginServer("https://nohost", zone);
    EXPECT_EQ(zone.patterns(), std::vector<std::string>{"https://login.brevalis.ch"});
}
