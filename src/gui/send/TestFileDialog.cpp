#include "gui/send/TestFileDialog.h"

#include "app/send/SendTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace bv {

TestFileDialog::TestFileDialog(TestFileDependencies dependencies, QWidget* parent)
    : QDialog(parent), m_info(new QLabel(this)), m_progressBar(new QProgressBar(this)), m_statusLine(new QLabel(this)),
      m_connectionIndicator(new QLabel(this)),
      m_cancel(new QPushButton(QString::fromUtf8(sendtext::CancelButton), this))
{
    setObjectName("testFileDialog");
    setWindowTitle(QString::fromUtf8(sendtext::TestFileTitle));
    setModal(true);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    m_info->setObjectName("infoText");
    m_info->setWordWrap(true);
    m_progressBar->setObjectName("progressBar");
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_statusLine->setObjectName("statusLine");
    m_connectionIndicator->setObjectName("connectionIndicator");
    m_connectionIndicator->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(24, 24));
    m_connectionIndicator->hide();
    m_cancel->setObjectName("cancelButton");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_connectionIndicator);
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_info);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_statusLine);
    layout->addLayout(buttons);

    m_controller = std::make_unique<TestFileController>(*this, std::move(dependencies));
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_controller->cancel(); });
}

TestFileDialog::~TestFileDialog()
{
    m_controller.reset(); // waits for a running upload before the widgets go
}

void TestFileDialog::start()
{
    m_controller->open();
}

void TestFileDialog::setInfoText(const std::string& text)
{
    m_info->setText(QString::fromStdString(text));
}

void TestFileDialog::setProgress(int percent)
{
    m_progressBar->setValue(percent);
}

void TestFileDialog::setStatusText(const std::string& text)
{
    m_statusLine->setText(QString::fromStdString(text));
}

void TestFileDialog::showConnectionIndicator()
{
    m_connectionIndicator->show();
}

void TestFileDialog::closeDialog()
{
    m_finished = true;
    done(QDialog::Rejected);
}

void TestFileDialog::reject()
{
    if (m_finished) {
        QDialog::reject();
        return;
    }
    m_controller->cancel();
}

} // namespace bv
