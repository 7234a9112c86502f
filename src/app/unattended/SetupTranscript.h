#pragma once

namespace bv {

class ScriptedUser;
class SetupController;

// The setup dialog of an unattended run, in place of the window: writes its open and close lines and
// takes "setup<TAB>directory<TAB>useproxy 0|1<TAB>uselan 0|1" (the directory choice with these
// values, then OK) or "cancel"; no fitting answer cancels. True after OK.
bool runSetupTranscript(ScriptedUser& user, SetupController& controller);

} // namespace bv
