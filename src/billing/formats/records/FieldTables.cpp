#include "billing/formats/records/FieldTables.h"

#include <algorithm>
#include <stdexcept>

namespace bv::records {

FieldLayout::FieldLayout(std::string_view fields)
{
    append(fields);
}

void FieldLayout::append(std::string_view fields)
{
    std::size_t i = 0;
    while (i < fields.size()) {
        while (i < fields.size() && fields[i] == ' ')
            ++i;
        if (i == fields.size())
            break;
        int width = 0;
        const std::size_t start = i;
        while (i < fields.size() && fields[i] >= '0' && fields[i] <= '9')
            width = width * 10 + (fields[i++] - '0');
        // The tables are the program's own data: a malformed one is a fault of the program.
        if (i == start || i == fields.size() || fields[i] == ' ')
            throw std::logic_error("malformed field list: " + std::string(fields));
        m_offsets.push_back(totalWidth());
        m_widths.push_back(width);
        m_letters += fields[i++];
    }
}

int FieldLayout::totalWidth() const
{
    return m_widths.empty() ? 0 : m_offsets.back() + m_widths.back();
}

std::vector<int> FieldLayout::widthList() const
{
    std::vector<int> list = m_widths;
    list.push_back(0);
    return list;
}

int VersionThousandths(std::string_view text)
{
    // The decimal reading of a number with a point as separator: leading white space, a sign, digits,
    // a point and up to three decimals; anything else ends the number.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), 1000000LL);
    value *= 1000;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (int scale = 100; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10)
            value += (text[i] - '0') * scale;
    }
    return static_cast<int>(negative ? -value : value);
}

FieldTableSet::FieldTableSet(std::span<const int> recordTypes)
{
    for (const int type : recordTypes)
        m_slots.emplace_back(type, FieldLayout());
    std::sort(m_slots.begin(), m_slots.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

const FieldLayout* FieldTableSet::find(int recordType) const
{
    const auto it = std::lower_bound(m_slots.begin(), m_slots.end(), recordType,
                                     [](const auto& slot, int type) { return slot.first < type; });
    return it != m_slots.end() && it->first == recordType ? &it->second : nullptr;
}

FieldLayout* FieldTableSet::slot(int recordType)
{
    const auto it = std::lower_bound(m_slots.begin(), m_slots.end(), recordType,
                                     [](const auto& slot, int type) { return slot.first < type; });
    return it != m_slots.end() && it->first == recordType ? &it->second : nullptr;
}

void FieldTableSet::install(int recordType, FieldLayout layout)
{
    FieldLayout* slot = this->slot(recordType);
    if (!slot)
        throw std::logic_error("no field table slot for record type " + std::to_string(recordType));
    *slot = std::move(layout);
}

void FieldTableSet::installVersion(std::span<const FieldPart> parts, int v)
{
    for (auto& [type, layout] : m_slots) {
        FieldLayout assembled;
        for (const FieldPart& part : parts) {
            if (part.recordType == type && part.versions.contains(v))
                assembled.append(part.fields);
        }
        layout = std::move(assembled);
    }
}

} // namespace bv::records
