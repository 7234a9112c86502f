// The record engine over any bytes: every record is framed or refused with code 34, its header is
// valid or gives a code from -1 to -5, the tables of any version text are installed or refused with
// -10, and every field of every record is cut within its record and checked without a fault.
#include "FuzzScratch.h"
#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/OpenFile.h"
#include "billing/formats/records/DdsFieldTables.h"
#include "billing/formats/records/FieldChecks.h"
#include "billing/formats/records/RecordObject.h"
#include "billing/formats/records/RecordReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace bv;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto path = fuzz::writeScratch("RZ0001.001", bytes);
    auto file = OpenFile::open(path);
    if (!file)
        std::abort();
    const long long count = records::RecordCountOf(size, 256);
    if (count < 0)
        return 0;

    records::FieldTableSet tables(records::DdsRecordTypes());
    try {
        records::SelectDdsFieldTables(tables, bytes.substr(0, 4), size % 2 == 0);
    } catch (const CAdzException& e) {
        if (e.code() != adz::UnsupportedVersion)
            std::abort();
    }
    // Fields are cut by the tables of one of the versions where they change.
    static const char* const versions[] = {"1.00", "1.02", "1.13", "1.25", "1.99",
                                           "2.10", "2.20", "2.30", "2.50", "2.60"};
    records::SelectDdsFieldTables(tables, versions[size % 10], false);
    records::RecordReader reader(records::DdsFraming);
    reader.attach(file.get(), static_cast<int>(count));
    reader.setCodePage(records::CodePageStep::ForDdsIdentifier(size % 3 == 0 ? "C437" : "C850"));
    records::DdsHeaderParser header;
    for (int index = 0; index <= count; ++index) {
        char* record = nullptr;
        try {
            record = reader.frame(index);
        } catch (const CAdzException& e) {
            if (e.code() != adz::Content)
                std::abort();
            continue;
        }
        if (!record)
            break;
        const int code = header.ParseHeader(record);
        if (code < -5 || code > 0)
            std::abort();
        reader.convert(record);
        const records::FieldLayout* fields = tables.find(header.last().recordType);
        if (!fields)
            continue;
        const RecordObject object(index, header.last(), std::string_view(record, 256), 30, 224, *fields, nullptr);
        for (int i = -1; i <= fields->count(); ++i) {
            if (object.GetField(i).size() > 224)
                std::abort();
        }
        int position = 0;
        std::string value;
        char letter = 0;
        if (!object.CheckRecordFields(position, value, letter) && (position < 0 || position >= fields->count()))
            std::abort();
    }
    return 0;
}
