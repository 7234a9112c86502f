#pragma once

#include <string>
#include <vector>

namespace bv {

// How the client was started; each mode runs exactly one window or job.
enum class StartMode
{
    MainWindow = 1,      // no argument
    Setup = 2,           // "/setup"
    SendDialog = 3,      // "/v"
    Request = 4,         // "/req <file>"
    IniImport = 5,       // "/ini <file>"
    NamedMainWindow = 6, // "/conf <name>"
    ControlFile = 7      // "--FILEPARAM <file>", or any other first argument
};

// The command line as the framework's parser stores it: slot 0 holds "_appl_", the first argument
// slot 1, the second slot 2. A leading "-" of a switch is stored as "/", so "-setup" equals "/setup".
struct CommandLine
{
    std::vector<std::string> store;
    StartMode mode = StartMode::MainWindow;
    std::string parameter;  // the argument that belongs to the mode
    std::string configName; // only set by "/conf"

    static CommandLine parse(const std::vector<std::string>& arguments);

    // "brevalis_Client_CH_FR", or "brevalis_Client_<name>" for a named configuration.
    std::string instanceName() const;
};

} // namespace bv
