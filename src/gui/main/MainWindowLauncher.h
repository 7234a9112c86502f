#pragma once

#include <functional>
#include <string>

class QWidget;

namespace bv {

class CInstanceChecker;
class ClientApp;

// The dialogs other parts of the client provide to the main window; each runs modally over
// `parent`. The update defaults to the client's update dialog; a send or test-transfer dialog that
// is not given does nothing when asked for.
struct MainWindowServices
{
    // The send dialog opened from the main window (standalone flag clear, configured spool directory,
    // spool option set); returns the address of the page the billing centre named after the upload.
    std::function<std::string(QWidget* parent)> sendDialog;
    // The test-transfer dialog "Testdatei senden".
    std::function<void(QWidget* parent)> testFileDialog;
    // The auto-update: download and start of the installer the login announced.
    std::function<void(const std::string& updateAddress, QWidget* parent)> update;
};

// Runs the main window modally with its start request ("REQ:<file>", "StartURL:<address>" or
// empty). During its initialisation it publishes itself through the checker, so that later starts
// hand their requests to it; when it has ended, requests that arrive are no longer waited for, and
// the caller may destroy the checker.
void runMainWindow(ClientApp& app, const std::string& startRequest, CInstanceChecker& checker,
                   const MainWindowServices& services = {});

} // namespace bv
