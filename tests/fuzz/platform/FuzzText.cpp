// Text helpers on arbitrary bytes: conversions keep their length rules and never crash.
#include "platform/Text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)bv::decimalValue(text);
    (void)bv::decimalInt(text);
    if (bv::utf8ToCp1252(bv::cp1252ToUtf8(text)) != text)
        std::abort();
    (void)bv::utf8ToCp1252(text);
    if (bv::oemToAnsi(text, 850).size() != text.size() || bv::oemToAnsi(text, 437).size() != text.size())
        std::abort();
    const auto half = text.size() / 2;
    (void)bv::matchesPattern(text.substr(0, half), text.substr(half));
    (void)bv::split(text, ';');
    return 0;
}
