#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace bv::fuzz {

// A directory of this fuzzing process for the files its readers open (in memory when /dev/shm exists).
inline const std::filesystem::path& scratchDirectory()
{
    static const std::filesystem::path dir = [] {
        std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/bv-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return dir;
}

inline std::filesystem::path writeScratch(const std::string& name, std::string_view bytes)
{
    const auto path = scratchDirectory() / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

} // namespace bv::fuzz
