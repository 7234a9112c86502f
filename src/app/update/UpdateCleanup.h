#pragma once

namespace bv
{

class Profile;

// After an auto-update the installer reports its success in the profile; the next start deletes the
// downloaded installer and forgets it. An installer that never reported success is left alone.
void cleanUpAfterUpdate(Profile& profile);

} // namespace bv
