// INI texts: parsing, reading, one write and serialising never crash, the serialised text reads
// back with the same values as the document it came from, and the one-pass reader finds what the
// document holds.
#include "platform/PrivateProfile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

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

// Every key of the document, read in one pass over the text cut into small pieces.
void expectScannerAgrees(const bv::IniDocument& doc, std::string_view text)
{
    constexpr std::size_t Limit = 16;
    for (const auto& section : doc.sectionNames()) {
        std::vector<std::string> keys = doc.keyNames(section);
        keys.push_back("nicht vorhanden");
        bv::IniKeyScanner scanner(section, keys, Limit);
        for (std::size_t at = 0; at < text.size(); at += 3)
            scanner.feed(text.substr(at, 3));
        scanner.finish();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            std::optional<std::string> expected = doc.value(section, keys[i]);
            if (expected && expected->size() > Limit)
                expected->resize(Limit);
            if (scanner.value(i) != expected)
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
    expectScannerAgrees(doc, text);
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
