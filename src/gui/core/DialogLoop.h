#pragma once

class QDialog;

namespace bv {

// Runs a dialog until it has finished: shown and modal when a person answers it, in a local loop
// without showing it when a scripted user does (its transcript decorator tells what it shows).
void runDialogLoop(QDialog& dialog, bool scripted);

} // namespace bv
