#include "gui/grid/TableModel.h"

#include <QBrush>
#include <QColor>

namespace bv {

namespace {

Qt::Alignment alignmentOf(CellAlignment alignment)
{
    switch (alignment) {
    case CellAlignment::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlignment::Centre:
        return Qt::AlignCenter;
    case CellAlignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TableModel::setDescription(TableDescription description)
{
    beginResetModel();
    m_description = std::move(description);
    endResetModel();
}

bool TableModel::updateRow(const TableRow& row)
{
    const int index = m_description.rowIndex(row.key);
    if (index < 0)
        return false;
    m_description.rows[static_cast<std::size_t>(index)] = row;
    if (columnCount() > 0)
        emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
    return true;
}

void TableModel::setIcons(QList<QIcon> icons)
{
    m_icons = std::move(icons);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DecorationRole});
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_description.rows.size());
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_description.columns.size());
}

QVariant TableModel::iconFor(int icon) const
{
    if (icon < 0 || icon >= m_icons.size())
        return {};
    return m_icons[icon];
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    const TableCell& cell = m_description.cell(row, column);
    switch (role) {
    case Qt::DisplayRole:
        return cell.kind == TableCell::Kind::Icon ? QVariant() : QVariant(QString::fromStdString(cell.text));
    case Qt::DecorationRole:
        return cell.kind == TableCell::Kind::Icon ? iconFor(cell.icon) : QVariant();
    case Qt::ToolTipRole:
        if (cell.kind == TableCell::Kind::Icon && cell.icon >= 0)
            return QString::fromStdString(m_description.iconTooltip(cell.icon));
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(m_description.columns[column].alignment));
    case Qt::BackgroundRole:
        if (cell.background)
            return QBrush(QColor(cell.background->red, cell.background->green, cell.background->blue));
        return {};
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const TableColumn& column = m_description.columns[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(column.title);
    case Qt::DecorationRole:
        return iconFor(column.headerIcon);
    case Qt::ToolTipRole:
        return column.headerIcon >= 0 ? QVariant(QString::fromStdString(m_description.iconTooltip(column.headerIcon)))
                                      : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(column.alignment));
    default:
        return {};
    }
}

} // namespace bv
