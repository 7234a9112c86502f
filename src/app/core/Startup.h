#pragma once

#include "app/send/SendDialogMode.h"

#include <string>

namespace bv {

class CInstanceChecker;
class ClientApp;

// The windows and jobs start-up can run; the GUI layer provides them.
class StartupShell
{
public:
    virtual ~StartupShell() = default;
    // The setup dialog, modally.
    virtual void runSetupDialog(ClientApp& app) = 0;
    // The main window, modally, with its start request; it publishes itself through the checker
    // during its initialisation.
    virtual void runMainWindow(ClientApp& app, const std::string& startRequest, CInstanceChecker& checker) = 0;
    // The send dialog, modally.
    virtual void runSendDialog(ClientApp& app, const SendDialogMode& mode) = 0;
};

// Start-up after the command line was parsed: settles the machine-wide values, loads the
// configuration and runs exactly one window or job by start mode. Returns the process exit status,
// which carries no result (practice software reads its results from the control file).
int runStartup(ClientApp& app, StartupShell& shell);

// The single-instance rule: a second start for the same instance name hands its request to the
// running main window and ends; otherwise the main window runs here.
void runMainWindowOnce(ClientApp& app, StartupShell& shell, const std::string& startRequest);

} // namespace bv
