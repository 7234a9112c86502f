#include "app/send/SendWiring.h"

#include "app/core/AppInfo.h"
#include "app/core/ClientApp.h"
#include "billing/FeeValueTable.h"

namespace bv {

FeeValueTable& processFeeValueTable()
{
    static FeeValueTable table;
    return table;
}

SendDialogDependencies sendDialogDependencies(ClientApp& app, LoginService& login, UploadStarter& starter,
                                              UiDispatcher& dispatcher, KeepAliveTimer& timer,
                                              const files::RemovableProbe& removableProbe)
{
    SendDialogDependencies deps(app.profile(), app.boxes(), login, starter, dispatcher, timer, processFeeValueTable(),
                                removableProbe);
    deps.agent = appinfo::ProgramTitle;
    deps.useProxy = app.useProxy();
    deps.edition = app.edition();
    return deps;
}

TestFileDependencies testFileDependencies(ClientApp& app, UploadStarter& starter, UiDispatcher& dispatcher,
                                          FileChooser& chooser)
{
    TestFileDependencies deps(app.profile(), app.boxes(), app.session(), app.contracts(), starter, dispatcher, chooser);
    deps.agent = appinfo::ProgramTitle;
    deps.useProxy = app.useProxy();
    return deps;
}

} // namespace bv
