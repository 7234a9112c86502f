#pragma once

#include <memory>
#include <string>

namespace bv {
class CAbrechnungsDatei;
}

namespace bv::test {

// An RZ2 file read whole, its attachment directory below `temporaryDirectory`. (The reader's
// headers stay out of the test, whose attachment entries are the store's.)
std::unique_ptr<CAbrechnungsDatei> openRz2(const std::string& path, const std::string& temporaryDirectory);

} // namespace bv::test
