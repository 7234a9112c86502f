#include "billing/formats/cha/ZipPackageWriter.h"

#include <minizip/zip.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

using Error = ZipPackageWriter::Error;

zipFile handle(void* zip)
{
    return static_cast<zipFile>(zip);
}

// The library reports failed reads and writes of its archive file as ZIP_ERRNO.
Error libraryError(int code, const std::string& what)
{
    if (code == ZIP_ERRNO)
        return Error(Error::Kind::File, what + ": " + std::strerror(errno));
    return Error(Error::Kind::Zip, what + " (" + std::to_string(code) + ")");
}

bool isAscii(const std::string& text)
{
    for (const unsigned char c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

// RAII for the source file descriptor.
struct Source
{
    int fd;
    ~Source()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

ZipPackageWriter::ZipPackageWriter(const std::filesystem::path& archive)
    : m_path(archive), m_buffer(std::make_unique<char[]>(BufferSize))
{
    errno = 0;
    m_zip = zipOpen64(archive.c_str(), APPEND_STATUS_CREATE);
    if (!m_zip)
        throw Error(Error::Kind::File, "cannot create " + archive.string() + ": " + std::strerror(errno));
}

ZipPackageWriter::~ZipPackageWriter()
{
    if (m_zip)
        zipClose(handle(m_zip), nullptr);
}

void ZipPackageWriter::openEntry(const std::filesystem::path& file, const std::string& entryName, bool raw,
                                 std::uint64_t size)
{
    if (!m_zip)
        throw Error(Error::Kind::Zip, "archive already closed");
    struct stat st
    {
    };
    if (::stat(file.c_str(), &st) != 0)
        throw Error(Error::Kind::File, "cannot read " + file.string() + ": " + std::strerror(errno));

    zip_fileinfo info{};
    std::tm local{};
    const std::time_t mtime = st.st_mtime;
    localtime_r(&mtime, &local);
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    info.external_fa = static_cast<uLong>(st.st_mode & 0777) << 16;

    // Bit 11 of the general purpose flags marks a UTF-8 entry name.
    const uLong flags = isAscii(entryName) ? 0 : (1u << 11);
    const int zip64 = size >= 0xFFFFFFFFULL ? 1 : 0;
    const int rc = zipOpenNewFileInZip4_64(handle(m_zip), entryName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                           Z_DEFLATED, Z_DEFAULT_COMPRESSION, raw ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                           Z_DEFAULT_STRATEGY, nullptr, 0, 0, flags, zip64);
    if (rc != ZIP_OK)
        throw libraryError(rc, "cannot add " + entryName);
}

void ZipPackageWriter::addFile(const std::filesystem::path& file, const std::string& entryName)
{
    Source source{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat st
    {
    };
    if (source.fd < 0 || ::fstat(source.fd, &st) != 0)
        throw Error(Error::Kind::File, "cannot read " + file.string() + ": " + std::strerror(errno));
    ::posix_fadvise(source.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    openEntry(file, entryName, false, static_cast<std::uint64_t>(st.st_size));
    for (;;) {
        const ssize_t n = ::read(source.fd, m_buffer.get(), BufferSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error(Error::Kind::File, "cannot read " + file.string() + ": " + std::strerror(errno));
        }
        if (n == 0)
            break;
        const int rc = zipWriteInFileInZip(handle(m_zip), m_buffer.get(), static_cast<unsigned>(n));
        if (rc != ZIP_OK)
            throw libraryError(rc, "cannot write " + entryName);
    }
    const int rc = zipCloseFileInZip(handle(m_zip));
    if (rc != ZIP_OK)
        throw libraryError(rc, "cannot finish " + entryName);
}

bool ZipPackageWriter::deflateFile(const std::filesystem::path& file, Deflated& out)
{
    Source source{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
    if (source.fd < 0)
        return false;
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    auto buffer = std::make_unique<char[]>(BufferSize);
    out = Deflated{};
    out.crc = crc32(0L, nullptr, 0);
    bool ok = true;
    for (int flush = Z_NO_FLUSH; flush != Z_FINISH && ok;) {
        const ssize_t n = ::read(source.fd, buffer.get(), BufferSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        out.crc = crc32(out.crc, reinterpret_cast<const Bytef*>(buffer.get()), static_cast<uInt>(n));
        out.size += static_cast<std::uint64_t>(n);
        stream.next_in = reinterpret_cast<Bytef*>(buffer.get());
        stream.avail_in = static_cast<uInt>(n);
        do {
            const std::size_t used = out.data.size();
            out.data.resize(used + BufferSize);
            stream.next_out = reinterpret_cast<Bytef*>(out.data.data() + used);
            stream.avail_out = static_cast<uInt>(BufferSize);
            const int rc = deflate(&stream, flush);
            out.data.resize(used + BufferSize - stream.avail_out);
            if (rc == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    // Kept in memory until its turn: no more than the deflated bytes.
    out.data.shrink_to_fit();
    return ok;
}

void ZipPackageWriter::addDeflated(const std::filesystem::path& file, const std::string& entryName,
                                   const Deflated& deflated)
{
    openEntry(file, entryName, true, deflated.size);
    if (!deflated.data.empty()) {
        const int rc =
            zipWriteInFileInZip(handle(m_zip), deflated.data.data(), static_cast<unsigned>(deflated.data.size()));
        if (rc != ZIP_OK)
            throw libraryError(rc, "cannot write " + entryName);
    }
    const int rc = zipCloseFileInZipRaw64(handle(m_zip), deflated.size, deflated.crc);
    if (rc != ZIP_OK)
        throw libraryError(rc, "cannot finish " + entryName);
}

void ZipPackageWriter::close()
{
    if (!m_zip)
        return;
    // Closing flushes the archive and reports a failed write. It is not synced to disk: a package
    // is scratch data, built anew whenever the send dialog opens, and never read after a restart.
    const int rc = zipClose(handle(m_zip), nullptr);
    m_zip = nullptr;
    if (rc != ZIP_OK)
        throw libraryError(rc, "cannot close " + m_path.string());
}

} // namespace bv
