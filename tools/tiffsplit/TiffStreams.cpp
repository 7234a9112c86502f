#include "TiffStreams.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace bv::tiffsplit {

namespace {

int recordError(TIFF*, void* userData, const char* module, const char* format, va_list args)
{
    auto* errors = static_cast<LibraryErrors*>(userData);
    if (errors->first.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        errors->first = std::string(module ? module : "") + ": " + text;
    }
    return 1;
}

int dropWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// New position for a seek, or -1 when it would lie before the start or overflow.
toff_t seekTo(std::uint64_t& position, std::uint64_t size, toff_t offset, int whence)
{
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = position;
    else if (whence == SEEK_END)
        base = size;
    else if (whence != SEEK_SET)
        return static_cast<toff_t>(-1);
    if (offset > UINT64_MAX / 2 || base > UINT64_MAX / 2)
        return static_cast<toff_t>(-1);
    position = base + offset;
    return position;
}

tmsize_t inputRead(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* stream = static_cast<InputStream*>(handle);
    if (size <= 0 || stream->position >= stream->data.size())
        return 0;
    const std::uint64_t n =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(size), stream->data.size() - stream->position);
    std::memcpy(buffer, stream->data.data() + stream->position, n);
    stream->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t inputWrite(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t inputSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* stream = static_cast<InputStream*>(handle);
    return seekTo(stream->position, stream->data.size(), offset, whence);
}

toff_t inputSize(thandle_t handle)
{
    return static_cast<InputStream*>(handle)->data.size();
}

int inputMap(thandle_t handle, void** base, toff_t* size)
{
    auto* stream = static_cast<InputStream*>(handle);
    *base = const_cast<char*>(stream->data.data());
    *size = stream->data.size();
    return 1;
}

tmsize_t outputRead(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* stream = static_cast<OutputStream*>(handle);
    if (size <= 0 || stream->position >= stream->bytes.size())
        return 0;
    const std::uint64_t n =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(size), stream->bytes.size() - stream->position);
    std::memcpy(buffer, stream->bytes.data() + stream->position, n);
    stream->position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t outputWrite(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* stream = static_cast<OutputStream*>(handle);
    if (size <= 0)
        return 0;
    const std::uint64_t end = stream->position + static_cast<std::uint64_t>(size);
    if (end > stream->bytes.size()) {
        if (stream->bytes.size() < end && stream->bytes.capacity() < end)
            stream->bytes.reserve(std::max<std::uint64_t>(end, 2 * stream->bytes.capacity()));
        stream->bytes.resize(end);
    }
    std::memcpy(stream->bytes.data() + stream->position, buffer, static_cast<std::size_t>(size));
    stream->position = end;
    return size;
}

toff_t outputSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* stream = static_cast<OutputStream*>(handle);
    return seekTo(stream->position, stream->bytes.size(), offset, whence);
}

toff_t outputSize(thandle_t handle)
{
    return static_cast<OutputStream*>(handle)->bytes.size();
}

int noMap(thandle_t, void**, toff_t*)
{
    return 0;
}

void noUnmap(thandle_t, void*, toff_t) {}

int noClose(thandle_t)
{
    return 0;
}

} // namespace

OpenOptions::OpenOptions(LibraryErrors& errors, std::uint64_t maxAllocation) : m_options(TIFFOpenOptionsAlloc())
{
    TIFFOpenOptionsSetErrorHandlerExtR(m_options, &recordError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(m_options, &dropWarning, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(m_options, static_cast<tmsize_t>(maxAllocation));
}

OpenOptions::~OpenOptions()
{
    TIFFOpenOptionsFree(m_options);
}

TIFF* openInput(InputStream& stream, const OpenOptions& options)
{
    // "c": the strips as they are stored, never cut into pieces, so that each page keeps its layout.
    return TIFFClientOpenExt("source", "rc", &stream, &inputRead, &inputWrite, &inputSeek, &noClose, &inputSize,
                             &inputMap, &noUnmap, options.get());
}

TIFF* openOutput(OutputStream& stream, const std::string& mode, const OpenOptions& options)
{
    return TIFFClientOpenExt("page", mode.c_str(), &stream, &outputRead, &outputWrite, &outputSeek, &noClose,
                             &outputSize, &noMap, &noUnmap, options.get());
}

MappedFile::MappedFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_error = errno;
        return;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        m_error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        m_error = EISDIR;
    } else if (!S_ISREG(status.st_mode)) {
        m_error = EINVAL;
    } else if (status.st_size > 0) {
        m_size = static_cast<std::size_t>(status.st_size);
        m_data = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (m_data == MAP_FAILED) {
            m_error = errno;
            m_data = nullptr;
            m_size = 0;
        }
    }
    ::close(fd);
}

MappedFile::~MappedFile()
{
    if (m_data != nullptr)
        ::munmap(m_data, m_size);
}

} // namespace bv::tiffsplit
