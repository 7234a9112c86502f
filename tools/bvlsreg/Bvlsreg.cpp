#include "Bvlsreg.h"

#include "config/ConfigTexts.h"
#include "config/ConfigurationInterface.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <ostream>

namespace bv {

namespace {

int printUsage(std::ostream& out)
{
    for (const char* line : configtext::UsageLines)
        out << line;
    out.flush();
    return bvlsreg::Usage;
}

// The client writes its own path into the profile at every start; a profile without it belongs to a
// user for whom the client was never set up.
std::string clientPath(const ProfileStore& profile)
{
    return profile.read(profilekey::ClientPath);
}

} // namespace

int runBvlsreg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Registry& registry,
               MessageBoxes& messageBoxes)
{
    Profile profile(registry);
    if (args.size() == 2 && toUpper(args[0]) == "/INI") {
        if (clientPath(profile).empty()) {
            err << configtext::NotInstalled << std::flush;
            return bvlsreg::NotInstalled;
        }
        // Whether the interface could write its report is told in the file itself and on screen;
        // the exit status only says that the run took place.
        ConfigurationInterface(ConfigurationInterface::Variant::Tool, profile, messageBoxes, err).run(args[1]);
        return bvlsreg::Done;
    }
    if (args.size() == 1 && startsWith(toUpper(args[0]), "/W")) {
        // The short (8.3) form of the path would go out here; Linux has none, so the path is printed as
        // stored.
        out << clientPath(profile) << "\n" << std::flush;
        return bvlsreg::Done;
    }
    return printUsage(out);
}

int runBvlsreg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Registry& registry)
{
    ConsoleMessageBoxes messageBoxes;
    return runBvlsreg(args, out, err, registry, messageBoxes);
}

} // namespace bv
