#include "billing/formats/records/PadFieldTables.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace bv::records {

namespace {

using namespace version;

constexpr std::array<int, 14> RecordTypes = {0, 100, 200, 300, 310, 320, 400, 410, 500, 600, 700, 800, 900, 990};

// A PAD "version" is 0 or above: the parts of version 0 take the range below 1, the others from 1.
constexpr VersionRange Zero = below(1);
constexpr VersionRange AboveZero = atLeast(1);

// Width and type letter of each field of the 113-character data area; F is the filler letter, Z the
// record's end, T a date DDMMYY (type letter 2). The additional record 0320 covers 112 characters.
constexpr FieldPart Parts[] = {
    {0, all(), "11A 12A 6T 4A"},
    {0, Zero, "6A"},
    {0, AboveZero, "6N"},
    {0, all(), "10A 3A 59F 2Z"},
    {100, all(), "50A 50A 11F 2Z"},
    {200, all(), "4A 2N 1A 1A 50A 30A 7- 12- 4- 2Z"},
    {300, all(), "30A 40A 8N 6T 6T 1N 1N 1A 3N"},
    {300, Zero, "15F 2Z"},
    {300, AboveZero, "1A 3A 1A 3A 7F 2Z"},
    {310, all(), "8N 14A 1N 6A 82F 2Z"},
    {320, all(), "30A 1A 1A 4N 8N 8N 10N 27A 21F 2Z"},
    {400, all(), "50A 50A 11F 2Z"},
    {410, all(), "2A 98A 11F 2Z"},
    {500, all(), "50A 50A 11F 2Z"},
    {600, all(), "50A 50A 11F 2Z"},
    {700, all(), "6T 1A 7A 4N 8N 1A 7N 1A 7N 1A 7N 1A 7N 40A 13F 2Z"},
    {800, all(), "50A 50A 11F 2Z"},
    {900, all(), "1A 8N 1A 8N 1A 8N 1A 8N 1A 8N 5N 61F 2Z"},
    {990, all(), "6N"},
    {990, Zero, "6-"},
    {990, AboveZero, "6N"},
    {990, all(), "99F 2Z"},
};

} // namespace

std::span<const int> PadRecordTypes()
{
    return RecordTypes;
}

void SelectPadFieldTables(FieldTableSet& tables, bool versionAboveZero, bool strictFiller)
{
    const char filler = strictFiller ? 'X' : '-';
    std::vector<std::string> texts;
    texts.reserve(std::size(Parts));
    std::vector<FieldPart> parts;
    parts.reserve(std::size(Parts));
    for (const FieldPart& part : Parts) {
        std::string& fields = texts.emplace_back(part.fields);
        std::replace(fields.begin(), fields.end(), 'F', filler);
        parts.push_back({part.recordType, part.versions, fields.c_str()});
    }
    tables.installVersion(parts, versionAboveZero ? 1 : 0);
    for (const int type : RecordTypes) {
        FieldLayout layout = *tables.find(type);
        layout.replaceLetter('T', '2');
        tables.install(type, std::move(layout));
    }
}

} // namespace bv::records
