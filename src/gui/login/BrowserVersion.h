#pragma once

#include <string>

namespace bv {

// The embedded browser's build and version as the login reports them: the Qt WebEngine version and
// the Chromium version it is built on, joined by "/" ("6.4.2/102.0.5005.177").
std::string browserVersionText();

} // namespace bv
