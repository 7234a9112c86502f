#include "bvcentre/UploadFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace bv::testing {

UploadFile::~UploadFile()
{
    finish(false);
}

bool UploadFile::open(const std::filesystem::path& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    for (unsigned number = 1; number < 1'000'000; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "upload-%06u.bin", number);
        m_final = dir / name;
        m_part = dir / (std::string(name) + ".part");
        if (std::filesystem::exists(m_final, error)) {
            continue;
        }
        const int fd = ::open(m_part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            m_file = fdopen(fd, "wb");
            if (m_file == nullptr) {
                ::close(fd);
                std::filesystem::remove(m_part, error);
                return false;
            }
            std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

bool UploadFile::write(const char* data, std::size_t length)
{
    return m_file != nullptr && std::fwrite(data, 1, length, m_file) == length;
}

std::filesystem::path UploadFile::finish(bool complete)
{
    if (m_file == nullptr) {
        return {};
    }
    const bool written = std::fclose(m_file) == 0;
    m_file = nullptr;
    std::error_code error;
    if (complete && written) {
        std::filesystem::rename(m_part, m_final, error);
        if (!error) {
            return m_final;
        }
    }
    std::filesystem::remove(m_part, error);
    return {};
}

} // namespace bv::testing
