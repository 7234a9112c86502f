#include "billing/SpoolFixtures.h"

#include <cstdlib>

namespace bv {

ScopedTemporaryDirectory::ScopedTemporaryDirectory()
{
    if (const char* previous = std::getenv("TMPDIR"))
        m_previous = previous;
    setenv("TMPDIR", m_dir.path().c_str(), 1);
}

ScopedTemporaryDirectory::~ScopedTemporaryDirectory()
{
    if (m_previous)
        setenv("TMPDIR", m_previous->c_str(), 1);
    else
        unsetenv("TMPDIR");
}

std::map<std::string, std::string> filesBelow(const std::filesystem::path& directory)
{
    std::map<std::string, std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
        if (entry.is_regular_file())
            out[std::filesystem::relative(entry.path(), directory).string()] =
                files::readFile(entry.path()).value_or("<unreadable>");
    }
    return out;
}

} // namespace bv
