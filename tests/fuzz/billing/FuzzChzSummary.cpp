// CHZ files: reading the summary never crashes; a file is either read or refused with code 34 and
// one of the missing-key messages, and the date always comes out as eight characters or more.
#include "FuzzScratch.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/formats/chz/CCHZDatei.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto path = bv::fuzz::writeScratch("summary.chz", text);
    try {
        bv::CCHZDatei chz(path.string());
        if (chz.dateText().size() < 8 || chz.GetCustomerNumberText().size() < 6)
            std::abort();
    } catch (const bv::CAdzException& e) {
        if (e.code() != bv::adz::Content || e.message().rfind("Fehler in Abrechnungsdatei: Pflichtfeld ", 0) != 0)
            std::abort();
    }
    bv::CCHZDatei::ConvertDate(std::string(text.substr(0, 64)));
    return 0;
}
