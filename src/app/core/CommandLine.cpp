#include "app/core/CommandLine.h"

#include "app/core/AppInfo.h"
#include "platform/Text.h"

#include <array>
#include <utility>

namespace bv {

namespace {

// Switch table, compared exactly (case-sensitive) against slot 1.
constexpr std::array<std::pair<const char*, StartMode>, 6> Switches{{
    {"/setup", StartMode::Setup},
    {"/v", StartMode::SendDialog},
    {"/req", StartMode::Request},
    {"/ini", StartMode::IniImport},
    {"/conf", StartMode::NamedMainWindow},
    // "--FILEPARAM" as the parser stores it: the first "-" is replaced by "/".
    {"/-FILEPARAM", StartMode::ControlFile},
}};

std::string storedForm(const std::string& argument)
{
    // The framework drops the switch character and puts a single "/" back in front.
    if (!argument.empty() && (argument[0] == '-' || argument[0] == '/'))
        return "/" + argument.substr(1);
    return argument;
}

} // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments)
{
    CommandLine line;
    line.store.push_back("_appl_");
    for (const auto& argument : arguments)
        line.store.push_back(storedForm(argument));

    if (line.store.size() < 2) {
        line.mode = StartMode::MainWindow;
        return line;
    }

    const std::string& first = line.store[1];
    const std::string second = line.store.size() > 2 ? line.store[2] : std::string();
    bool matched = false;
    for (const auto& [text, mode] : Switches) {
        if (first == text) {
            line.mode = mode;
            line.parameter = second;
            matched = true;
            break;
        }
    }
    if (!matched) {
        line.mode = StartMode::ControlFile;
        line.parameter = first;
    }
    if (line.mode == StartMode::NamedMainWindow) {
        line.configName = line.parameter;
        line.parameter.clear();
    }
    return line;
}

std::string CommandLine::instanceName() const
{
    if (configName.empty())
        return appinfo::DefaultInstanceName;
    return strFormat(appinfo::NamedInstanceFormat, configName.c_str());
}

} // namespace bv
