#include "platform/TempDir.h"

#include "platform/Files.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace bv {

TempDir::TempDir(const std::string& prefix)
{
    std::string pattern = files::temporaryDirectory() + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("cannot create a temporary directory from " + pattern);
    m_path = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests make directories read-only to provoke errors; give the rights back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDir::write(const std::string& relative, std::string_view bytes) const
{
    const std::filesystem::path p = m_path / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::read(const std::string& relative) const
{
    return files::readFile(m_path / relative).value_or(std::string());
}

} // namespace bv
