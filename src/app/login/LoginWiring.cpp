#include "app/login/LoginWiring.h"

#include "app/core/AppInfo.h"
#include "app/core/ClientApp.h"
#include "config/CustomerNumbers.h"

namespace bv {

namespace {

// Name of the connection on a network, the only kind this machine has.
const char* const NetworkConnectionName = "LAN";

} // namespace

LoginDependencies loginDependencies(ClientApp& app, UiDispatcher& dispatcher, const std::string& browserVersion)
{
    std::string connectionName = app.connection().connectionName();
    if (connectionName.empty())
        connectionName = NetworkConnectionName;
    LoginDependencies deps{app.session(), app.contracts(), app.profile(), app.boxes(), dispatcher};
    deps.environment = {appinfo::VersionText, browserVersion, app.osDescription(), appinfo::LanguageCode,
                        connectionName};
    deps.agent = appinfo::ProgramTitle;
    deps.useProxy = app.useProxy();
    deps.appendCustomerNumber = [&app](const std::string& number) {
        const customers::StoreResult result = customers::appendStored(app.profile(), number);
        app.setCustomerNumbers(result.list);
    };
    return deps;
}

LoginService makeLoginService(ClientApp& app, LoginDialogRunner& dialog)
{
    return LoginService(app.session(), app.contracts(), app.profile(), app.boxes(), app.connection(), dialog,
                        appinfo::ProgramTitle, app.useProxy());
}

} // namespace bv
