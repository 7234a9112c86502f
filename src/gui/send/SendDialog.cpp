#include "gui/send/SendDialog.h"

#include "app/send/SendTexts.h"
#include "gui/core/Screenshot.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace bv {

namespace {

struct FieldLayout
{
    SendField field;
    const char* name;         // objectName stem
    const char* initialLabel; // the label before a file is shown
};

// Top to bottom; the file size has no label and sits beside the transfer time.
const FieldLayout Fields[] = {
    {SendField::InvoiceCount, "invoiceCount", sendtext::InvoiceCountLabel},
    {SendField::Amount, "amount", sendtext::AmountLabel},
    {SendField::FileDate, "fileDate", sendtext::FileDateLabel},
    {SendField::Customer, "customer", sendtext::CustomerLabelInitial},
    {SendField::LastBatch, "lastBatch", sendtext::LastBatchLabel},
    {SendField::LastSend, "lastSend", sendtext::LastSendLabel},
    {SendField::TransferTime, "transferTime", sendtext::TransferTimeLabel},
    {SendField::FileSize, "fileSize", ""},
};

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

SendDialog::SendDialog(SendDialogDependencies dependencies, const SendDialogMode& mode, QWidget* parent,
                       const ViewDecoration<SendDialogView>& decoration)
    : QDialog(parent), m_progressGroup(new QWidget(this)), m_progressBar(new QProgressBar(m_progressGroup)),
      m_statusLine(new QLabel(m_progressGroup)), m_connectionIndicator(new QLabel(this)),
      m_send(new QPushButton(QString::fromUtf8(sendtext::SendButton), this)),
      m_cancel(new QPushButton(QString::fromUtf8(sendtext::CancelButton), this)),
      m_contents(new QPushButton(QString::fromUtf8(sendtext::ContentsButton), this))
{
    setObjectName("sendDialog");
    setWindowTitle(QString::fromUtf8(sendtext::DialogTitle));
    setModal(true);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    auto* grid = new QGridLayout;
    int row = 0;
    for (const FieldLayout& layout : Fields) {
        FieldWidgets widgets{new QLabel(QString::fromUtf8(layout.initialLabel), this), new QLabel(this)};
        widgets.label->setObjectName(QString(layout.name) + "Label");
        widgets.text->setObjectName(QString(layout.name) + "Text");
        widgets.text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (layout.field == SendField::FileSize) {
            widgets.label->hide();
            grid->addWidget(widgets.text, row - 1, 2);
        } else {
            grid->addWidget(widgets.label, row, 0);
            grid->addWidget(widgets.text, row, 1);
            ++row;
        }
        m_fields.emplace(layout.field, widgets);
    }

    m_progressGroup->setObjectName("progressGroup");
    m_progressBar->setObjectName("progressBar");
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_statusLine->setObjectName("statusLine");
    m_statusLine->setWordWrap(true);
    auto* progressLayout = new QVBoxLayout(m_progressGroup);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->addWidget(m_progressBar);
    progressLayout->addWidget(m_statusLine);
    m_progressGroup->hide();

    m_connectionIndicator->setObjectName("connectionIndicator");
    m_connectionIndicator->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(24, 24));
    m_connectionIndicator->hide();

    m_send->setObjectName("sendButton");
    m_send->setDefault(true);
    m_cancel->setObjectName("cancelButton");
    m_contents->setObjectName("contentsButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_connectionIndicator);
    buttons->addStretch();
    buttons->addWidget(m_contents);
    buttons->addWidget(m_send);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_progressGroup);
    layout->addLayout(buttons);

    m_controller = std::make_unique<SendDialogController>(
        decoratedView(decoration, static_cast<SendDialogView&>(*this)), std::move(dependencies), mode);
    connect(m_send, &QPushButton::clicked, this, [this] { m_controller->send(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_controller->cancel(); });
    connect(m_contents, &QPushButton::clicked, this, [this] { m_controller->showContents(); });
}

SendDialog::~SendDialog()
{
    // The controller goes first: it waits for a running upload, whose reports reach this window.
    m_controller.reset();
}

void SendDialog::start()
{
    m_controller->open();
}

void SendDialog::run()
{
    start();
    if (!m_finished)
        exec();
}

void SendDialog::setFieldLabel(SendField field, const std::string& label)
{
    m_fields.at(field).label->setText(qs(label));
}

void SendDialog::setFieldText(SendField field, const std::string& text)
{
    m_fields.at(field).text->setText(qs(text));
}

void SendDialog::showGroup(SendGroup group, bool visible)
{
    switch (group) {
    case SendGroup::LastBatch:
        m_fields.at(SendField::LastBatch).label->setVisible(visible);
        m_fields.at(SendField::LastBatch).text->setVisible(visible);
        break;
    case SendGroup::Progress:
        m_progressGroup->setVisible(visible);
        break;
    case SendGroup::ProgressBar:
        m_progressBar->setVisible(visible);
        break;
    case SendGroup::ContentsButton:
        m_contents->setVisible(visible);
        break;
    case SendGroup::ConnectionIndicator:
        m_connectionIndicator->setVisible(visible);
        break;
    }
}

QPushButton* SendDialog::buttonFor(SendButton button) const
{
    switch (button) {
    case SendButton::Send:
        return m_send;
    case SendButton::Cancel:
        return m_cancel;
    case SendButton::Contents:
        break;
    }
    return m_contents;
}

void SendDialog::setButtonEnabled(SendButton button, bool enabled)
{
    buttonFor(button)->setEnabled(enabled);
}

void SendDialog::setButtonText(SendButton button, const std::string& text)
{
    buttonFor(button)->setText(qs(text));
}

void SendDialog::setProgress(int percent)
{
    m_progressBar->setValue(percent);
}

void SendDialog::setStatusText(const std::string& text)
{
    m_statusLine->setText(qs(text));
}

void SendDialog::showDialog()
{
    adjustSize();
    show();
    if (screenshotsWanted())
        saveScreenshot(this, "send-dialog");
}

void SendDialog::closeDialog()
{
    m_finished = true;
    done(m_controller && m_controller->transmissionConfirmed() ? QDialog::Accepted : QDialog::Rejected);
}

void SendDialog::reject()
{
    if (m_finished) {
        QDialog::reject();
        return;
    }
    m_controller->cancel();
}

} // namespace bv
