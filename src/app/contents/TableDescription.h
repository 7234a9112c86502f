#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bv {

// A table as a dialog describes it, without any toolkit: columns with title, width and alignment,
// rows keyed by text, cells of text, of an icon with its tooltip, or of a button that reports its
// row's key. The icons are numbered; the toolkit side draws image number n and shows tooltip n.
enum class CellAlignment
{
    Left,
    Centre,
    Right
};

struct CellColour
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const CellColour&) const = default;
};

struct TableColumn
{
    std::string title;
    int width = 0; // pixels; 0 hides the column
    CellAlignment alignment = CellAlignment::Left;
    int headerIcon = -1; // an icon instead of (or beside) the title, -1 none
};

struct TableCell
{
    enum class Kind
    {
        Text,
        Icon,
        Button
    };
    Kind kind = Kind::Text;
    std::string text; // the text, or the button's caption
    int icon = -1;    // Icon cells: the image number
    std::optional<CellColour> background;

    static TableCell textCell(std::string text) { return {Kind::Text, std::move(text), -1, std::nullopt}; }
    static TableCell iconCell(int icon) { return {Kind::Icon, {}, icon, std::nullopt}; }
    static TableCell button(std::string caption) { return {Kind::Button, std::move(caption), -1, std::nullopt}; }
    bool operator==(const TableCell&) const = default;
};

struct TableRow
{
    std::string key;
    std::vector<TableCell> cells; // one per column; missing cells are empty text
};

class TableDescription
{
public:
    std::vector<TableColumn> columns;
    std::vector<TableRow> rows;
    std::vector<std::string> iconTooltips; // tooltip of each image number

    // The width of all columns together (a dialog sizes itself by it).
    int totalWidth() const;
    // Index of the row with this key, -1 when there is none.
    int rowIndex(const std::string& key) const;
    // The cell of a row and column; an empty text cell where the row has none.
    const TableCell& cell(std::size_t row, std::size_t column) const;
    // The tooltip of an icon number, empty when it has none.
    std::string iconTooltip(int icon) const;
};

} // namespace bv
