#include "gui/grid/GridWidget.h"

#include "gui/grid/TableModel.h"

#include <QHeaderView>
#include <QPushButton>

namespace bv {

GridWidget::GridWidget(QWidget* parent) : QTableView(parent), m_model(new TableModel(this))
{
    setObjectName("grid");
    setModel(m_model);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void GridWidget::setDescription(TableDescription description)
{
    m_model->setDescription(std::move(description));
    applyColumns();
    for (int row = 0; row < m_model->rowCount(); ++row)
        placeButtons(row);
}

bool GridWidget::updateRow(const TableRow& row)
{
    if (!m_model->updateRow(row))
        return false;
    placeButtons(m_model->description().rowIndex(row.key));
    return true;
}

void GridWidget::setIcons(QList<QIcon> icons)
{
    m_model->setIcons(std::move(icons));
}

void GridWidget::applyColumns()
{
    const auto& columns = m_model->description().columns;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int section = static_cast<int>(i);
        setColumnHidden(section, columns[i].width <= 0);
        if (columns[i].width > 0)
            setColumnWidth(section, columns[i].width);
    }
}

void GridWidget::placeButtons(int row)
{
    const TableDescription& d = m_model->description();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const QModelIndex index = m_model->index(row, column);
        const TableCell& cell = d.cell(static_cast<std::size_t>(row), static_cast<std::size_t>(column));
        if (cell.kind != TableCell::Kind::Button) {
            if (indexWidget(index))
                setIndexWidget(index, nullptr);
            continue;
        }
        auto* button = new QPushButton(QString::fromStdString(cell.text));
        button->setObjectName(QString::fromStdString("button:" + d.rows[static_cast<std::size_t>(row)].key));
        const std::string key = d.rows[static_cast<std::size_t>(row)].key;
        connect(button, &QPushButton::clicked, this, [this, key] {
            if (m_onButton)
                m_onButton(key);
        });
        setIndexWidget(index, button); // the view owns the button
    }
}

} // namespace bv
