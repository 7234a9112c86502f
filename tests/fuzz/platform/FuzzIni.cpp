// INI texts: parsing, reading, one write and serialising never crash, and the serialised text reads
// back with the same values as the document it came from.
#include "platform/PrivateProfile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void expectSameValues(const bv::IniDocument& a, const bv::IniDocument& b)
{
    if (a.sectionNames() != b.sectionNames())
        std::abort();
    for (const auto& section : a.sectionNames()) {
        if (a.keyNames(section) != b.keyNames(section))
            std::abort();
        for (const auto& key : a.keyNames(section)) {
            if (a.value(section, key) != b.value(section, key))
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // The first bytes up to a NUL choose the section, key and value of the write.
    std::string section = "Status_Request", key = "Kundennummer", value = "000012";
    if (const auto nul = text.find('\0'); nul != std::string_view::npos && nul < 64) {
        const std::string_view choice = text.substr(0, nul);
        const auto a = choice.find('|');
        const auto b = a == std::string_view::npos ? a : choice.find('|', a + 1);
        if (b != std::string_view::npos) {
            section = choice.substr(0, a);
            key = choice.substr(a + 1, b - a - 1);
            value = choice.substr(b + 1);
        }
        text.remove_prefix(nul + 1);
    }
    bv::IniDocument doc = bv::IniDocument::parse(text);
    if (doc.serialize() != text)
        std::abort(); // an untouched document is the file byte for byte
    for (const auto& s : doc.sectionNames())
        for (const auto& k : doc.keyNames(s))
            (void)doc.value(s, k);
    if (doc.setValue(section, key, value)) {
        const auto read = doc.value(section, key);
        if (!read)
            std::abort();
    }
    const bv::IniDocument again = bv::IniDocument::parse(doc.serialize());
    expectSameValues(doc, again);
    doc.setValue(section, key, std::nullopt);
    doc.removeSection(section);
    expectSameValues(doc, bv::IniDocument::parse(doc.serialize()));
    return 0;
}
