#include "billing/formats/records/DdsFieldTables.h"

#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/formats/records/RecordTexts.h"
#include "platform/Text.h"

#include <array>

namespace bv::records {

namespace {

using namespace version;

constexpr std::array<int, 24> RecordTypes = {0,   10,  100, 101, 110, 111, 115, 120, 121, 122, 123, 130,
                                             200, 201, 210, 250, 300, 500, 510, 600, 605, 610, 850, 860};

// Width and type letter of each field of the 224-character data area, by record type and version.
// A record type whose table differs between versions is listed as its common fields followed by the
// fields of each version range. The tables of 0111, 0121 and 0122 cover 214 characters only.
constexpr FieldPart Parts[] = {
    // Control record ("Kontrollsatz").
    {0, all(), "4N 11N 5N 4N 12A 8D 4A 4A 4A 4A 3N 1A"},
    {0, exactly(v(1, 0)), "12- 1- 147X"},
    {0, exactly(v(1, 1)), "12- 1- 147X"},
    {0, closed(v(1, 2), v(1, 12)), "12A 1A 147X"},
    {0, openClosed(v(1, 12), v(1, 99)), "12A 1A 147-"},
    {0, openClosed(v(1, 99), v(2, 50)), "12A 1A 147X"},
    {0, above(v(2, 50)), "12A 1A 147-"},

    {10, below(v(2, 20)), "4N 12A 8D 4A 4A 4A 4A 3N 1A 12A 168A"},
    {10, atLeast(v(2, 20)), "4N 12A 8D 4A 4A 4A 4A 3N 1A 12A 20A 148A"},

    {100, below(v(1, 99)), "40A 40A 20A 20A 40A 3A 5A 40A 8D 1N 7-"},
    {100, atLeast(v(1, 99)), "40A 40A 20A 20A 40A 3A 10A 40A 8D 1N 2-"},

    {101, all(), "10A 30A 30A 60A 94-"},

    {110, below(v(1, 99)), "40A 40A 20A 20A 8D 1N 10A 30A 5A 30A 3A 17-"},
    {110, atLeast(v(1, 99)), "40A 40A 20A 20A 8D 1N 10A 30A 10A 30A 3A 12-"},

    {111, all(), "30A 30A 60A 94-"},
    {115, all(), "30A 30A 30A 30A 30A 30A 30A 14-"},
    {120, all(), "12A 7N 4N 3A 3A 5A 1N 8D 8D 8D 8D 4N 8D 5N 2N 30A 108-"},
    {121, all(), "10A 8N 45A 45A 1A 20A 20A 20A 8D 8D 1N 1N 1N 1N 1N 2N 2N 2N 18A"},
    {122, all(), "10A 40A 3A 46A 9A 40A 9A 3A 45A 9-"},
    {123, all(), "3A 5A 1N 8D 8D 8D 8D 8D 5N 2N 30A 30A 60A 48-"},
    {130, all(), "8N 10N 50A 136A 1A 8D 1A 10N"},

    // Invoice amounts.
    {200, all(), "8D 8D 1A 10N 9N 2N 15N 5N 10N 9N 3N 9N 1N 1A 3N 10N"},
    {200, below(v(1, 3)), "120-"},
    {200, closedOpen(v(1, 3), v(1, 25)), "1A 1A 8N 1A 20A 20A 69-"},
    {200, open(v(1, 25), v(1, 99)), "1A 1A 8N 1A 20A 20A 69-"},
    {200, exactly(v(1, 25)), "1A 1A 8N 1A 109-"},
    {200, atLeast(v(2, 20)), "1A 1A 8N 1A 109-"},
    {200, closedOpen(v(1, 99), v(2, 10)), "1A 1A 8N 1A 10N 99-"},
    {200, closedOpen(v(2, 10), v(2, 20)), "1A 1A 8N 1A 10N 10N 89-"},

    {201, all(), "5N 10N 209-"},
    {210, all(), "20A 20A 184-"},
    {250, all(), "60A 60A 60A 44-"},

    // Fee positions; field 12 is text in 1.25 to 1.99 and from 2.50, a number otherwise.
    {300, all(), "8D 30A 2N 8A 6N 7N 1A 1A 30A 30A 1A 6A"},
    {300, closedOpen(v(1, 25), v(1, 99)), "2A"},
    {300, atLeast(v(2, 50)), "2A"},
    {300, below(v(1, 25)), "2N"},
    {300, closedOpen(v(1, 99), v(2, 50)), "2N"},
    {300, all(), "8A 7N 7N 7N 7N 7N 4N 1A 1N"},
    {300, below(v(1, 5)), "43-"},
    {300, closed(v(1, 5), v(1, 25)), "6N 1A 36-"},
    {300, open(v(1, 25), v(1, 99)), "6N 1A 1A 4N 31-"},
    {300, atLeast(v(2, 20)), "6N 1A 1A 4N 31-"},
    {300, closedOpen(v(1, 99), v(2, 10)), "6N 1A 1A 10N 25-"},
    {300, closedOpen(v(2, 10), v(2, 20)), "6N 1A 1A 35-"},

    {500, all(), "29A 1A 7N 1A 8A 29A 1A 7N 1A 8A 29A 1A 7N 1A 8A 29A 1A 7N 1A 8A 6A 2N 6A 2N 6A 2N 6A 2N 8-"},

    // Field 5 is text from 2.50, a number before.
    {510, all(), "29A 1A 7N 1A 6A"},
    {510, atLeast(v(2, 50)), "2A"},
    {510, below(v(2, 50)), "2N"},
    {510, all(), "80A 1A"},
    {510, below(v(2, 10)), "10N 87-"},
    {510, closedOpen(v(2, 10), v(2, 20)), "97-"},
    {510, atLeast(v(2, 20)), "4N 20A 73-"},

    {600, all(), "60A 60A 60A 44-"},
    {605, all(), "6A 218A"},
    {610, all(), "6A 180A 38-"},

    // Attachment references.
    {850, below(v(2, 30)), "5N 12A 22A 185-"},
    {850, atLeast(v(2, 30)), "5N 12A 22A 10A 175-"},

    {860, all(), "8N 10A 8D 7N 191-"},
};

bool refused(int v, bool versionLimit)
{
    return v < version::v(1, 0) || (v > version::v(1, 0) && v < version::v(1, 2) && v != version::v(1, 1)) ||
           (versionLimit && v > version::v(2, 50));
}

} // namespace

std::span<const int> DdsRecordTypes()
{
    return RecordTypes;
}

std::span<const FieldPart> DdsFieldParts()
{
    return Parts;
}

void SelectDdsFieldTables(FieldTableSet& tables, std::string_view versionText, bool versionLimit)
{
    const int v = VersionThousandths(versionText);
    if (refused(v, versionLimit))
        throw BV_ADZ_ERROR(adz::UnsupportedVersion,
                           strFormat(record_texts::UnsupportedVersion, cp1252ToUtf8(versionText).c_str()));
    tables.installVersion(Parts, v);
}

} // namespace bv::records
