#include "platform/Dispatcher.h"
#include "platform/Event.h"
#include "platform/InstanceChannel.h"
#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace bv {
namespace {

using namespace std::chrono_literals;

// Each test gets its own runtime directory, as a user session would.
class InstanceChannel : public ::testing::Test
{
protected:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    TempDir runtime;
    const std::string name = "brevalis_Client_CH_FR";
};

int exitCodeOf(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(InstanceChannel, RuntimeDirectoryAndObjectNames)
{
    EXPECT_EQ(instanceRuntimeDirectory(), runtime.path().string());
    NamedLock lock(name);
    ASSERT_TRUE(lock.acquire());
    EXPECT_TRUE(std::filesystem::exists(runtime.file(name + ".lock")));
    InstanceServer server(name);
    ASSERT_TRUE(server.listen([](const std::string&) {}));
    EXPECT_TRUE(std::filesystem::is_socket(runtime.file(name + ".sock")));
    // A name too long for a socket path still gets a channel of its own.
    const std::string longName(300, 'n');
    InstanceServer longServer(longName);
    ASSERT_TRUE(longServer.listen([](const std::string&) {}));
    EXPECT_TRUE(instanceExists(longName));
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(instanceRuntimeDirectory().rfind("brevalis-" + std::to_string(::getuid())),
              instanceRuntimeDirectory().size() - std::strlen("brevalis-") - std::to_string(::getuid()).size());
}

TEST_F(InstanceChannel, NamedLockExcludesOtherProcesses)
{
    NamedLock lock(name);
    ASSERT_TRUE(lock.acquire());
    EXPECT_TRUE(lock.held());
    const pid_t busy = ::fork();
    if (busy == 0) {
        NamedLock other(name);
        ::_exit(other.tryAcquire() ? 1 : 0);
    }
    EXPECT_EQ(exitCodeOf(busy), 0);
    lock.release();
    EXPECT_FALSE(lock.held());
    const pid_t free = ::fork();
    if (free == 0) {
        NamedLock other(name);
        ::_exit(other.tryAcquire() ? 0 : 1);
    }
    EXPECT_EQ(exitCodeOf(free), 0);
    // Another configuration's lock is independent.
    ASSERT_TRUE(lock.acquire());
    NamedLock otherConfiguration("brevalis_Client_Test");
    EXPECT_TRUE(otherConfiguration.tryAcquire());
}

TEST_F(InstanceChannel, SecondProcessReturnsOnlyAfterTheHandlerRan)
{
    QueueDispatcher gui;
    std::vector<std::string> received;
    InstanceServer server(name);
    ASSERT_TRUE(server.listen([&](const std::string& request) {
        gui.send([&, request] {
            std::this_thread::sleep_for(200ms);
            received.push_back(request);
            runtime.write("handled", request);
        });
    }));
    ASSERT_TRUE(instanceExists(name));

    const std::filesystem::path marker = runtime.file("handled");
    const pid_t child = ::fork();
    if (child == 0) {
        const bool sent = sendToInstance(name, "REQ:/tmp/x");
        ::_exit(sent && std::filesystem::exists(marker) ? 0 : 1);
    }
    EXPECT_TRUE(gui.runUntil([&] { return !received.empty(); }, 10s));
    EXPECT_EQ(exitCodeOf(child), 0);
    EXPECT_EQ(received, std::vector<std::string>{"REQ:/tmp/x"});
}

TEST_F(InstanceChannel, RequestsMayBeAnyBytes)
{
    std::vector<std::string> received;
    std::mutex mutex;
    InstanceServer server(name);
    ASSERT_TRUE(server.listen([&](const std::string& request) {
        std::lock_guard lock(mutex);
        received.push_back(request);
    }));
    std::string binary;
    for (int i = 0; i < 200000; ++i)
        binary += static_cast<char>(i * 7);
    EXPECT_TRUE(sendToInstance(name, ""));
    EXPECT_TRUE(sendToInstance(name, binary));
    EXPECT_TRUE(sendToInstance(name, std::string("REQ:\0\n\xFF", 7)));
    std::lock_guard lock(mutex);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], "");
    EXPECT_EQ(received[1], binary);
    EXPECT_EQ(received[2], std::string("REQ:\0\n\xFF", 7));
}

TEST_F(InstanceChannel, NobodyListeningAndClosedServers)
{
    EXPECT_FALSE(instanceExists(name));
    EXPECT_FALSE(sendToInstance(name, "REQ:/tmp/x"));
    {
        InstanceServer server(name);
        ASSERT_TRUE(server.listen([](const std::string&) {}));
        EXPECT_TRUE(server.isListening());
        InstanceServer second(name);
        EXPECT_FALSE(second.listen([](const std::string&) {}));
        EXPECT_TRUE(instanceExists(name));
    }
    EXPECT_FALSE(instanceExists(name));
    EXPECT_FALSE(std::filesystem::exists(runtime.file(name + ".sock")));
}

TEST_F(InstanceChannel, StaleSocketOfAKilledInstanceIsReplaced)
{
    // What a killed first instance leaves: a socket file that nobody answers on.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = runtime.file(name + ".sock").string();
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(instanceExists(name));

    std::atomic<int> handled{0};
    InstanceServer server(name);
    ASSERT_TRUE(server.listen([&](const std::string&) { ++handled; }));
    EXPECT_TRUE(sendToInstance(name, "x"));
    EXPECT_EQ(handled.load(), 1);
}

TEST_F(InstanceChannel, RefusesADirectoryOfAnotherUser)
{
    std::string foreign = "/";
    if (::geteuid() == 0) {
        std::filesystem::create_directory(runtime.file("fremd"));
        ASSERT_EQ(::chown(runtime.file("fremd").c_str(), 65534, 65534), 0);
        foreign = runtime.file("fremd").string();
    }
    ::setenv("XDG_RUNTIME_DIR", foreign.c_str(), 1);
    NamedLock lock(name);
    EXPECT_FALSE(lock.acquire());
    InstanceServer server(name);
    EXPECT_FALSE(server.listen([](const std::string&) {}));
    EXPECT_FALSE(instanceExists(name));
}

TEST_F(InstanceChannel, SenderGivesUpAfterItsTimeOut)
{
    Event release;
    InstanceServer server(name);
    ASSERT_TRUE(server.listen([&](const std::string&) { release.wait(5s); }));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(sendToInstance(name, "x", 100ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    release.set();
}

} // namespace
} // namespace bv
