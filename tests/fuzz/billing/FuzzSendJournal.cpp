// The send journal left in a spool's Tmp directory: the reader never crashes, refuses what is not a
// whole journal, and what it accepts is written back to the same text and names only plain files.
#include "billing/SendJournal.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto journal = bv::SendJournal::parse(text);
    if (!journal)
        return 0;
    const std::string again = journal->serialize();
    const auto back = bv::SendJournal::parse(again);
    check(back && back->serialize() == again);
    for (const auto& file : journal->files)
        check(!file.name.empty() && file.name.find('/') == std::string::npos && file.identity.size >= 0);
    check(journal->upload.find('/') == std::string::npos);
    return 0;
}
