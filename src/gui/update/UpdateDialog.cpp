#include "gui/update/UpdateDialog.h"

#include "app/update/UpdateTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv {

namespace {

const char* const CancelText = "Annuler";

} // namespace

UpdateDialog::UpdateDialog(UpdateDependencies dependencies, QWidget* parent,
                           const ViewDecoration<UpdateView>& decoration)
    : QDialog(parent), m_progress(new QProgressBar(this)),
      m_text(new QLabel(QString::fromUtf8(updatetext::Explanation), this)),
      m_cancel(new QPushButton(QString::fromUtf8(CancelText), this))
{
    setObjectName("updateDialog");
    setWindowTitle(QString::fromUtf8(updatetext::Caption));
    setModal(true);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    m_progress->setObjectName("progressBar");
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_text->setObjectName("updateText");
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(360);
    m_cancel->setObjectName("cancelButton");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    m_controller = std::make_unique<UpdateController>(decoratedView(decoration, static_cast<UpdateView&>(*this)),
                                                      std::move(dependencies));
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_controller->cancel(); });
}

UpdateDialog::~UpdateDialog() = default;

void UpdateDialog::setProgress(int percent)
{
    m_progress->setValue(percent);
}

void UpdateDialog::closeDialog()
{
    m_finished = true;
    done(m_controller->outcome() == UpdateOutcome::Installing ? QDialog::Accepted : QDialog::Rejected);
}

void UpdateDialog::reject()
{
    if (m_finished) {
        QDialog::reject();
        return;
    }
    m_controller->cancel();
}

} // namespace bv
