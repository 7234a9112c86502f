#include "gui/grid/GridWidget.h"
#include "gui/grid/TableModel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>

using bv::CellAlignment;
using bv::TableCell;

namespace {

// Two invoices, the second with a laboratory service row: text, icons, a button and a grey sum row.
bv::TableDescription sample()
{
    bv::TableDescription d;
    d.columns = {{"Patient", 125, CellAlignment::Left, -1},
                 {"ID", 0, CellAlignment::Right, -1},
                 {"", 23, CellAlignment::Centre, 3},
                 {"", 80, CellAlignment::Centre, -1},
                 {"Laborbetrag", 70, CellAlignment::Right, -1}};
    d.iconTooltips = {"Alles OK", "offen", "weitere", "Anlage"};
    d.rows = {{"0000/9999", {TableCell::textCell("Muster, Anna"), TableCell::textCell("0000/9999")}},
              {"0001/0000",
               {TableCell::textCell("Muster, Ben"), TableCell::textCell("0001/0000"), TableCell::iconCell(1),
                TableCell::button("Bearbeiten"), TableCell::textCell("12,50")}}};
    TableCell sum = TableCell::textCell("2 Rechnungen");
    sum.background = bv::CellColour{192, 192, 192};
    d.rows.push_back({"sum", {sum}});
    return d;
}

} // namespace

class GridWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void modelShowsTheDescription()
    {
        bv::TableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDescription(sample());
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 5);
        QCOMPARE(model.description().totalWidth(), 298);
        QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QString("Muster, Anna"));
        QCOMPARE(model.data(model.index(0, 4), Qt::DisplayRole).toString(), QString()); // missing cell
        QCOMPARE(model.data(model.index(1, 2), Qt::ToolTipRole).toString(), QString("offen"));
        QCOMPARE(model.data(model.index(1, 4), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(model.data(model.index(2, 0), Qt::BackgroundRole).value<QBrush>().color(), QColor(192, 192, 192));
        QCOMPARE(model.headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Laborbetrag"));
        QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString(), QString("Anlage"));

        QPixmap red(8, 8);
        red.fill(Qt::red);
        model.setIcons({QIcon(), QIcon(red)});
        QVERIFY(!model.data(model.index(1, 2), Qt::DecorationRole).value<QIcon>().isNull());

        bv::TableRow changed = model.description().rows[1];
        changed.cells[2] = TableCell::iconCell(0);
        QVERIFY(model.updateRow(changed));
        QCOMPARE(model.data(model.index(1, 2), Qt::ToolTipRole).toString(), QString("Alles OK"));
        QVERIFY(!model.updateRow({"none", {}}));
        model.setDescription({});
        QCOMPARE(model.rowCount(), 0);
    }

    void widgetHidesZeroWidthColumnsAndReportsButtonKeys()
    {
        bv::GridWidget grid;
        QAbstractItemModelTester tester(grid.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::string clicked;
        grid.onButton([&](const std::string& key) { clicked = key; });
        grid.setDescription(sample());
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QVERIFY(grid.isColumnHidden(1));
        QCOMPARE(grid.columnWidth(4), 70);
        QVERIFY(!grid.verticalHeader()->isVisible());
        auto* button = grid.findChild<QPushButton*>("button:0001/0000");
        QVERIFY(button);
        QCOMPARE(button->text(), QString("Bearbeiten"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicked, std::string("0001/0000"));

        // A row whose button goes loses it.
        bv::TableRow plain = grid.tableModel().description().rows[1];
        plain.cells[3] = TableCell::textCell("");
        QVERIFY(grid.updateRow(plain));
        QVERIFY(!grid.indexWidget(grid.model()->index(1, 3)));
    }
};

QTEST_MAIN(GridWidgetTest)
#include "GridWidgetTest.moc"
