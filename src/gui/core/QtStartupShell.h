#pragma once

#include "app/core/Startup.h"

namespace bv {

// The windows of start-up, drawn with Qt.
class QtStartupShell : public StartupShell
{
public:
    void runSetupDialog(ClientApp& app) override;
    void runMainWindow(ClientApp& app, const std::string& startRequest, CInstanceChecker& checker) override;
    void runSendDialog(ClientApp& app, const SendDialogMode& mode) override;
};

} // namespace bv
