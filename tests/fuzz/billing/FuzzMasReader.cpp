// The MAS reader over any bytes: opening, loading, checking and summarising a file either succeed or
// refuse it with a CAdzException of the reader's codes; every rewritten record keeps its 113 characters.
#include "FuzzScratch.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/FeeValueTable.h"
#include "billing/formats/mas/MASrzDatei.h"
#include "billing/formats/records/RecordObject.h"

#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv;
    static const std::set<int> codes = {adz::Structural,
                                        adz::UnsupportedVersion,
                                        adz::ControlRecordInvoiceCount,
                                        adz::ControlRecordUnsupported,
                                        records::ControlRecordFieldCode,
                                        records::ContentFieldCode,
                                        adz::InvoiceCount,
                                        adz::ControlTotal,
                                        adz::RecordHeader,
                                        adz::Content};
    static FeeValueTable fees = [] {
        FeeValueTable table;
        table.AddList("01", "0001=900-1100;0002=900-1000");
        return table;
    }();
    const auto path = fuzz::writeScratch("M00001.001", std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        MASrzDatei reader(path.string(), false, false, size % 2 == 0, false);
        reader.setFeeValues(&fees);
        reader.ReadContents();
        for (const RecordObject& record : reader.recordObjects()) {
            if (record.data().size() != 113)
                std::abort();
        }
        std::string summary;
        reader.GetSummary(summary);
        reader.CheckHeader();
        reader.CheckContents(true);
    } catch (const CAdzException& e) {
        if (!codes.count(e.code()))
            std::abort();
    }
    return 0;
}
