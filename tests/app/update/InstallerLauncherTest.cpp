#include "app/update/InstallerLauncher.h"

#include "platform/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Replaces PATH for one test, so that "xdg-open" is the test's own script or missing.
class PathGuard
{
public:
    explicit PathGuard(const std::string& path)
    {
        if (const char* old = std::getenv("PATH"))
            m_old = old;
        ::setenv("PATH", path.c_str(), 1);
    }
    ~PathGuard() { ::setenv("PATH", m_old.c_str(), 1); }

private:
    std::string m_old;
};

struct ShellInstallerLauncherTest : ::testing::Test
{
    // A shell script that writes its tag and arguments into the marker file.
    std::string script(const std::string& name, const std::string& tag)
    {
        const auto path = dir.write(name, "#!/bin/sh\necho " + tag + " \"$@\" > " + marker().string() + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }
    std::filesystem::path marker() const { return dir.file("marker"); }

    // The started program runs on its own: wait for its mark.
    std::string waitForMarker()
    {
        for (int i = 0; i < 500; ++i) {
            const std::string text = dir.read("marker");
            if (!text.empty() && text.back() == '\n')
                return text;
            std::this_thread::sleep_for(10ms);
        }
        return {};
    }

    bv::TempDir dir;
    bv::ShellInstallerLauncher launcher;
};

TEST_F(ShellInstallerLauncherTest, ExecutableInstallerStartsDirectly)
{
    const std::string installer = script("bv_setup.exe", "direkt");
    EXPECT_FALSE(launcher.openInstaller(installer));
    EXPECT_EQ(waitForMarker(), "direkt\n");
}

TEST_F(ShellInstallerLauncherTest, OtherFilesGoToTheDesktopOpener)
{
    script("bin/xdg-open", "opener");
    const auto installer = dir.write("bv_setup.exe", "MZ");
    PathGuard path(dir.file("bin").string());
    EXPECT_FALSE(launcher.openInstaller(installer.string()));
    EXPECT_EQ(waitForMarker(), "opener " + installer.string() + "\n");
}

TEST_F(ShellInstallerLauncherTest, MissingOpenerIsReported)
{
    std::filesystem::create_directories(dir.file("leer"));
    const auto installer = dir.write("bv_setup.exe", "MZ");
    PathGuard path(dir.file("leer").string());
    const bv::SystemError error = launcher.openInstaller(installer.string());
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_FALSE(error.text.empty());
}

} // namespace
