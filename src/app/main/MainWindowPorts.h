#pragma once

#include "app/main/WindowPlacement.h"

#include <chrono>
#include <string>

namespace bv {

// Which window of the client has the user's attention when a second start hands over a request.
enum class ActiveWindow
{
    None,  // none of the client's windows is active
    Main,  // the main window itself
    Other, // another window of the client (a dialog, a popup) is open in front
};

// The main window as its controller sees it: the embedded browser, the window's own messages and its
// place on the screen. The Qt window implements it; tests record what they were told.
class MainWindowView
{
public:
    virtual ~MainWindowView() = default;

    // The browser shows an address (GET), or posts the bytes to it.
    virtual void navigate(const std::string& url) = 0;
    virtual void navigatePost(const std::string& url, const std::string& postData) = 0;

    // Queues the start message (login, first page) behind what the window is doing now.
    virtual void postStartMessage() = 0;
    // Queues the close message that Escape would send (BV_LOGOUT); the controller decides on it.
    virtual void postCancel() = 0;
    // Ends the window; the launcher then destroys it.
    virtual void endWindow() = 0;

    virtual ScreenRect workArea() const = 0;
    virtual void placeWindow(const WindowPlacement& placement) = 0;
    // Left, top, width and height of the window now (stored as WindowPos x, y, cx, cy).
    virtual ScreenRect windowRect() const = 0;

    virtual ActiveWindow activeWindow() const = 0;
    // Lets pending window events run for up to `wait`, returning as soon as a window is active.
    virtual ActiveWindow waitForActiveWindow(std::chrono::milliseconds wait) = 0;
    // Restores the window when minimised and brings its frontmost dialog forward.
    virtual void bringToFront() = 0;
    // Brings forward the window that covers the main window.
    virtual void activateOpenWindow() = 0;
};

// The dialogs and jobs the main window starts; each runs modally and returns when done.
class MainWindowDialogs
{
public:
    virtual ~MainWindowDialogs() = default;
    // The send dialog, opened from the main window (not standalone, configured spool directory, spool
    // option set). Returns the address of the page the billing centre named after the upload, empty
    // when none.
    virtual std::string runSendDialog() = 0;
    // The test-transfer dialog "Testdatei senden".
    virtual void runTestFileDialog() = 0;
    virtual void runSetupDialog() = 0;
    // Downloads and starts the installer the login announced.
    virtual void runUpdate(const std::string& updateAddress) = 0;
    // The information dialog ("&Info").
    virtual void showInfo() = 0;
};

} // namespace bv
