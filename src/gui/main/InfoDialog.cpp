#include "gui/main/InfoDialog.h"

#include "app/core/AppInfo.h"
#include "app/main/MainWindowTexts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace bv {

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("infoDialog"));
    setWindowTitle(QString::fromUtf8(mainwindowtext::InfoTitle));
    setStyleSheet(QStringLiteral("QDialog { background: white; }"));
    auto* title = new QLabel(QString::fromUtf8(appinfo::ProgramTitle), this);
    title->setObjectName(QStringLiteral("programTitle"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(buttons);
}

void InfoDialog::run()
{
    exec();
}

} // namespace bv
