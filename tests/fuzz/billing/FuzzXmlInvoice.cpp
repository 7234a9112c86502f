// XML invoices of every version: the streaming parse never crashes; what it accepts carries a
// sender EAN and a known version, what it refuses carries a reason, and reading the file block by
// block gives the same values as parsing the bytes in memory. The quick check looks at the same
// bytes without crashing.
#include "FuzzScratch.h"
#include "billing/formats/xml/XmlInvoice.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bv::XmlInvoice memory;
    const bool accepted = memory.ParseText(text);
    if ((accepted && (memory.senderEan().empty() || memory.version() == bv::XmlInvoiceVersion::Unknown)) ||
        accepted != memory.ErrorText().empty())
        std::abort();

    const auto path = bv::fuzz::writeScratch("invoice.xml", text);
    bv::XmlInvoice file(path.string());
    if (file.Parse() != accepted || file.senderEan() != memory.senderEan() || file.amountDue() != memory.amountDue() ||
        file.timestamp() != memory.timestamp() || file.production() != memory.production() ||
        file.currency() != memory.currency() || file.version() != memory.version() ||
        file.guarantorFamilyName() != memory.guarantorFamilyName() ||
        file.guarantorGivenName() != memory.guarantorGivenName() || file.providerName() != memory.providerName() ||
        file.ErrorText() != memory.ErrorText())
        std::abort();
    if (file.IsInvoice(false) != bv::XmlInvoice::quickCheck(text))
        std::abort();
    return 0;
}
