#pragma once

#include "app/login/LoginController.h"
#include "app/login/LoginService.h"

#include <string>

namespace bv {

class ClientApp;
class LoginDialogRunner;
class UiDispatcher;

// What the login dialog of this process works with, taken from the application object: its
// session, contracts and profile, the program title as agent, the proxy choice, and the login
// parameters' description of this machine. `browserVersion` comes from the embedded browser.
LoginDependencies loginDependencies(ClientApp& app, UiDispatcher& dispatcher, const std::string& browserVersion);

// The session operations of this process, logging in through `dialog`.
LoginService makeLoginService(ClientApp& app, LoginDialogRunner& dialog);

} // namespace bv
