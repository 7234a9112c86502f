#include "bvcentre/CommandLine.h"

#include "bvcentre/ControlEndpoint.h"

namespace bv::testing {

CentreCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CentreCommandLine line;
    line.options.controlEndpoints = true;
    bool allowSendTest = false;
    for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h") {
            line.help = true;
            continue;
        }
        if (option == "--allow-send-test") {
            allowSendTest = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            line.error = option.rfind("--", 0) == 0 ? option + " needs a value" : "unknown argument " + option;
            break;
        }
        const std::string& value = arguments[++i];
        std::uint64_t number = 0;
        if (option == "--port") {
            if (!parseUnsigned(value, number) || number > 65535) {
                line.error = "--port needs a port number";
            }
            line.options.port = static_cast<int>(number);
        } else if (option == "--port-file") {
            line.portFile = value;
        } else if (option == "--cert") {
            line.options.certFile = value;
        } else if (option == "--key") {
            line.options.keyFile = value;
        } else if (option == "--upload-dir") {
            line.options.uploadDir = value;
        } else if (option == "--account") {
            std::string why;
            if (std::optional<Account> account = parseAccountPlan(value, why)) {
                line.accounts.push_back(std::move(*account));
            } else {
                line.error = "--account " + value + ": " + why;
            }
        } else if (option == "--installer-size") {
            if (!parseUnsigned(value, number)) {
                line.error = "--installer-size needs a number of bytes";
            }
            line.installerSize = number;
        } else if (option == "--update-offer") {
            line.updateOffer = value;
        } else if (option == "--start-path") {
            line.startPath = value;
        } else {
            line.error = "unknown option " + option;
        }
    }
    if (line.error.empty() && line.options.certFile.empty() != line.options.keyFile.empty()) {
        line.error = "--cert and --key go together";
    }
    for (Account& account : line.accounts) {
        account.allowSendTest = account.allowSendTest || allowSendTest;
    }
    return line;
}

} // namespace bv::testing
