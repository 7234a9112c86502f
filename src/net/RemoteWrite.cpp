#include "net/RemoteWrite.h"

#include "net/NetTexts.h"
#include "config/ProfileStore.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <string>

namespace bv {

namespace {

// Defaults that tell a missing value from an existing one.
const char* const StringNotDefined = "BVNOTDEFINED";
constexpr int IntegerNotDefined = -999999;

} // namespace

bool applyRemoteWrite(ProfileStore& store, MessageBoxes& boxes, std::string_view assignment, RemoteWriteKind kind)
{
    const std::size_t equals = assignment.find('=');
    const std::string_view target = assignment.substr(0, equals);
    const std::size_t slash = target.find('/');
    // Without "=" or "/" the server named no value; writing it anyway would land under an empty
    // section or key name.
    if (equals == std::string_view::npos || slash == std::string_view::npos || slash == 0 ||
        slash + 1 == target.size()) {
        boxes.show(nettext::RemoteWriteFailed, nettext::Caption, MbIcon::Warning);
        return false;
    }
    const std::string section(target.substr(0, slash));
    const std::string key(target.substr(slash + 1));
    const std::string value(assignment.substr(equals + 1));

    bool ok = true;
    switch (kind) {
    case RemoteWriteKind::String:
        ok = store.writeString(section, key, value);
        break;
    case RemoteWriteKind::Integer:
        ok = store.writeInt(section, key, decimalInt(value));
        break;
    case RemoteWriteKind::CreateString:
        if (store.readString(section, key, StringNotDefined) != StringNotDefined)
            return true;
        ok = store.writeString(section, key, value);
        break;
    case RemoteWriteKind::CreateInteger:
        if (store.readInt(section, key, IntegerNotDefined) != IntegerNotDefined)
            return true;
        ok = store.writeInt(section, key, decimalInt(value));
        break;
    }
    if (!ok)
        boxes.show(nettext::RemoteWriteFailed, nettext::Caption, MbIcon::Warning);
    return ok;
}

} // namespace bv
