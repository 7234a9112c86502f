#include "gui/receipt/ReceiptDialog.h"

#include "app/receipt/ReceiptTexts.h"
#include "app/unattended/ReceiptTranscript.h"
#include "config/CompanyWord.h"
#include "gui/imaging/MagickImageDocument.h"
#include "gui/scanning/SaneScanner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace bv {

namespace t = receipttext;

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// Below this the dialog's controls no longer fit.
constexpr int MinWidth = 800;
constexpr int MinHeight = 550;

} // namespace

ReceiptDialog::ReceiptDialog(ReceiptDependencies dependencies, AttachmentEntry& entry, int mode, PartnerLabList labs,
                             QWidget* parent, const ViewDecoration<ReceiptView>& decoration)
    : QDialog(parent)
{
    setObjectName("receiptDialog");
    setWindowTitle(t::Title);
    setMinimumSize(MinWidth, MinHeight);
    m_controller = std::make_unique<ReceiptController>(decoratedView(decoration, static_cast<ReceiptView&>(*this)),
                                                       std::move(dependencies), entry, mode, std::move(labs));
    ReceiptController* c = m_controller.get();

    auto* controls = new QVBoxLayout;
    m_scanningRow = new QWidget(this);
    auto* scanning = new QVBoxLayout(m_scanningRow);
    scanning->setContentsMargins(0, 0, 0, 0);
    m_receipt = new QCheckBox(t::ReceiptCheck, m_scanningRow);
    m_receipt->setObjectName("receipt");
    m_receipt->setToolTip(t::ReceiptTip);
    connect(m_receipt, &QCheckBox::clicked, this, [c](bool on) { c->setReceiptFlag(on); });
    scanning->addWidget(m_receipt);
    scanning->addWidget(addButton(ReceiptButton::Scan, "scan", t::ScanFirst, &ReceiptController::scan));
    m_buttons[ReceiptButton::Scan]->setToolTip(t::ScanTip);
    scanning->addWidget(addButton(ReceiptButton::Append, "append", t::Append, &ReceiptController::append));
    scanning->addWidget(addButton(ReceiptButton::Insert, "insert", t::Insert, &ReceiptController::insert));
    scanning->addWidget(
        addButton(ReceiptButton::DeletePage, "deletePage", t::DeletePage, &ReceiptController::deletePage));
    scanning->addWidget(
        addButton(ReceiptButton::SelectSource, "selectSource", t::SelectSource, &ReceiptController::selectSource));
    scanning->addWidget(
        addButton(ReceiptButton::ChooseFile, "chooseFile", t::ChooseFile, &ReceiptController::chooseFile));
    m_chosenFile = new QLabel(m_scanningRow);
    m_chosenFile->setObjectName("chosenFile");
    scanning->addWidget(m_chosenFile);
    controls->addWidget(m_scanningRow);

    m_partnerGroup = new QGroupBox(t::PartnerGroup, this);
    m_partnerGroup->setObjectName("partnerGroup");
    m_partnerGroup->setCheckable(true);
    m_partnerGroup->setToolTip(t::PartnerTip);
    connect(m_partnerGroup, &QGroupBox::clicked, this, [c](bool on) { c->setPartnerFlag(on); });
    auto* partnerLayout = new QVBoxLayout(m_partnerGroup);
    m_partnerFields = new QWidget(m_partnerGroup);
    auto* form = new QFormLayout(m_partnerFields);
    form->setContentsMargins(0, 0, 0, 0);
    m_partnerList = new QComboBox(m_partnerFields);
    m_partnerList->setObjectName("partnerList");
    connect(m_partnerList, &QComboBox::activated, this, [c](int index) { c->selectPartnerLine(index); });
    m_number = new QLineEdit(m_partnerFields);
    m_number->setObjectName("labInvoiceNumber");
    connect(m_number, &QLineEdit::textEdited, this, [c](const QString& text) { c->setNumberText(text.toStdString()); });
    m_date = new QLineEdit(m_partnerFields);
    m_date->setObjectName("labInvoiceDate");
    connect(m_date, &QLineEdit::textEdited, this, [c](const QString& text) { c->setDateText(text.toStdString()); });
    m_amount = new QLabel(m_partnerFields);
    m_amount->setObjectName("amount");
    form->addRow(t::PartnerLabel, m_partnerList);
    form->addRow(t::NumberLabel, m_number);
    form->addRow(t::DateLabel, m_date);
    form->addRow(QString(), m_amount);
    partnerLayout->addWidget(m_partnerFields);
    controls->addWidget(m_partnerGroup);
    controls->addStretch(1);
    auto* closeRow = new QHBoxLayout;
    closeRow->addWidget(addButton(ReceiptButton::Ok, "ok", t::Ok, &ReceiptController::ok));
    closeRow->addWidget(addButton(ReceiptButton::Cancel, "cancel", t::Cancel, &ReceiptController::cancel));
    controls->addLayout(closeRow);

    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(addButton(ReceiptButton::First, "firstPage", t::First, &ReceiptController::firstPage));
    pageRow->addWidget(
        addButton(ReceiptButton::Previous, "previousPage", t::Previous, &ReceiptController::previousPage));
    m_buttons[ReceiptButton::Previous]->setToolTip(t::PreviousTip);
    m_pageText = new QLabel(this);
    m_pageText->setObjectName("pageText");
    pageRow->addWidget(m_pageText);
    pageRow->addWidget(addButton(ReceiptButton::Next, "nextPage", t::Next, &ReceiptController::nextPage));
    m_buttons[ReceiptButton::Next]->setToolTip(t::NextTip);
    pageRow->addWidget(addButton(ReceiptButton::Last, "lastPage", t::Last, &ReceiptController::lastPage));
    pageRow->addStretch(1);
    pageRow->addWidget(addButton(ReceiptButton::ZoomOut, "zoomOut", t::ZoomOut, &ReceiptController::zoomOut));
    m_zoomText = new QLabel(this);
    m_zoomText->setObjectName("zoomText");
    pageRow->addWidget(m_zoomText);
    pageRow->addWidget(addButton(ReceiptButton::ZoomIn, "zoomIn", t::ZoomIn, &ReceiptController::zoomIn));
    pageRow->addWidget(addButton(ReceiptButton::Fit, "fit", t::Fit, &ReceiptController::fit));
    pageRow->addWidget(addButton(ReceiptButton::FitWidth, "fitWidth", t::FitWidth, &ReceiptController::fitWidth));
    pageRow->addWidget(addButton(ReceiptButton::Rotate, "rotate", t::Rotate, &ReceiptController::rotate));
    m_buttons[ReceiptButton::Rotate]->setToolTip(t::RotateTip);

    m_scene = new QGraphicsScene(this);
    m_pixmap = m_scene->addPixmap(QPixmap());
    m_view = new QGraphicsView(m_scene, this);
    m_view->setObjectName("imageArea");
    m_view->setBackgroundBrush(palette().brush(QPalette::Dark)); // the workspace behind the page

    auto* pageColumn = new QVBoxLayout;
    pageColumn->addLayout(pageRow);
    pageColumn->addWidget(m_view, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(pageColumn, 1);
}

ReceiptDialog::~ReceiptDialog() = default;

QPushButton* ReceiptDialog::addButton(ReceiptButton id, const char* objectName, const char* text,
                                      void (ReceiptController::*press)())
{
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    ReceiptController* c = m_controller.get();
    connect(button, &QPushButton::clicked, this, [c, press] { (c->*press)(); });
    m_buttons[id] = button;
    return button;
}

bool ReceiptDialog::run()
{
    m_controller->open();
    if (!m_controller->closed())
        exec();
    return m_controller->closedWithOk();
}

void ReceiptDialog::setTitle(const std::string& title)
{
    setWindowTitle(qs(title));
}

void ReceiptDialog::setButtonText(ReceiptButton button, const std::string& text)
{
    m_buttons.at(button)->setText(qs(text));
}

void ReceiptDialog::setButtonEnabled(ReceiptButton button, bool enabled)
{
    m_buttons.at(button)->setEnabled(enabled);
}

void ReceiptDialog::setButtonVisible(ReceiptButton button, bool visible)
{
    m_buttons.at(button)->setVisible(visible);
}

void ReceiptDialog::setControlEnabled(ReceiptControl control, bool enabled)
{
    switch (control) {
    case ReceiptControl::ReceiptCheck:
        m_receipt->setEnabled(enabled);
        break;
    case ReceiptControl::PartnerGroup:
        m_partnerGroup->setEnabled(enabled);
        break;
    case ReceiptControl::PartnerFields:
        m_partnerFields->setEnabled(enabled);
        break;
    }
}

void ReceiptDialog::setControlVisible(ReceiptControl control, bool visible)
{
    switch (control) {
    case ReceiptControl::ReceiptCheck:
        m_receipt->setVisible(visible);
        break;
    case ReceiptControl::PartnerGroup:
        m_partnerGroup->setVisible(visible);
        break;
    case ReceiptControl::PartnerFields:
        m_partnerFields->setVisible(visible);
        break;
    }
}

void ReceiptDialog::setReceiptChecked(bool checked)
{
    m_receipt->setChecked(checked);
}

void ReceiptDialog::setPartnerChecked(bool checked)
{
    m_partnerGroup->setChecked(checked);
}

void ReceiptDialog::setPartnerLines(const std::vector<std::string>& lines)
{
    m_partnerList->clear();
    for (const std::string& line : lines)
        m_partnerList->addItem(qs(line));
}

void ReceiptDialog::selectPartnerLine(int index)
{
    m_partnerList->setCurrentIndex(index);
}

void ReceiptDialog::setNumberText(const std::string& text)
{
    m_number->setText(qs(text));
}

void ReceiptDialog::setDateText(const std::string& text)
{
    m_date->setText(qs(text));
}

void ReceiptDialog::setAmountText(const std::string& text)
{
    m_amount->setText(qs(text));
}

void ReceiptDialog::setPageText(const std::string& text)
{
    m_pageText->setText(qs(text));
}

void ReceiptDialog::setZoomText(const std::string& text)
{
    m_zoomText->setText(qs(text));
}

void ReceiptDialog::setChosenFile(const std::string& path)
{
    m_chosenFile->setText(qs(path));
}

void ReceiptDialog::moveScanningPlaceToPartner()
{
    m_scanningRow->hide();
}

void ReceiptDialog::showPage(const PageImage& page, int zoomPercent)
{
    if (page.empty()) {
        m_pixmap->setPixmap(QPixmap());
        m_scene->setSceneRect(QRectF());
        return;
    }
    const QImage image(page.pixels.data(), page.width, page.height, page.width * page.channels,
                       page.channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    m_pixmap->setPixmap(QPixmap::fromImage(image)); // copies the pixels
    m_scene->setSceneRect(m_pixmap->boundingRect());
    const qreal scale = zoomPercent / 100.0;
    m_view->setTransform(QTransform::fromScale(scale, scale));
}

int ReceiptDialog::imageAreaWidth() const
{
    return m_view->viewport()->width();
}

int ReceiptDialog::imageAreaHeight() const
{
    return m_view->viewport()->height();
}

std::optional<std::size_t> ReceiptDialog::chooseSource(const std::vector<ScannerSource>& sources,
                                                       const std::string& current)
{
    QStringList items;
    int currentIndex = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        items << qs(sources[i].name + " (" + sources[i].maker + " " + sources[i].family + ")");
        if (sources[i].name == current)
            currentIndex = static_cast<int>(i);
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, t::SelectSource, QString(), items, currentIndex, false, &ok);
    if (!ok)
        return std::nullopt;
    return static_cast<std::size_t>(items.indexOf(chosen));
}

std::optional<std::string> ReceiptDialog::chooseTiffFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), t::TiffFilter);
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

ScreenRect ReceiptDialog::workArea() const
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

ScreenRect ReceiptDialog::windowRect() const
{
    const QRect r = geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void ReceiptDialog::placeWindow(const WindowPlacement& placement)
{
    resize(std::max(placement.cx, MinWidth), std::max(placement.cy, MinHeight));
    if (placement.maximise) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else if (placement.centre) {
        const ScreenRect area = workArea();
        move(area.left + (area.right - area.left - width()) / 2, area.top + (area.bottom - area.top - height()) / 2);
    } else {
        move(placement.x, placement.y);
    }
}

void ReceiptDialog::closeDialog(bool ok)
{
    m_closing = true;
    done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void ReceiptDialog::reject()
{
    if (m_closing)
        QDialog::reject();
    else
        m_controller->cancel();
}

bool runReceiptDialog(ProfileStore& profile, MessageBoxes& boxes, const std::string& caption, AttachmentEntry& entry,
                      int mode, const PartnerLabList& labs, QWidget* parent, ScriptedUser* scriptedUser)
{
    MagickImageDocument document;
    SaneScanner scanner;
    ReceiptDependencies deps(profile, boxes, document, scanner);
    deps.caption = caption;
    deps.identity = {t::Title, "bvals_cl", t::Title, CompanyWord};
    std::optional<ReceiptTranscript> transcript;
    ViewDecoration<ReceiptView> decoration;
    if (scriptedUser) {
        transcript.emplace(*scriptedUser);
        decoration = [&transcript](ReceiptView& window) -> ReceiptView& { return transcript->wrap(window); };
    }
    ReceiptDialog dialog(deps, entry, mode, labs, parent, decoration);
    if (transcript)
        return transcript->run(dialog.controller());
    return dialog.run();
}

} // namespace bv
