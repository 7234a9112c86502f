#include "gui/scanning/SaneScanner.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace bv;

namespace {

// SANE's virtual "test" scanner, and no other backend, through a configuration of our own.
class SaneScannerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static TempDir config;
        config.write("dll.conf", "test\n");
        setenv("SANE_CONFIG_DIR", config.path().c_str(), 1);
    }
    void SetUp() override { ASSERT_TRUE(scanner.open({"Beleg", "bvals_cl", "Beleg", "brevalis"})); }

    ScanResult scan(int pixelType, int dpi, std::map<std::string, std::string> options = {})
    {
        ScanSettings settings;
        settings.pixelType = pixelType;
        settings.xResolution = settings.yResolution = dpi;
        scanner.applySettings(settings);
        for (const auto& [name, value] : options)
            scanner.setDeviceOption(name, value);
        return scanner.acquire(false);
    }

    SaneScanner scanner;
};

} // namespace

TEST_F(SaneScannerTest, ListsAndSelectsTheVirtualScanners)
{
    const auto sources = scanner.sources();
    ASSERT_TRUE(sources);
    ASSERT_GE(sources->size(), 1u);
    EXPECT_EQ((*sources)[0].name, "test:0");
    EXPECT_EQ((*sources)[0].maker, "Noname");
    EXPECT_EQ((*sources)[0].family, "frontend-tester");
    EXPECT_EQ(scanner.current(), "test:0");
    EXPECT_FALSE(scanner.select("plustek:usb"));
    EXPECT_TRUE(scanner.select(sources->back().name));
    EXPECT_EQ(scanner.current(), sources->back().name);
}

TEST_F(SaneScannerTest, ScansAPageInTheModeAndResolutionOfTheSettings)
{
    // A4 is cut to the virtual scanner's 200 x 200 mm; at 50 dpi that is 393 pixels a side.
    const ScanResult grey = scan(1, 50);
    ASSERT_EQ(grey.status, ScanResult::Status::Ok);
    EXPECT_EQ(grey.page.channels, 1);
    EXPECT_NEAR(grey.page.width, 393, 2);
    EXPECT_NEAR(grey.page.height, 393, 2);
    EXPECT_EQ(grey.page.pixels.size(), static_cast<std::size_t>(grey.page.width) * grey.page.height);

    const ScanResult colour = scan(2, 50, {{"test-picture", "Solid white"}});
    ASSERT_EQ(colour.status, ScanResult::Status::Ok);
    EXPECT_EQ(colour.page.channels, 3);
    EXPECT_TRUE(std::all_of(colour.page.pixels.begin(), colour.page.pixels.end(), [](auto v) { return v == 255; }));

    // One bit a sample (1 is black) and three separate colour frames come out as 8-bit pages.
    const ScanResult lineart = scan(1, 50, {{"depth", "1"}, {"test-picture", "Solid black"}});
    ASSERT_EQ(lineart.status, ScanResult::Status::Ok);
    EXPECT_TRUE(std::all_of(lineart.page.pixels.begin(), lineart.page.pixels.end(), [](auto v) { return v == 0; }));
    const ScanResult threePass = scan(2, 50, {{"depth", "8"}, {"three-pass", "yes"}, {"test-picture", "Solid white"}});
    ASSERT_EQ(threePass.status, ScanResult::Status::Ok);
    EXPECT_EQ(threePass.page.channels, 3);
    EXPECT_EQ(threePass.page.pixels.size(), static_cast<std::size_t>(threePass.page.width) * threePass.page.height * 3);
}

TEST_F(SaneScannerTest, FailuresAndCancelsAreToldApart)
{
    const ScanResult io = scan(1, 50, {{"read-return-value", "SANE_STATUS_IO_ERROR"}});
    EXPECT_EQ(io.status, ScanResult::Status::Failed);
    EXPECT_EQ(io.code, 9 /* SANE_STATUS_IO_ERROR */);
    const ScanResult cancelled = scan(1, 50, {{"read-return-value", "SANE_STATUS_CANCELLED"}});
    EXPECT_EQ(cancelled.status, ScanResult::Status::Cancelled);
    scanner.close();
    EXPECT_EQ(scanner.acquire(false).status, ScanResult::Status::Failed);
}
