#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace bv {

// A fresh directory under the temporary directory, removed with everything in it on destruction.
class TempDir
{
public:
    explicit TempDir(const std::string& prefix = "bv-test-");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(const std::string& relative) const { return m_path / relative; }

    // Writes the bytes as they are (creating parent directories); returns the file's path.
    std::filesystem::path write(const std::string& relative, std::string_view bytes) const;
    // The file's bytes; empty when it does not exist.
    std::string read(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

} // namespace bv
