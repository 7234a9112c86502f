#pragma once

#include "platform/MemoryProfileStore.h"
#include "platform/MessageBoxes.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/Text.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace bv::test {

// Message boxes that record what was shown and answer from a script.
using RecordingBoxes = RecordingMessageBoxes;

} // namespace bv::test
