#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace bv {

class MessageBoxes;
class Registry;

// Exit statuses of bvlsreg; practice software reads a negative one as "error, text on stderr".
namespace bvlsreg {
inline constexpr int Done = 0;
inline constexpr int NotInstalled = -1;
inline constexpr int Usage = -3;
} // namespace bvlsreg

// The configuration tool: "/ini <file>" runs the configuration interface on the file for practice
// software that does not start the client; "/W" prints where the client is installed. `args` are the
// command-line arguments without the program name. Message boxes of the interface go to `messageBoxes`.
int runBvlsreg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Registry& registry,
               MessageBoxes& messageBoxes);

// The same with console message boxes (stderr), as the program runs it.
int runBvlsreg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Registry& registry);

} // namespace bv
