#include "gui/contents/ContentsDialog.h"

#include "app/contents/ContentsTexts.h"
#include "app/contents/FileAttachments.h"
#include "app/unattended/ContentsTranscript.h"
#include "billing/attachments/AttachmentTexts.h"
#include "gui/grid/GridWidget.h"
#include "gui/grid/TableModel.h"
#include "gui/receipt/ReceiptDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

static void initContentsIconResources()
{
    Q_INIT_RESOURCE(ContentsIcons);
}

namespace bv {

namespace t = contentstext;

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

constexpr int GridHeight = 360;

// "Auswahl der Anlage": one of several images of an invoice.
std::optional<std::size_t> chooseAmong(const std::vector<AttachmentReference>& references, QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(attachmenttext::ChooseTitle);
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(QString::fromUtf8(attachmenttext::ChooseText), &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* grid = new GridWidget(&dialog);
    TableDescription table;
    table.columns = {{attachmenttext::ChooseGridTitle, 400, CellAlignment::Left}};
    for (std::size_t i = 0; i < references.size(); ++i)
        table.rows.push_back({std::to_string(i), {TableCell::textCell(references[i].imagePath)}});
    grid->setDescription(table);
    grid->selectRow(0);
    layout->addWidget(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted || !grid->currentIndex().isValid())
        return std::nullopt;
    return static_cast<std::size_t>(grid->currentIndex().row());
}

// The receipt dialog of this machine behind the "Bearbeiten" buttons.
class QtContentsDialogs : public ContentsDialogs
{
public:
    QtContentsDialogs(ProfileStore& profile, MessageBoxes& boxes, std::string caption, ScriptedUser* scriptedUser)
        : m_profile(profile), m_boxes(boxes), m_caption(std::move(caption)), m_scriptedUser(scriptedUser)
    {}
    void setParent(QWidget* parent) { m_parent = parent; }

    bool runReceipt(AttachmentEntry& entry, ReceiptMode mode, const PartnerLabList& labs) override
    {
        return runReceiptDialog(m_profile, m_boxes, m_caption, entry, static_cast<int>(mode), labs, m_parent,
                                m_scriptedUser);
    }
    std::optional<std::size_t> chooseAttachment(const std::vector<AttachmentReference>& references) override
    {
        return chooseAmong(references, m_parent);
    }

private:
    ProfileStore& m_profile;
    MessageBoxes& m_boxes;
    std::string m_caption;
    ScriptedUser* m_scriptedUser;
    QWidget* m_parent = nullptr;
};

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

QList<QIcon> contentsStateIcons()
{
    initContentsIconResources();
    QList<QIcon> icons;
    for (int n = 0; n < static_cast<int>(std::size(t::StateTips)); ++n)
        icons.append(QIcon(QString(":/contents/icons/state%1.png").arg(n)));
    return icons;
}

void printTable(QPrinter& printer, const TableDescription& table, const std::string& title, const std::string& footnote)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QList<QIcon> icons = contentsStateIcons();
    const QRect page = painter.viewport();
    QFont titleFont = painter.font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    const QFont bodyFont = painter.font();
    const int line = painter.fontMetrics().height() * 3 / 2;
    const int titleHeight = line * 2;
    const int footHeight = footnote.empty() ? 0 : line * 2;

    std::vector<std::size_t> shown;
    int totalWidth = 0;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (table.columns[c].width > 0) {
            shown.push_back(c);
            totalWidth += table.columns[c].width;
        }
    }
    const double scale = totalWidth > 0 ? static_cast<double>(page.width()) / totalWidth : 1.0;

    int y = 0;
    const auto header = [&] {
        painter.setFont(titleFont);
        painter.drawText(QRect(0, 0, page.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, qs(title));
        painter.setFont(bodyFont);
        y = titleHeight;
        int x = 0;
        for (std::size_t c : shown) {
            const TableColumn& column = table.columns[c];
            const int w = static_cast<int>(column.width * scale);
            const QRect cell(x, y, w, line);
            if (column.headerIcon >= 0 && column.headerIcon < icons.size())
                icons[column.headerIcon].paint(&painter, cell.adjusted(2, 2, -2, -2));
            else
                painter.drawText(cell.adjusted(3, 0, -3, 0), alignmentOf(column.alignment), qs(column.title));
            x += w;
        }
        painter.drawLine(0, y + line, page.width(), y + line);
        y += line;
    };
    const auto foot = [&] {
        if (!footnote.empty())
            painter.drawText(QRect(0, page.height() - footHeight, page.width(), footHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, qs(footnote));
    };

    header();
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        if (y + line > page.height() - footHeight) {
            foot();
            printer.newPage();
            header();
        }
        int x = 0;
        for (std::size_t c : shown) {
            const int w = static_cast<int>(table.columns[c].width * scale);
            const QRect rect(x, y, w, line);
            const TableCell& cell = table.cell(r, c);
            if (cell.background)
                painter.fillRect(rect, QColor(cell.background->red, cell.background->green, cell.background->blue));
            if (cell.kind == TableCell::Kind::Icon && cell.icon >= 0 && cell.icon < icons.size())
                icons[cell.icon].paint(&painter, rect.adjusted(2, 2, -2, -2));
            else if (cell.kind == TableCell::Kind::Text)
                painter.drawText(rect.adjusted(3, 0, -3, 0), alignmentOf(table.columns[c].alignment), qs(cell.text));
            x += w;
        }
        y += line;
    }
    foot();
    painter.end();
}

ContentsDialog::ContentsDialog(ContentsDialogs& dialogs, ContentsDependencies dependencies, CAbrechnungsDatei& file,
                               ContentsView variant, PartnerLabList labs, QWidget* parent,
                               const ViewDecoration<ContentsWindow>& decoration)
    : QDialog(parent)
{
    setObjectName("contentsDialog");
    setWindowTitle(t::Title);
    m_controller =
        std::make_unique<ContentsController>(decoratedView(decoration, static_cast<ContentsWindow&>(*this)), dialogs,
                                             std::move(dependencies), file, variant, std::move(labs), false);
    ContentsController* c = m_controller.get();

    m_grid = new GridWidget(this);
    m_grid->setIcons(contentsStateIcons());
    m_grid->setMinimumHeight(GridHeight);
    m_grid->onButton([c](const std::string& key) { c->edit(key); });
    m_footnote = new QLabel(this);
    m_footnote->setObjectName("footnote");
    auto* print = new QPushButton(QString::fromUtf8(t::Print), this);
    print->setObjectName("print");
    print->setAutoDefault(false);
    connect(print, &QPushButton::clicked, this, [c] { c->print(); });
    auto* ok = new QPushButton(t::Ok, this);
    ok->setObjectName("ok");
    connect(ok, &QPushButton::clicked, this, [c] { c->ok(); });
    auto* cancel = new QPushButton(t::Cancel, this);
    cancel->setObjectName("cancel");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [c] { c->cancel(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_footnote);
    layout->addLayout(buttons);
}

ContentsDialog::~ContentsDialog() = default;

bool ContentsDialog::run()
{
    m_controller->open();
    if (!m_controller->closed())
        exec();
    return m_controller->closedWithOk();
}

void ContentsDialog::showTable(const TableDescription& table, int width)
{
    m_grid->setDescription(table);
    resize(width, height());
}

void ContentsDialog::updateRow(const TableRow& row)
{
    m_grid->updateRow(row);
}

void ContentsDialog::setFootnote(const std::string& text)
{
    m_footnote->setText(qs(text));
    m_footnote->setVisible(!text.empty());
}

void ContentsDialog::print(const std::string& title, const std::string& footnote)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printer.setDocName(qs(title));
    printTable(printer, m_grid->tableModel().description(), title, footnote);
}

void ContentsDialog::printToFile(const std::string& path, const std::string& title, const std::string& footnote)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(qs(path));
    printer.setDocName(qs(title));
    printTable(printer, m_grid->tableModel().description(), title, footnote);
}

void ContentsDialog::closeDialog(bool ok)
{
    m_closing = true;
    done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void ContentsDialog::reject()
{
    if (m_closing)
        QDialog::reject();
    else
        m_controller->cancel();
}

bool runContentsDialog(ProfileStore& profile, MessageBoxes& boxes, const std::string& caption, CAbrechnungsDatei& file,
                       ContentsView variant, const PartnerLabList& labs, QWidget* parent, ScriptedUser* scriptedUser)
{
    FileAttachments attachments(file);
    QtContentsDialogs qtDialogs(profile, boxes, caption, scriptedUser);
    ContentsDialogs* dialogs = &qtDialogs;
    std::optional<ContentsDialogsTranscript> dialogsTranscript;
    std::optional<ContentsTranscript> transcript;
    ViewDecoration<ContentsWindow> decoration;
    if (scriptedUser) {
        dialogs = &dialogsTranscript.emplace(*scriptedUser, qtDialogs);
        transcript.emplace(*scriptedUser);
        decoration = [&transcript](ContentsWindow& window) -> ContentsWindow& { return transcript->wrap(window); };
    }
    ContentsDependencies deps(profile, boxes, attachments);
    deps.caption = caption;
    ContentsDialog dialog(*dialogs, deps, file, variant, labs, parent, decoration);
    qtDialogs.setParent(&dialog);
    if (transcript)
        return transcript->run(dialog.controller());
    return dialog.run();
}

} // namespace bv
