#include "gui/login/LoginDialog.h"

#include "bvcentre/BillingCentre.h"
#include "gui/core/QtDispatcher.h"
#include "net/ContractList.h"
#include "net/SessionRecord.h"

#include "FakePorts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// The login window against a local billing centre, driven through its widgets.
class LoginDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_centre.start());
        bv::testing::Account account;
        account.user = "dupont";
        account.password = "geheim";
        account.contracts = {{"123456", "Cabinet Dupont"}, {"000042", "Laboratoire"}};
        m_centre.addAccount(account);
    }

    void init()
    {
        m_centre.clearRequests();
        m_centre.clearScripts();
        m_session = bv::SessionRecord{};
        m_session.loginAddress = m_centre.url("/login");
        m_session.loginContext = "CMA";
        m_contracts = bv::ContractList{};
        m_boxes.boxes.clear();
        m_settings.values.clear();
        m_dialog = std::make_unique<bv::LoginDialog>("brevalis Demo", dependencies());
        m_dialog->show();
        QTimer::singleShot(0, m_dialog.get(), [this] { m_dialog->controller().start(); });
        QTest::qWait(1);
    }

    void cleanup() { m_dialog.reset(); }

    void widgetsAndTitle()
    {
        QCOMPARE(m_dialog->windowTitle(), QString("brevalis Demo"));
        QVERIFY(field("userName"));
        QVERIFY(field("password"));
        QCOMPARE(field("password")->echoMode(), QLineEdit::Password);
        QVERIFY(button("okButton"));
        QVERIFY(button("cancelButton"));
        QCOMPARE(m_dialog->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void correctLoginOpensTheSession()
    {
        QTest::keyClicks(field("userName"), "dupont");
        QTest::keyClicks(field("password"), "geheim");
        QTest::mouseClick(button("okButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_dialog->isFinished(), 10000);

        QVERIFY(m_dialog->loginResult() == bv::LoginDialogResult::LoggedIn);
        QVERIFY(m_session.loggedIn);
        QVERIFY(!m_session.sessionId.empty());
        QCOMPARE(m_centre.activeSessions(), std::vector<std::string>{m_session.sessionId});
        QCOMPARE(m_contracts.count(), 2);
        QCOMPARE(m_settings.get("General/LastUser").value_or(""), std::string("dupont"));

        const auto logins = m_centre.requests("/login");
        QCOMPARE(logins.size(), std::size_t(1));
        QCOMPARE(logins[0].httpVersion, std::string("HTTP/1.0"));
        QVERIFY(logins[0].body.rfind("benutzer=dupont&passwort=geheim&ClientVersion=BV_CL%20%5B1.5.1", 0) == 0);
        QCOMPARE(logins[0].form.find("LoginKontext")->second, std::string("CMA"));
    }

    void buttonsAreOffWhileTheRequestRuns()
    {
        bv::testing::ScriptedReply slow;
        slow.body = "SESSIONID: slow\r\n";
        slow.delayBeforeHeaders = std::chrono::milliseconds(700);
        m_centre.script("/login", slow);
        QTest::keyClicks(field("userName"), "dupont");
        QTest::keyClicks(field("password"), "geheim");
        QTest::mouseClick(button("okButton"), Qt::LeftButton);
        QVERIFY(!button("okButton")->isEnabled());
        QVERIFY(!button("cancelButton")->isEnabled());
        QTest::keyClick(m_dialog.get(), Qt::Key_Escape); // ignored while the request runs
        QVERIFY(!m_dialog->isFinished());
        QTRY_VERIFY_WITH_TIMEOUT(m_dialog->isFinished(), 10000);
        QCOMPARE(m_session.sessionId, std::string("slow"));
    }

    void wrongPasswordThreeTimesLocksOut()
    {
        QTest::keyClicks(field("userName"), "dupont");
        for (int attempt = 1; attempt <= 3; ++attempt) {
            QTest::keyClicks(field("password"), "falsch");
            QTest::mouseClick(button("okButton"), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(
                m_centre.requests("/login").size() == std::size_t(attempt) && !m_dialog->controller().busy(), 10000);
            if (attempt < 3) {
                QVERIFY(!m_dialog->isFinished());
                QCOMPARE(field("password")->text(), QString());
                QVERIFY(button("okButton")->isEnabled());
            }
        }
        QTRY_VERIFY(m_dialog->isFinished());
        QVERIFY(m_dialog->loginResult() == bv::LoginDialogResult::Failed);
        QVERIFY(m_session.lockedOut);
        QVERIFY(!m_session.loggedIn);
        QCOMPARE(m_boxes.boxes.size(), std::size_t(3)); // the centre's refusal each time
        QVERIFY(!m_settings.get("General/LastUser"));
    }

    void cancelEndsTheDialog()
    {
        QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        QVERIFY(m_dialog->isFinished());
        QVERIFY(m_dialog->loginResult() == bv::LoginDialogResult::Cancelled);
        QVERIFY(m_centre.requests("/login").empty());
    }

private:
    bv::LoginDependencies dependencies()
    {
        bv::LoginDependencies deps{m_session, m_contracts, m_settings, m_boxes, m_dispatcher};
        deps.environment = {"1.5.1 (Build 1051) CH-FR", "6.4.2/102.0", "Linux test", "FRZ", "LAN"};
        deps.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
        deps.appendCustomerNumber = [](const std::string&) {};
        return deps;
    }

    QLineEdit* field(const char* name) const { return m_dialog->findChild<QLineEdit*>(name); }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(name); }

    bv::testing::BillingCentre m_centre;
    bv::QtDispatcher m_dispatcher;
    bv::SessionRecord m_session;
    bv::ContractList m_contracts;
    bv::test::RecordingBoxes m_boxes;
    bv::test::MemoryProfileStore m_settings;
    std::unique_ptr<bv::LoginDialog> m_dialog;
};

} // namespace

QTEST_MAIN(LoginDialogTest)
#include "LoginDialogTest.moc"
