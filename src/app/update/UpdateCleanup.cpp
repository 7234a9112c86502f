#include "app/update/UpdateCleanup.h"

#include "config/ProfileStore.h"
#include "platform/Files.h"

namespace bv {

void cleanUpAfterUpdate(ProfileStore& profile)
{
    const std::string file = profile.read(profilekey::AutoUpdateFile);
    if (file.empty() || profile.read(profilekey::AutoUpdateSuccess) != "1")
        return;
    files::removeFile(file); // a file that is already gone is no reason to stop
    profile.write(profilekey::AutoUpdateFile, "");
    profile.write(profilekey::AutoUpdateSuccess, "");
}

} // namespace bv
