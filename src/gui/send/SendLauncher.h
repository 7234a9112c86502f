#pragma once

#include <string>

class QWidget;

namespace bv {

class ClientApp;
class UploadStarter;

// Runs the send dialog modally for the application: `standalone` when no main window runs (the
// command-line send mode and the practice-software interface), an empty `spoolDirectory` for the
// configured one. Returns the address of the page the billing centre named after a transmission
// (empty when none); the caller shows it, in the standalone case by starting the main window with
// "StartURL:" and that address.
std::string runSendDialog(ClientApp& app, bool standalone, const std::string& spoolDirectory, bool spoolOption,
                          UploadStarter& starter, QWidget* parent = nullptr);

// Runs the test-file dialog "Testdatei senden" modally.
void runTestFileDialog(ClientApp& app, UploadStarter& starter, QWidget* parent = nullptr);

} // namespace bv
