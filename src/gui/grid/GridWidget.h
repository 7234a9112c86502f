#pragma once

#include "app/contents/TableDescription.h"

#include <QTableView>

#include <functional>
#include <string>

namespace bv {

class TableModel;

// The grid of the dialogs: a QTableView over a TableModel with a fixed header row, the described
// column widths (a width of 0 hides the column), and a push button over each button cell that
// reports its row's key.
class GridWidget : public QTableView
{
public:
    explicit GridWidget(QWidget* parent = nullptr);

    void setDescription(TableDescription description);
    bool updateRow(const TableRow& row);
    void setIcons(QList<QIcon> icons);
    TableModel& tableModel() { return *m_model; }
    // Called with the row's key when a button cell is clicked.
    void onButton(std::function<void(const std::string&)> handler) { m_onButton = std::move(handler); }

private:
    void applyColumns();
    void placeButtons(int row);

    TableModel* m_model;
    std::function<void(const std::string&)> m_onButton;
};

} // namespace bv
