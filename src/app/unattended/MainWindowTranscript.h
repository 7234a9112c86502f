#pragma once

#include "app/main/MainWindowPorts.h"
#include "app/unattended/DialogTranscript.h"

#include <string>

namespace bv {

class MainWindowController;
class ScriptedUser;

// The main window of an unattended run: wraps the window, writes its open line when created, one
// "FIELD<TAB>page<TAB>address" line per page it finished loading and its close line when it ends (ok
// after a logout). Once a loaded page is where the run waits for the user, the answer "close" closes
// the window as its close button would.
class MainWindowTranscript : public MainWindowView
{
public:
    MainWindowTranscript(ScriptedUser& user, const std::string& title);

    MainWindowView& wrap(MainWindowView& window);
    void attach(MainWindowController* controller) { m_controller = controller; }

    // The window reports a page it finished loading, and later that the page stays (no newer page,
    // no load running, its picture taken).
    void pageLoaded(const std::string& url);
    void pageSettled();

    void navigate(const std::string& url) override { m_window->navigate(url); }
    void navigatePost(const std::string& url, const std::string& postData) override
    {
        m_window->navigatePost(url, postData);
    }
    void postStartMessage() override { m_window->postStartMessage(); }
    void postCancel() override { m_window->postCancel(); }
    void endWindow() override;
    ScreenRect workArea() const override { return m_window->workArea(); }
    void placeWindow(const WindowPlacement& placement) override { m_window->placeWindow(placement); }
    ScreenRect windowRect() const override { return m_window->windowRect(); }
    ActiveWindow activeWindow() const override { return m_window->activeWindow(); }
    ActiveWindow waitForActiveWindow(std::chrono::milliseconds wait) override
    {
        return m_window->waitForActiveWindow(wait);
    }
    void bringToFront() override { m_window->bringToFront(); }
    void activateOpenWindow() override { m_window->activateOpenWindow(); }

private:
    ScriptedUser& m_user;
    DialogTranscript m_transcript;
    MainWindowView* m_window = nullptr;
    MainWindowController* m_controller = nullptr;
    bool m_ended = false;
};

// The main window's dialogs in an unattended run: the information dialog only writes its lines (the
// program title as its field); every other dialog is the wrapped one's, which has its own transcript.
class MainWindowDialogsTranscript : public MainWindowDialogs
{
public:
    MainWindowDialogsTranscript(ScriptedUser& user, MainWindowDialogs& dialogs) : m_user(user), m_dialogs(dialogs) {}

    std::string runSendDialog() override { return m_dialogs.runSendDialog(); }
    void runTestFileDialog() override { m_dialogs.runTestFileDialog(); }
    void runSetupDialog() override { m_dialogs.runSetupDialog(); }
    void runUpdate(const std::string& updateAddress) override { m_dialogs.runUpdate(updateAddress); }
    void showInfo() override;

private:
    ScriptedUser& m_user;
    MainWindowDialogs& m_dialogs;
};

} // namespace bv
