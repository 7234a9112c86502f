#pragma once

namespace bv {

class ProfileStore;

// After an auto-update the installer reports its success in the profile; the next start deletes the
// downloaded installer and forgets it. An installer that never reported success is left alone.
void cleanUpAfterUpdate(ProfileStore& profile);

} // namespace bv
