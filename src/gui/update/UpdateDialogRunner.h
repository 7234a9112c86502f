#pragma once

#include "app/update/UpdateController.h"

#include <string>

class QWidget;

namespace bv {

class ClientApp;
class ScriptedUser;

// Runs the update dialog modally for the installer at the update address: downloads it, asks
// whether to install it and starts it. In an unattended run the dialog is created but not shown: its
// transcript decorator writes the lines and answers for the user.
void runUpdateDialog(ClientApp& app, const std::string& updateAddress, QWidget* parent);

// The same with its dependencies and the scripted user (null when a person answers) given; returns
// how the dialog ended.
UpdateOutcome runUpdateDialog(UpdateDependencies dependencies, const std::string& updateAddress, QWidget* parent,
                              ScriptedUser* scriptedUser);

} // namespace bv
