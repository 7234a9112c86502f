#pragma once

#include <climits>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bv::records {

// The fields of one record type's data area: widths and type letters in field order, with the
// offsets derived from the widths.
class FieldLayout
{
public:
    FieldLayout() = default;
    // From a field list such as "4N 11N 5N 12A": width and type letter per field, blank-separated.
    explicit FieldLayout(std::string_view fields);

    int count() const { return static_cast<int>(m_widths.size()); }
    int width(int i) const { return m_widths[static_cast<std::size_t>(i)]; }
    int offset(int i) const { return m_offsets[static_cast<std::size_t>(i)]; }
    char letter(int i) const { return m_letters[static_cast<std::size_t>(i)]; }
    const std::string& letters() const { return m_letters; }
    // Sum of the widths: the characters of the data area the fields cover.
    int totalWidth() const;
    // The widths ended by 0, as the layout check takes them.
    std::vector<int> widthList() const;

    // Appends the fields of another field list.
    void append(std::string_view fields);

private:
    std::vector<int> m_widths;
    std::vector<int> m_offsets;
    std::string m_letters;
};

// A file version as the control record names it ("2.20"), in thousandths so that the version bounds
// of the tables compare exactly: the four characters hold at most three decimals.
int VersionThousandths(std::string_view versionText);

// A range of file versions in thousandths, from `from` up to but without `to`.
struct VersionRange
{
    int from = INT_MIN;
    int to = INT_MAX;
    constexpr bool contains(int v) const { return v >= from && v < to; }
};

namespace version {
// The version a.bc in thousandths: v(1, 12) is 1.12.
constexpr int v(int major, int hundredths)
{
    return major * 1000 + hundredths * 10;
}
constexpr VersionRange all()
{
    return {};
}
constexpr VersionRange below(int x) // v < x
{
    return {INT_MIN, x};
}
constexpr VersionRange atLeast(int x) // v >= x
{
    return {x, INT_MAX};
}
constexpr VersionRange above(int x) // v > x
{
    return {x + 1, INT_MAX};
}
constexpr VersionRange exactly(int x) // v = x
{
    return {x, x + 1};
}
constexpr VersionRange closed(int a, int b) // a <= v <= b
{
    return {a, b + 1};
}
constexpr VersionRange closedOpen(int a, int b) // a <= v < b
{
    return {a, b};
}
constexpr VersionRange openClosed(int a, int b) // a < v <= b
{
    return {a + 1, b + 1};
}
constexpr VersionRange open(int a, int b) // a < v < b
{
    return {a + 1, b};
}
} // namespace version

// One part of a record type's field table in the versions of a range. A record type's table for a
// version is the sequence of its parts whose range holds that version, in the order listed.
struct FieldPart
{
    int recordType;
    VersionRange versions;
    const char* fields;
};

// The field tables in force for one file: one slot per record type of its format. A slot keeps its
// place when another table is installed into it, so record objects that point at it cut their
// fields by the table installed last.
class FieldTableSet
{
public:
    explicit FieldTableSet(std::span<const int> recordTypes);
    FieldTableSet(const FieldTableSet&) = delete;
    FieldTableSet& operator=(const FieldTableSet&) = delete;

    // The slot of a record type; null for a type the format does not know.
    const FieldLayout* find(int recordType) const;
    bool knows(int recordType) const { return find(recordType) != nullptr; }
    void install(int recordType, FieldLayout layout);
    // Installs the table of every record type for version v from a list of parts.
    void installVersion(std::span<const FieldPart> parts, int v);

private:
    FieldLayout* slot(int recordType);
    std::vector<std::pair<int, FieldLayout>> m_slots; // sorted by record type
};

} // namespace bv::records
