#include "platform/Files.h"
#include "platform/NetworkState.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <cerrno>
#include <chrono>

namespace bv {
namespace {

TEST(Process, StartsWaitsAndReportsTheExitStatus)
{
    EXPECT_EQ(process::run("/bin/sh", {"-c", "exit 3"}), 3);
    EXPECT_EQ(process::run("sh", {"-c", "test \"$0\" = 'a b'", "a b"}), 0);
    EXPECT_EQ(process::run("/bin/sh", {"-c", "kill -9 $$"}), -1);
    errno = 0;
    EXPECT_FALSE(process::start("/nicht/vorhanden", {}).has_value());
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(process::run("/nicht/vorhanden", {}), -1);
    const auto pid = process::start("/bin/true", {});
    ASSERT_TRUE(pid.has_value());
    EXPECT_EQ(process::wait(*pid), 0);
}

TEST(Process, WaitsWithATimeOutAndEndsAProcessNoLongerWaitedFor)
{
    using namespace std::chrono_literals;
    const auto quick = process::start("/bin/sh", {"-c", "exit 4"});
    ASSERT_TRUE(quick.has_value());
    const auto exited = process::waitFor(*quick, 10s);
    EXPECT_EQ(exited.state, process::WaitState::Exited);
    EXPECT_EQ(exited.status, 4);
    EXPECT_EQ(process::waitFor(*quick, 10ms).state, process::WaitState::Failed); // already reaped

    const auto slow = process::start("/bin/sleep", {"30"});
    ASSERT_TRUE(slow.has_value());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(process::waitFor(*slow, 50ms).state, process::WaitState::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 50ms);
    process::terminate(*slow);
    EXPECT_EQ(process::waitFor(*slow, 10ms).state, process::WaitState::Failed);
}

TEST(Process, ExecutablePathIsThisTest)
{
    EXPECT_EQ(process::executablePath().filename(), "ProcessTest");
    EXPECT_TRUE(process::executablePath().is_absolute());
}

TEST(Process, OperatingSystemDescriptionNamesKernelAndDistribution)
{
    struct utsname names;
    ASSERT_EQ(::uname(&names), 0);
    const std::string description = process::operatingSystemDescription();
    EXPECT_EQ(description.rfind("Linux " + std::string(names.release), 0), 0u) << description;
    const auto osRelease = files::readFile("/etc/os-release");
    if (osRelease && osRelease->find("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"") != std::string::npos) {
        EXPECT_EQ(description, "Linux " + std::string(names.release) + ", Debian GNU/Linux 12 (bookworm)");
    }
    EXPECT_EQ(description.find('"'), std::string::npos);
}

const std::string Ipv4Header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

TEST(NetworkState, RouteThroughAnInterfaceThatIsUp)
{
    const std::string defaultRoute = Ipv4Header + "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::string loopbackOnly = Ipv4Header + "lo\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\t0\t0\t0\n";
    const std::string downRoute = Ipv4Header + "eth0\t00000000\t0101A8C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::string linkLocal6 = "fe800000000000000000000000000000 40 00000000000000000000000000000000 00 "
                                   "00000000000000000000000000000000 00000100 00000001 00000000 00000001 eth0\n";
    const std::string global6 = "20010db8000000000000000000000000 40 00000000000000000000000000000000 00 "
                                "00000000000000000000000000000000 00000100 00000001 00000000 00000001 eth0\n";
    EXPECT_TRUE(hasRoutedInterface(defaultRoute, "", {"eth0"}));
    EXPECT_FALSE(hasRoutedInterface(defaultRoute, "", {"wlan0"}));
    EXPECT_FALSE(hasRoutedInterface(loopbackOnly, "", {"eth0"}));
    EXPECT_FALSE(hasRoutedInterface(downRoute, "", {"eth0"}));
    EXPECT_FALSE(hasRoutedInterface(Ipv4Header, linkLocal6, {"eth0"}));
    EXPECT_TRUE(hasRoutedInterface(Ipv4Header, global6, {"eth0"}));
    EXPECT_FALSE(hasRoutedInterface("Unsinn\n\n\t\t", "zu kurz\n", {"eth0"}));
}

TEST(NetworkState, ProbeReportsAConnectionAsLan)
{
    const ConnectionState state = NetworkProbe().query();
    EXPECT_FALSE(state.offline);
    EXPECT_FALSE(state.modem);
    EXPECT_EQ(state.lan, state.connected);
    EXPECT_EQ(state.name, state.connected ? "LAN" : "");
    DialUp none;
    std::vector<DialUp::Connection> list{{1, "alt"}};
    EXPECT_EQ(none.activeConnections(list), 0);
    EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace bv
