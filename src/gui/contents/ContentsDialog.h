#pragma once

#include "app/contents/ContentsController.h"
#include "app/contents/ContentsPorts.h"
#include "gui/core/DialogTranscript.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

class QLabel;
class QPrinter;

namespace bv {

class GridWidget;

// The invoice contents dialog "Inhalt der Abrechnungsdatei": the grid of invoices and laboratory
// services with the nine state images, the amount footnote, "Drucken...", OK and Cancel. It only
// draws; its ContentsController decides. In an unattended run it is not shown: the answers of
// docs/ARCHITECTURE.md press its buttons.
class ContentsDialog : public QDialog, public ContentsWindow
{
public:
    ContentsDialog(ContentsDialogs& dialogs, ContentsDependencies dependencies, CAbrechnungsDatei& file,
                   ContentsView variant, PartnerLabList labs, QWidget* parent = nullptr);
    ~ContentsDialog() override;

    ContentsController& controller() { return *m_controller; }
    GridWidget& grid() { return *m_grid; }

    // Opens the dialog and runs it modally (or through the unattended answers); true after OK.
    bool run();

    void showTable(const TableDescription& table, int width) override;
    void updateRow(const TableRow& row) override;
    void setFootnote(const std::string& text) override;
    // Asks for a printer (unattended: prints into the PDF file the answer named).
    void print(const std::string& title, const std::string& footnote) override;
    void closeDialog(bool ok) override;

    // Escape and the close box mean Cancel.
    void reject() override;

private:
    GridWidget* m_grid;
    QLabel* m_footnote;
    std::unique_ptr<ContentsController> m_controller;
    std::optional<DialogTranscript> m_transcript;
    std::string m_pdfPath; // unattended printing
    bool m_closing = false;
};

// The nine state images of the contents dialog.
QList<QIcon> contentsStateIcons();
// Prints a table on the printer's pages: the title on top, the visible columns scaled to the page
// width, the footnote at the foot of every page.
void printTable(QPrinter& printer, const TableDescription& table, const std::string& title,
                const std::string& footnote);

// Runs the contents dialog on a billing file with the receipt dialog of this machine behind its
// "Bearbeiten" buttons; true after OK (the decisions are then written).
bool runContentsDialog(ProfileStore& profile, MessageBoxes& boxes, const std::string& caption, CAbrechnungsDatei& file,
                       ContentsView variant, const PartnerLabList& labs, QWidget* parent = nullptr);

} // namespace bv
