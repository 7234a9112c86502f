#include "gui/setup/SetupDialog.h"

#include "app/core/ClientApp.h"
#include "app/unattended/SetupTranscript.h"

#include "config/ConfigTexts.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace bv {

namespace {

// Labels of the dialog's controls (the dialog template's own texts).
constexpr const char* SpoolGroupLabel = "Répertoire des factures";
constexpr const char* DriveALabel = "Lecteur A:";
constexpr const char* DriveBLabel = "Lecteur B:";
constexpr const char* DirectoryLabel = "Répertoire :";
constexpr const char* UseProxyLabel = "Utiliser le proxy du système";
constexpr const char* UseLanLabel = "Cet ordinateur est relié à un réseau (LAN)";

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

SetupDialog::SetupDialog(SetupController& controller, QWidget* parent) : QDialog(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("setupDialog"));
    setWindowTitle(QString::fromUtf8(configtext::SetupCaption));
    setStyleSheet(QStringLiteral("QDialog { background: white; }"));

    auto* group = new QGroupBox(QString::fromUtf8(SpoolGroupLabel), this);
    m_driveA = new QRadioButton(QString::fromUtf8(DriveALabel), group);
    m_driveA->setObjectName(QStringLiteral("driveA"));
    m_driveB = new QRadioButton(QString::fromUtf8(DriveBLabel), group);
    m_driveB->setObjectName(QStringLiteral("driveB"));
    m_directory = new QRadioButton(QString::fromUtf8(DirectoryLabel), group);
    m_directory->setObjectName(QStringLiteral("directoryChoice"));
    m_directoryText = new QLineEdit(group);
    m_directoryText->setObjectName(QStringLiteral("directoryText"));
    m_browse = new QPushButton(QStringLiteral("..."), group);
    m_browse->setObjectName(QStringLiteral("browse"));

    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(m_directory);
    directoryRow->addWidget(m_directoryText, 1);
    directoryRow->addWidget(m_browse);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_driveA);
    groupLayout->addWidget(m_driveB);
    groupLayout->addLayout(directoryRow);

    m_useProxy = new QCheckBox(QString::fromUtf8(UseProxyLabel), this);
    m_useProxy->setObjectName(QStringLiteral("useProxy"));
    m_useLan = new QCheckBox(QString::fromUtf8(UseLanLabel), this);
    m_useLan->setObjectName(QStringLiteral("useLan"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SetupDialog::onAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(m_useProxy);
    layout->addWidget(m_useLan);
    layout->addWidget(buttons);

    // Opening state as the controller decided it.
    const SetupState& opening = m_controller.opening();
    m_driveA->setEnabled(m_controller.driveEnabled(SetupState::Choice::DriveA));
    m_driveB->setEnabled(m_controller.driveEnabled(SetupState::Choice::DriveB));
    switch (opening.choice) {
    case SetupState::Choice::DriveA:
        m_driveA->setChecked(true);
        break;
    case SetupState::Choice::DriveB:
        m_driveB->setChecked(true);
        break;
    case SetupState::Choice::Directory:
        m_directory->setChecked(true);
        break;
    }
    const DirectoryField field = m_controller.openingDirectoryField();
    m_directoryText->setText(qs(field.text));
    m_directoryText->setEnabled(field.enabled);
    m_browse->setEnabled(field.enabled);
    m_useProxy->setChecked(opening.useProxy);
    m_useLan->setChecked(opening.useLan);

    for (QRadioButton* choice : {m_driveA, m_driveB, m_directory})
        connect(choice, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                onChoiceChanged();
        });
    connect(m_browse, &QPushButton::clicked, this, &SetupDialog::onBrowse);
}

SetupDialog::~SetupDialog() = default;

SetupState::Choice SetupDialog::currentChoice() const
{
    if (m_driveA->isChecked())
        return SetupState::Choice::DriveA;
    if (m_driveB->isChecked())
        return SetupState::Choice::DriveB;
    return SetupState::Choice::Directory;
}

SetupState SetupDialog::editedState() const
{
    SetupState state;
    state.choice = currentChoice();
    state.directory = m_directoryText->text().toStdString();
    state.useProxy = m_useProxy->isChecked();
    state.useLan = m_useLan->isChecked();
    return state;
}

void SetupDialog::onChoiceChanged()
{
    const DirectoryField field = m_controller.select(currentChoice(), m_directoryText->text().toStdString());
    m_directoryText->setText(qs(field.text));
    m_directoryText->setEnabled(field.enabled);
    m_browse->setEnabled(field.enabled);
}

void SetupDialog::onBrowse()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QString::fromUtf8(configtext::FolderBrowserTitle),
                                                             m_directoryText->text());
    if (!chosen.isEmpty())
        m_directoryText->setText(chosen);
}

void SetupDialog::onAccept()
{
    m_controller.accept(editedState());
    accept();
}

void runSetupDialog(ClientApp& app, QWidget* parent)
{
    files::DriveProbe drives;
    SetupController controller(app.profile(), drives);
    if (ScriptedUser* user = app.scriptedUser()) {
        runSetupTranscript(*user, controller);
        return;
    }
    SetupDialog dialog(controller, parent);
    dialog.exec();
}

} // namespace bv
