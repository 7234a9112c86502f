#include "gui/login/LoginDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv {

namespace {

const char* const UserLabel = "Nom d'utilisateur :";
const char* const PasswordLabel = "Mot de passe :";
const char* const OkText = "OK";
const char* const CancelText = "Annuler";

} // namespace

LoginDialog::LoginDialog(const QString& title, LoginDependencies dependencies, QWidget* parent,
                         const ViewDecoration<LoginView>& decoration)
    : QDialog(parent), m_user(new QLineEdit(this)), m_password(new QLineEdit(this)),
      m_ok(new QPushButton(QString::fromUtf8(OkText), this)),
      m_cancel(new QPushButton(QString::fromUtf8(CancelText), this))
{
    setObjectName("loginDialog");
    setWindowTitle(title);
    setModal(true);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    m_user->setObjectName("userName");
    m_password->setObjectName("password");
    m_password->setEchoMode(QLineEdit::Password);
    m_ok->setObjectName("okButton");
    m_ok->setDefault(true);
    m_cancel->setObjectName("cancelButton");

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8(UserLabel), m_user);
    form->addRow(QString::fromUtf8(PasswordLabel), m_password);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    m_controller = std::make_unique<LoginController>(decoratedView(decoration, static_cast<LoginView&>(*this)),
                                                     std::move(dependencies));
    connect(m_ok, &QPushButton::clicked, this, [this] { m_controller->ok(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_controller->cancel(); });
}

LoginDialog::~LoginDialog() = default;

std::string LoginDialog::userName() const
{
    return m_user->text().toStdString();
}

std::string LoginDialog::password() const
{
    return m_password->text().toStdString();
}

void LoginDialog::setUserName(const std::string& text)
{
    m_user->setText(QString::fromStdString(text));
}

void LoginDialog::setPassword(const std::string& text)
{
    m_password->setText(QString::fromStdString(text));
}

void LoginDialog::focusUserName()
{
    m_user->setFocus();
}

void LoginDialog::focusPassword()
{
    m_password->setFocus();
}

void LoginDialog::setButtonsEnabled(bool enabled)
{
    m_ok->setEnabled(enabled);
    m_cancel->setEnabled(enabled);
}

void LoginDialog::closeDialog(LoginDialogResult result)
{
    m_result = result;
    m_finished = true;
    done(result == LoginDialogResult::LoggedIn ? QDialog::Accepted : QDialog::Rejected);
}

void LoginDialog::reject()
{
    if (m_finished) {
        QDialog::reject();
        return;
    }
    m_controller->cancel();
}

} // namespace bv
