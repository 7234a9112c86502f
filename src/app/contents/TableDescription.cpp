#include "app/contents/TableDescription.h"

namespace bv {

int TableDescription::totalWidth() const
{
    int total = 0;
    for (const TableColumn& column : columns)
        total += column.width > 0 ? column.width : 0;
    return total;
}

int TableDescription::rowIndex(const std::string& key) const
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].key == key)
            return static_cast<int>(i);
    }
    return -1;
}

const TableCell& TableDescription::cell(std::size_t row, std::size_t column) const
{
    static const TableCell empty;
    if (row >= rows.size() || column >= rows[row].cells.size())
        return empty;
    return rows[row].cells[column];
}

std::string TableDescription::iconTooltip(int icon) const
{
    if (icon < 0 || static_cast<std::size_t>(icon) >= iconTooltips.size())
        return {};
    return iconTooltips[static_cast<std::size_t>(icon)];
}

} // namespace bv
