#include "billing/formats/records/MasFieldTables.h"

#include "billing/AdzCodes.h"
#include "billing/CAdzException.h"
#include "billing/formats/records/RecordTexts.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace bv::records {

namespace {

using namespace version;

constexpr std::array<int, 16> RecordTypes = {0,   100, 200, 201, 250, 251, 300, 390,
                                             400, 410, 500, 600, 700, 800, 900, 990};

// Width and type letter of each field of the 113-character data area. Text records (0100, 0400,
// 0500, 0600, 0800) share one layout, as do the addresses of recipient (0200, 0201) and patient (0250,
// 0251). The invoice amount record 0390 is not published; it is read as a sign and eight digits.
constexpr FieldPart Parts[] = {
    // File header record.
    {0, all(), "11A 12A 8D 4N 4N"},
    {0, below(v(1, 20)), "74L"},
    {0, atLeast(v(1, 20)), "3A 71L"},

    {100, all(), "50A 50A 13L"},
    {200, all(), "1A 40A 40A 15A 8D 9L"},
    {201, all(), "40A 5N 35A 3A 30L"},
    {250, all(), "1A 40A 40A 15A 8D 9L"},
    {251, all(), "40A 5N 35A 3A 30L"},

    // Invoice record: reduction after 6a from 1.1, east reduction marks from 1.2 and 1.3.
    {300, all(), "4A 2N 1A 8D 8D 1N 1N"},
    {300, below(v(1, 10)), "1A 3N 10A 74L"},
    {300, closedOpen(v(1, 10), v(1, 20)), "4N 3N 10A 71L"},
    {300, closedOpen(v(1, 20), v(1, 30)), "4N 3N 10A 1N 7A 12A 4A 47L"},
    {300, atLeast(v(1, 30)), "4N 3N 10A 1N 7A 12A 4A 1A 1A 45L"},

    {390, all(), "1A 8N 104L"},
    {400, all(), "50A 50A 13L"},
    {410, all(), "2A 98A 13L"},
    {500, all(), "50A 50A 13L"},
    {600, all(), "50A 50A 13L"},

    // Service record; from 1.1 it carries the east reduction percentage.
    {700, all(), "8D 1A 7A 4N 8N 1A 7N 1A 7N 1A 7N 1A 7N 40A"},
    {700, below(v(1, 10)), "13L"},
    {700, atLeast(v(1, 10)), "4N 9L"},

    {800, all(), "50A 50A 13L"},
    {900, all(), "1A 8N 1A 8N 1A 8N 1A 8N 1A 8N 5N 1A 8N 54L"},

    // Summary record.
    {990, all(), "6N 4A 4A 4A 4N 11N"},
    {990, below(v(1, 30)), "80L"},
    {990, atLeast(v(1, 30)), "10A 8D 62L"},
};

} // namespace

std::span<const int> MasRecordTypes()
{
    return RecordTypes;
}

std::span<const FieldPart> MasFieldParts()
{
    return Parts;
}

std::string_view MasVersionText(std::string_view field)
{
    if (!field.empty() && field.front() == 'V')
        field.remove_prefix(1);
    return field;
}

int SelectMasFieldTables(FieldTableSet& tables, std::string_view versionText, bool versionLimit)
{
    const int v = VersionThousandths(versionText);
    if (v < version::v(1, 0) || (versionLimit && v > version::v(1, 30)))
        throw BV_ADZ_ERROR(adz::UnsupportedVersion,
                           strFormat(record_texts::UnsupportedVersion, cp1252ToUtf8(versionText).c_str()));
    const char filler = v <= version::v(1, 30) ? 'X' : '-';
    std::vector<std::string> texts;
    texts.reserve(std::size(Parts));
    std::vector<FieldPart> parts;
    parts.reserve(std::size(Parts));
    for (const FieldPart& part : Parts) {
        std::string& fields = texts.emplace_back(part.fields);
        std::replace(fields.begin(), fields.end(), 'L', filler);
        parts.push_back({part.recordType, part.versions, fields.c_str()});
    }
    tables.installVersion(parts, v);
    return v;
}

} // namespace bv::records
