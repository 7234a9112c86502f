#pragma once

#include "app/update/UpdateController.h"

#include <string>

class QWidget;

namespace bv {

class ClientApp;

// Runs the update dialog modally for the installer at the update address: downloads it, asks
// whether to install it and starts it. In an unattended run the dialog is created but not shown: it
// writes its "DIALOG" lines, takes the answer "cancel" while downloading when that is the next one,
// and otherwise lets the download finish; the install question is a message box.
void runUpdateDialog(ClientApp& app, const std::string& updateAddress, QWidget* parent);

// The same with its dependencies given; returns how the dialog ended.
UpdateOutcome runUpdateDialog(UpdateDependencies dependencies, const std::string& updateAddress, QWidget* parent);

} // namespace bv
