#pragma once

#include <string_view>

namespace bv {

class MessageBoxes;
class ProfileStore;

// How the billing centre changes a profile value: as text or as number, always or only when the
// value does not exist yet.
enum class RemoteWriteKind
{
    String,
    Integer,
    CreateString,
    CreateInteger
};

// Applies a remote write "section/key=value" to the profile. A create-only write is skipped when
// the value exists. A write that fails, or a value that names no section or key, shows the warning
// that the registration data could not be updated. Returns whether the profile now holds the value.
bool applyRemoteWrite(ProfileStore& store, MessageBoxes& boxes, std::string_view assignment, RemoteWriteKind kind);

} // namespace bv
