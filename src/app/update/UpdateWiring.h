#pragma once

#include "app/update/UpdateController.h"

namespace bv {

class ClientApp;

// What the update dialog of this process works with, taken from the application object: its message
// boxes and profile, the program title as agent, the configured proxy choice, the system's temporary
// directory and the connection handling's hang-up.
UpdateDependencies updateDependencies(ClientApp& app, UiDispatcher& dispatcher, InstallerLauncher& launcher);

} // namespace bv
