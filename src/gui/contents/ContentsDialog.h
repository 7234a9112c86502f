#pragma once

#include "app/contents/ContentsController.h"
#include "app/core/ViewDecoration.h"
#include "app/contents/ContentsPorts.h"

#include <QDialog>

#include <memory>
#include <string>

class QLabel;
class QPrinter;

namespace bv {

class GridWidget;
class ScriptedUser;

// The invoice contents dialog "Inhalt der Abrechnungsdatei": the grid of invoices and laboratory
// services with the nine state images, the amount footnote, "Drucken...", OK and Cancel. It only
// draws; its ContentsController decides.
class ContentsDialog : public QDialog, public ContentsWindow
{
public:
    ContentsDialog(ContentsDialogs& dialogs, ContentsDependencies dependencies, CAbrechnungsDatei& file,
                   ContentsView variant, PartnerLabList labs, QWidget* parent = nullptr,
                   const ViewDecoration<ContentsWindow>& decoration = {});
    ~ContentsDialog() override;

    ContentsController& controller() { return *m_controller; }
    GridWidget& grid() { return *m_grid; }

    // Opens the dialog and runs it modally; true after OK.
    bool run();

    void showTable(const TableDescription& table, int width) override;
    void updateRow(const TableRow& row) override;
    void setFootnote(const std::string& text) override;
    // Asks for a printer.
    void print(const std::string& title, const std::string& footnote) override;
    void printToFile(const std::string& path, const std::string& title, const std::string& footnote) override;
    void closeDialog(bool ok) override;

    // Escape and the close box mean Cancel.
    void reject() override;

private:
    GridWidget* m_grid;
    QLabel* m_footnote;
    std::unique_ptr<ContentsController> m_controller;
    bool m_closing = false;
};

// The nine state images of the contents dialog.
QList<QIcon> contentsStateIcons();
// Prints a table on the printer's pages: the title on top, the visible columns scaled to the page
// width, the footnote at the foot of every page.
void printTable(QPrinter& printer, const TableDescription& table, const std::string& title,
                const std::string& footnote);

// Runs the contents dialog on a billing file with the receipt dialog of this machine behind its
// "Bearbeiten" buttons; true after OK (the decisions are then written). With a scripted user the
// dialogs are not shown: their transcript decorators answer.
bool runContentsDialog(ProfileStore& profile, MessageBoxes& boxes, const std::string& caption, CAbrechnungsDatei& file,
                       ContentsView variant, const PartnerLabList& labs, QWidget* parent = nullptr,
                       ScriptedUser* scriptedUser = nullptr);

} // namespace bv
