#pragma once

#include "app/contents/TableDescription.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

namespace bv {

// The Qt model of a toolkit-free table description: texts, icons with their tooltips, alignment and
// background per cell, titles and header icons in the horizontal header. Button cells show their
// caption; the grid widget puts a push button over them.
class TableModel : public QAbstractTableModel
{
public:
    explicit TableModel(QObject* parent = nullptr);

    void setDescription(TableDescription description);
    const TableDescription& description() const { return m_description; }
    // Replaces one row, found by its key; false when there is none.
    bool updateRow(const TableRow& row);
    void setIcons(QList<QIcon> icons);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant iconFor(int icon) const;

    TableDescription m_description;
    QList<QIcon> m_icons;
};

} // namespace bv
