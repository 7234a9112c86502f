#pragma once

#include <filesystem>

namespace bv {

// How the send dialog is opened: standalone when no main window runs behind it (the command-line send
// mode, the practice software), the spool directory it reads (resolved by whoever opens the dialog),
// and the spool option that the spool of fixed-record deliveries takes.
struct SendDialogMode
{
    bool standalone = false;
    std::filesystem::path spoolDirectory; // empty: the spool has no directory, nothing waits
    bool spoolOption = false;
};

} // namespace bv
