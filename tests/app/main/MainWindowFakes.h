#pragma once

#include "app/login/LoginDialogRunner.h"
#include "app/main/MainWindowPorts.h"
#include "platform/NetworkState.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace bv::test {

// The main window as its controller sees it, recording what it was told.
class FakeMainWindowView : public MainWindowView
{
public:
    struct Navigation
    {
        std::string url;
        bool post = false;
        std::string postData;
    };

    void navigate(const std::string& url) override { navigations.push_back({url, false, {}}); }
    void navigatePost(const std::string& url, const std::string& data) override
    {
        navigations.push_back({url, true, data});
    }
    void postStartMessage() override { ++startMessages; }
    void postCancel() override { ++cancels; }
    void endWindow() override { ++ends; }
    ScreenRect workArea() const override { return work; }
    void placeWindow(const WindowPlacement& p) override { placement = p; }
    ScreenRect windowRect() const override { return rect; }
    ActiveWindow activeWindow() const override { return active; }
    ActiveWindow waitForActiveWindow(std::chrono::milliseconds wait) override
    {
        waited = wait;
        return activeAfterWait;
    }
    void bringToFront() override { ++broughtToFront; }
    void activateOpenWindow() override { ++activatedOpenWindow; }

    std::vector<std::string> urls() const
    {
        std::vector<std::string> out;
        for (const auto& n : navigations)
            out.push_back(n.url);
        return out;
    }

    std::vector<Navigation> navigations;
    int startMessages = 0;
    int cancels = 0;
    int ends = 0;
    ScreenRect work{0, 0, 1920, 1050};
    ScreenRect rect{0, 0, 810, 572};
    WindowPlacement placement;
    ActiveWindow active = ActiveWindow::Main;
    ActiveWindow activeAfterWait = ActiveWindow::None;
    std::chrono::milliseconds waited{0};
    int broughtToFront = 0;
    int activatedOpenWindow = 0;
};

// The dialogs the main window starts; each records its run and may act while "open".
class FakeMainWindowDialogs : public MainWindowDialogs
{
public:
    std::string runSendDialog() override
    {
        ++sendDialogs;
        if (duringSendDialog)
            duringSendDialog();
        return nextPage;
    }
    void runTestFileDialog() override { ++testFileDialogs; }
    void runSetupDialog() override { ++setupDialogs; }
    void runUpdate(const std::string& address) override { updates.push_back(address); }
    void showInfo() override { ++infos; }

    int sendDialogs = 0;
    int testFileDialogs = 0;
    int setupDialogs = 0;
    int infos = 0;
    std::vector<std::string> updates;
    std::string nextPage;
    std::function<void()> duringSendDialog;
};

// A login dialog that answers from a script: each run takes the next step, which fills the session
// record as a reply of the billing centre would.
class ScriptedLoginDialog : public LoginDialogRunner
{
public:
    LoginDialogResult runLoginDialog() override
    {
        ++runs;
        if (steps.empty())
            return LoginDialogResult::Cancelled;
        auto step = std::move(steps.front());
        steps.pop_front();
        return step();
    }

    std::deque<std::function<LoginDialogResult()>> steps;
    int runs = 0;
};

// A probe that reports a network connection, so that going online needs no dialling.
class NetworkProbeOnline : public NetworkProbe
{
public:
    ConnectionState query() const override { return {true, true, false, false, "LAN"}; }
};

// Dial-up connections that are listed and hung up on request.
class FakeDialUp : public DialUp
{
public:
    int activeConnections(std::vector<Connection>& out) const override
    {
        out = connections;
        return 0;
    }
    int hangUp(std::uint32_t handle) override
    {
        hungUp.push_back(handle);
        return 0;
    }

    std::vector<Connection> connections;
    std::vector<std::uint32_t> hungUp;
};

} // namespace bv::test
