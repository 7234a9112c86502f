// The PAD reader over any bytes, in both framings: opening, loading and converting, checking,
// summarising and digesting a file either succeed or refuse it with a CAdzException of the reader's
// codes; every converted record holds 113 characters.
#include "FuzzScratch.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/FeeValueTable.h"
#include "billing/formats/pad/CPADDatei.h"
#include "billing/formats/records/RecordObject.h"

#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv;
    static const std::set<int> codes = {adz::Structural,           records::ControlRecordFieldCode,
                                        records::ContentFieldCode, adz::InvoiceCount,
                                        adz::RecordHeader,         adz::Content};
    static FeeValueTable fees = [] {
        FeeValueTable table;
        table.AddList("01", "1=470-1000;5=200-600");
        table.AddList("40", "120=600-900");
        return table;
    }();
    static const PadReductions reductions = [] {
        PadReductions r;
        r.east = PadReductions::ParseEastTable("19000101=0;20010101=2;20070101=3");
        r.percent6a = 12.5;
        return r;
    }();
    const auto path = fuzz::writeScratch("PV123456.DAT", std::string_view(reinterpret_cast<const char*>(data), size));
    for (const bool lines : {false, true}) {
        try {
            CPADDatei reader(path.string(), false, false, lines, size % 2 == 0, reductions, false);
            reader.setFeeValues(&fees);
            reader.CalcHash();
            reader.ReadContents();
            for (int i = 0; i < reader.masRecordCount(); ++i) {
                if (reader.masArea(i).size() != 113 || reader.GetInvoice(i) == nullptr)
                    std::abort();
            }
            std::string summary;
            reader.GetSummary(summary);
            reader.CheckContents(true);
        } catch (const CAdzException& e) {
            if (!codes.count(e.code()))
                std::abort();
        }
    }
    return 0;
}
