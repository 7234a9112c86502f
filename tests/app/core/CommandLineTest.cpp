#include "app/core/CommandLine.h"

#include <gtest/gtest.h>

namespace bv {
namespace {

struct Row
{
    std::vector<std::string> args;
    StartMode mode;
    std::string parameter;
    std::string configName;
    std::string instance;
};

class CommandLineRows : public ::testing::TestWithParam<Row>
{
};

TEST_P(CommandLineRows, SettlesModeParameterAndInstance)
{
    const Row& row = GetParam();
    const CommandLine line = CommandLine::parse(row.args);
    EXPECT_EQ(line.mode, row.mode);
    EXPECT_EQ(line.parameter, row.parameter);
    EXPECT_EQ(line.configName, row.configName);
    EXPECT_EQ(line.instanceName(), row.instance);
}

const std::string Default = "brevalis_Client_CH_FR";

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLineRows,
    ::testing::Values(Row{{}, StartMode::MainWindow, "", "", Default},
                      Row{{"/setup"}, StartMode::Setup, "", "", Default},
                      // A switch typed with a leading minus sign is stored like the same switch with "/".
                      Row{{"-setup"}, StartMode::Setup, "", "", Default},
                      Row{{"/v"}, StartMode::SendDialog, "", "", Default},
                      Row{{"/req", "/tmp/a b.ini"}, StartMode::Request, "/tmp/a b.ini", "", Default},
                      Row{{"/req"}, StartMode::Request, "", "", Default},
                      Row{{"/ini", "x.ini", "ignored"}, StartMode::IniImport, "x.ini", "", Default},
                      Row{{"/conf", "Praxis2"}, StartMode::NamedMainWindow, "", "Praxis2", "brevalis_Client_Praxis2"},
                      Row{{"/conf"}, StartMode::NamedMainWindow, "", "", Default},
                      Row{{"--FILEPARAM", "/tmp/ctl.ini"}, StartMode::ControlFile, "/tmp/ctl.ini", "", Default},
                      // Comparison is case-sensitive: "/SETUP" is no switch and becomes the control file.
                      Row{{"/SETUP"}, StartMode::ControlFile, "/SETUP", "", Default},
                      Row{{"/tmp/steuer.ini"}, StartMode::ControlFile, "/tmp/steuer.ini", "", Default},
                      Row{{"/xyz"}, StartMode::ControlFile, "/xyz", "", Default}));

TEST(CommandLine, KeepsSlotZeroPlaceholderAndStoredSwitchForm)
{
    const CommandLine line = CommandLine::parse({"-req", "file"});
    ASSERT_EQ(line.store.size(), 3u);
    EXPECT_EQ(line.store[0], "_appl_");
    EXPECT_EQ(line.store[1], "/req");
    EXPECT_EQ(line.store[2], "file");
}

} // namespace
} // namespace bv
