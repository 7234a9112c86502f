#pragma once

#include <cstddef>
#include <string>

namespace bv {

// At most this many bytes of a request file are posted.
inline constexpr std::size_t RequestFileLimit = 32768;

// A request file as the main window posts it: its first 32768 bytes up to the first zero byte.
// When it cannot be opened or read, `cause` holds the file-error cause number the message shows.
struct RequestFile
{
    bool opened = false;
    int cause = 0;
    std::string postData;
};

RequestFile readRequestFile(const std::string& path);

} // namespace bv
