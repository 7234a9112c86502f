#pragma once

#include "app/login/LoginView.h"

namespace bv {

// Runs the login dialog modally for the login the session record describes; the Qt layer draws it,
// tests answer with a script.
class LoginDialogRunner
{
public:
    virtual ~LoginDialogRunner() = default;
    virtual LoginDialogResult runLoginDialog() = 0;
};

} // namespace bv
