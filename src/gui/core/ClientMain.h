#pragma once

#include "billing/Edition.h"

namespace bv {

// The client's whole run: settles the start mode from the command line, loads the configuration and
// runs exactly one window or job; gives the process's exit status. `edition` names the spool types
// this build sends.
int runClient(int argc, char* argv[], Edition edition);

} // namespace bv
