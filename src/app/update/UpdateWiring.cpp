#include "app/update/UpdateWiring.h"

#include "app/core/AppInfo.h"
#include "app/core/ClientApp.h"
#include "platform/Files.h"

namespace bv {

UpdateDependencies updateDependencies(ClientApp& app, UiDispatcher& dispatcher, InstallerLauncher& launcher)
{
    UpdateDependencies deps(app.boxes(), app.profile(), dispatcher, launcher);
    deps.hangUp = [&app](bool ask) { app.connection().hangUp(ask); };
    deps.temporaryDirectory = files::temporaryDirectory();
    deps.agent = appinfo::ProgramTitle;
    deps.useProxy = app.useProxy();
    return deps;
}

} // namespace bv
