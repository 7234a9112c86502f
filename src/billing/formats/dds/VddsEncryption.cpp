#include "billing/formats/dds/VddsEncryption.h"

#include "billing/OpenFile.h"
#include "platform/Text.h"

#include <string_view>
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

} // namespace bv
