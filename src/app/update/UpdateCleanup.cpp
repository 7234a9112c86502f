#include "app/update/UpdateCleanup.h"

#include "config/Profile.h"
#include "platform/Files.h"

namespace bv
{

void cleanUpAfterUpdate(Profile& profile)
{
    const std::string file = profile.readString(section::General, "AutoUpdateFile");
    if (file.empty() || profile.readString(section::General, "AutoUpdateSuccess") != "1")
        return;
    files::removeFile(file); // a file that is already gone is no reason to stop
    profile.writeString(section::General, "AutoUpdateFile", "");
    profile.writeString(section::General, "AutoUpdateSuccess", "");
}

} // namespace bv
