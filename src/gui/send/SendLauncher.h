#pragma once

#include "app/send/SendDialogMode.h"

#include <string>

class QWidget;

namespace bv {

class ClientApp;
class UploadStarter;

// Runs the send dialog modally for the application. Returns the address of the page the billing
// centre named after a transmission (empty when none); the caller shows it, in the standalone case by
// starting the main window with "StartURL:" and that address.
std::string runSendDialog(ClientApp& app, const SendDialogMode& mode, UploadStarter& starter,
                          QWidget* parent = nullptr);

// Runs the test-file dialog "Testdatei senden" modally.
void runTestFileDialog(ClientApp& app, UploadStarter& starter, QWidget* parent = nullptr);

} // namespace bv
