#include "app/send/ControlFileStatus.h"
#include "app/send/PartnerLabList.h"
#include "app/send/SendFormatting.h"
#include "platform/Text.h"
#include "registry/TempDir.h"

#include <gtest/gtest.h>

using namespace bv;

TEST(SendFormatting, TransferTimeIsRoundedDownToQuarterMinutes)
{
    const std::vector<std::pair<std::uint64_t, std::string>> rows = {
        {1000000, "2 min 30 s (Größe: 977 KB)"},
        {0, "0 min 30 s (Größe: 1 KB)"},
        {1024, "0 min 30 s (Größe: 2 KB)"},
        {225000, "1 min (Größe: 220 KB)"},              // exactly 60 seconds
        {232499, "1 min (Größe: 228 KB)"},              // 60 s: no second part
        {337500, "1 min 15 s (Größe: 330 KB)"},         // 75 s
        {150000000, "333 min 45 s (Größe: 146485 KB)"}, // 20,030 s
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(transferTimeText(bytes), text) << bytes;
    EXPECT_EQ(fileSizeText(1000000), "977 KB");
}

TEST(SendFormatting, AmountWithCurrencyAndConfiguredSuffix)
{
    EXPECT_EQ(amountText(123456789, "CHF", ""), "1234.567,89 CHF    ");
    EXPECT_EQ(amountText(99999, "EUR", "TVA incl."), "999,99 EUR    (TVA incl.)");
    EXPECT_EQ(amountText(-150, "CHF", ""), "-1,50 CHF    ");
}

TEST(PartnerLabs, EntriesNeedANumberAndKeepTheNameBetweenDelimiters)
{
    const PartnerLabList labs =
        parsePartnerLabs("4711=\"Labor Nord\";=\"ohne Nummer\";ohneGleich;;900001='X';12=;13=\"");
    ASSERT_EQ(labs.size(), 4u);
    EXPECT_EQ(labs[0].customerNumber, "4711");
    EXPECT_EQ(labs[0].name, "Labor Nord");
    EXPECT_EQ(labs[1].customerNumber, "900001");
    EXPECT_EQ(labs[1].name, "X");
    // Too short to hold a name between two delimiters.
    EXPECT_EQ(labs[2].customerNumber, "12");
    EXPECT_EQ(labs[2].name, "");
    EXPECT_EQ(labs[3].name, "");
    EXPECT_TRUE(parsePartnerLabs("").empty());
}

TEST(ControlFileStatus, WritesErrorAndStatusForThePracticeSoftware)
{
    TempDir dir;
    const std::string path = dir.write("bvlsabr.ini", "[Rueckgabe]\r\nREADY=0\r\n").string();
    ASSERT_TRUE(writeControlFileStatus(path, -56, "Fehler bei Übertragung!"));
    EXPECT_EQ(dir.read("bvlsabr.ini"), "[Rueckgabe]\r\nREADY=0\r\nError=Fehler bei \xDC"
                                       "bertragung!\r\nStatus=-56\r\n");

    // A message of several lines still arrives, on one line; an empty one is named unspecified.
    ASSERT_TRUE(writeControlFileStatus(path, -943, "Zeile 1\nZeile 2"));
    EXPECT_NE(dir.read("bvlsabr.ini").find("Error=Zeile 1 Zeile 2\r\n"), std::string::npos);
    ASSERT_TRUE(writeControlFileStatus(path, -2, ""));
    EXPECT_NE(dir.read("bvlsabr.ini").find("Error= (unspezifizierter Fehler)\r\n"), std::string::npos);

    // Success writes only the status.
    TempDir other;
    const std::string ok = other.write("c.ini", "").string();
    ASSERT_TRUE(writeControlFileStatus(ok, 0, "ignored"));
    EXPECT_EQ(other.read("c.ini"), "[Rueckgabe]\r\nStatus=0\r\n");
}
