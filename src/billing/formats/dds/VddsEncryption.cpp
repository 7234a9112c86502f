#include "billing/formats/dds/VddsEncryption.h"

#include "billing/AdzCodes.h"
#include "billing/CAbrechnungsDatei.h"
#include "billing/CAdzException.h"
#include "billing/OpenFile.h"
#include "billing/formats/dds/DdsTexts.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace bv {

void vdds::cipherBlock(const Key& key, unsigned char* data, std::size_t length)
{
    std::array<unsigned char, 256> s{};
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<unsigned char>(i);
    unsigned j = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        j = (j + s[i] + key[i % KeySize]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    unsigned i = 0;
    for (std::size_t n = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

int IsVddsEncrypted(const std::filesystem::path& path)
{
    auto file = OpenFile::open(path);
    if (!file)
        return 0;
    vdds::Key key{};
    if (file->readAt(vdds::KeyOffset, key.data(), key.size()) != static_cast<std::int64_t>(key.size()))
        return 0;
    std::array<unsigned char, vdds::BlockSize> block{};
    const std::int64_t n = file->readAt(vdds::HeaderSize, block.data(), block.size());
    // The first plain block holds at least two 256-byte records of a real delivery.
    if (n < 513)
        return 0;
    vdds::cipherBlock(key, block.data(), static_cast<std::size_t>(n));

    for (std::size_t k = 0; k < 10; ++k) {
        if (block[k] < '0' || block[k] > '9')
            return 0;
    }
    // Record type 0010 or 0100 of the first record; its header names the interface in bytes 8-9.
    const std::string_view text(reinterpret_cast<const char*>(block.data()), static_cast<std::size_t>(n));
    const std::string_view recordType = text.substr(23, 3);
    if (recordType != "010" && recordType != "100")
        return 0;
    return decimalInt(text.substr(8, 2));
}

namespace {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

CAdzException unwrapFailure(const std::filesystem::path& path, const SystemError& error)
{
    return BV_ADZ_ERROR(adz::Structural, FileAccessMessage(path.string(), error));
}

// Deciphers the delivery block by block into a new file at `target`.
void writePlainFile(const std::filesystem::path& delivery, const std::filesystem::path& target,
                    const PlainWriter& writer)
{
    SystemError error;
    auto in = OpenFile::open(delivery, &error);
    if (!in)
        throw unwrapFailure(delivery, error);
    vdds::Key key{};
    if (in->readAt(vdds::KeyOffset, key.data(), key.size()) != static_cast<std::int64_t>(key.size()))
        throw unwrapFailure(delivery, systemError(EIO));
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw unwrapFailure(target, lastSystemError());
    std::array<unsigned char, vdds::BlockSize> block{};
    std::int64_t offset = vdds::HeaderSize;
    bool ok = true;
    for (;;) {
        const std::int64_t n = in->readAt(offset, block.data(), block.size());
        if (n < 0) {
            error = lastSystemError();
            ok = false;
            break;
        }
        if (n == 0)
            break;
        vdds::cipherBlock(key, block.data(), static_cast<std::size_t>(n));
        const std::string_view bytes(reinterpret_cast<const char*>(block.data()), static_cast<std::size_t>(n));
        if (!(writer ? writer(fd, bytes) : writeAll(fd, bytes))) {
            error = lastSystemError();
            ok = false;
            break;
        }
        offset += n;
    }
    if (ok && ::fsync(fd) != 0) {
        error = lastSystemError();
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = lastSystemError();
        ok = false;
    }
    if (!ok) {
        files::removeFile(target);
        throw unwrapFailure(target, error.code ? error : SystemError{EIO, systemErrorText(EIO)});
    }
}

} // namespace

std::string UnwrapVddsEncrypted(const std::filesystem::path& path, const std::string& keepName,
                                const PlainWriter& writer)
{
    const std::filesystem::path keep =
        keepName.empty() ? std::filesystem::path(strFormat(dds_texts::EncipheredKeepName, path.c_str(),
                                                           LocalTimeText(std::time(nullptr), "%Y%m%d%H%M%S").c_str()))
                         : std::filesystem::path(keepName);
    const std::filesystem::path temporary = path.string() + ".~VDDS";
    writePlainFile(path, temporary, writer);

    // The delivery gets its second name while it keeps its first, then the plain file takes the first.
    if (::link(path.c_str(), keep.c_str()) != 0) {
        const SystemError linkError = lastSystemError();
        // A file system without hard links: the delivery is copied to its second name instead.
        const bool copied = linkError.code != EEXIST && !files::copyFile(path, keep, false);
        if (!copied) {
            files::removeFile(temporary);
            throw unwrapFailure(keep, linkError);
        }
    }
    if (const SystemError error = files::moveFile(temporary, path, true)) {
        files::removeFile(temporary);
        files::removeFile(keep);
        throw unwrapFailure(path, error);
    }
    return path.string();
}

} // namespace bv
