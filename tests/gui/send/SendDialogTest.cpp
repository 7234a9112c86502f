#include "gui/send/SendDialog.h"

#include "app/login/LoginDialogRunner.h"
#include "app/login/LoginService.h"
#include "billing/FeeValueTable.h"
#include "billing/SampleFiles.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "config/ProfileStore.h"
#include "gui/core/QtDispatcher.h"
#include "gui/send/QtKeepAliveTimer.h"
#include "net/ContractList.h"
#include "net/NetworkConnection.h"
#include "net/SessionRecord.h"
#include "platform/Files.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include "SendFakes.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <memory>

namespace {

class NoLoginDialog : public bv::LoginDialogRunner
{
public:
    bv::LoginDialogResult runLoginDialog() override { return bv::LoginDialogResult::Cancelled; }
};

// The send dialog offscreen, over a spool with one CHZ file and an upload thread of the tests,
// driven through its widgets.
class SendDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_registry = std::make_unique<bv::TempRegistry>();
        m_profile = std::make_unique<bv::Profile>(m_registry->registry());
        m_profile->writeString(bv::section::General, bv::profilekey::UseLan.name, "1");
        m_profile->writeString(bv::section::Abrechnungsversand, "URL", "http://centre.test/upload");
        m_spool = std::make_unique<bv::TempDir>("bv-send-gui-");
        m_spool->write("abrechnung.chz", bv::samples::chzFile({}) + std::string(200 * 1024, 'x'));
        m_session = bv::SessionRecord{};
        m_session.sessionId = "S1";
        m_session.loggedIn = true;
        m_contracts.replaceFrom("4711=Praxis", [](const std::string&) {});
        m_settings = m_profile.get();
        m_connection = std::make_unique<bv::NetworkConnection>(*m_settings, m_boxes, m_probe, m_dialUp);
        m_login = std::make_unique<bv::LoginService>(m_session, m_contracts, *m_settings, m_boxes, *m_connection,
                                                     m_loginDialog, "agent", false);
        m_aliveReply = "1";
        m_login->setRequestRoutine([this](bv::InternetRequest& request) { request.reply = m_aliveReply; });
        m_starter = std::make_unique<bv::test::ThreadUploadStarter>();
        m_starter->reply.body = "BV_SENDOK: NOMSG\r\nBV_NEXTURL: http://centre.test/app/next\n";
        m_boxes.boxes.clear();

        bv::SendDialogDependencies deps(*m_profile, m_boxes, *m_login, *m_starter, m_dispatcher, m_timer, m_fees,
                                        m_removable);
        m_dialog = std::make_unique<bv::SendDialog>(deps, bv::SendDialogMode{false, m_spool->path(), true});
        m_timer.setTickHandler([this] { m_dialog->controller().keepAliveTick(); });
        m_dialog->start();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_starter.reset();
        m_spool.reset();
    }

    void showsTheFileOnAWhiteDialog()
    {
        QCOMPARE(m_dialog->windowTitle(), QString("Envoyer la facture"));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(button("sendButton")->text(), QString("Envoyer"));
        QCOMPARE(button("cancelButton")->text(), QString("Annuler"));
        QVERIFY(button("contentsButton")->isHidden());
        QCOMPARE(label("customerLabel")->text(), QString("Client / pile:"));
        QCOMPARE(label("customerText")->text(), QString("004711 / 12"));
        QCOMPARE(label("amountText")->text(), QString("1.234,56 CHF    "));
        QCOMPARE(label("fileDateText")->text(), QString("07.03.2013"));
        QVERIFY(label("lastBatchText")->isHidden());
        QCOMPARE(label("transferTimeText")->text(), QString::fromUtf8("0 min 45 s (Größe: 201 KB)"));
        QVERIFY(m_dialog->findChild<QWidget*>("progressGroup")->isHidden());
        QVERIFY(m_dialog->findChild<QWidget*>("connectionIndicator")->isHidden());
    }

    void sendShowsProgressAndClosesOnConfirmation()
    {
        m_starter->hold.reset();
        QTest::mouseClick(button("sendButton"), Qt::LeftButton);
        QVERIFY(!button("sendButton")->isEnabled());
        QVERIFY(!m_dialog->findChild<QWidget*>("progressGroup")->isHidden());
        QVERIFY(m_timer.isActive());
        m_starter->hold.set();
        QTRY_VERIFY_WITH_TIMEOUT(m_dialog->isFinished(), 10000);
        QVERIFY(m_dialog->controller().transmissionConfirmed());
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_dialog->controller().nextUrl(), std::string("http://centre.test/app/next"));
        QCOMPARE(m_dialog->findChild<QProgressBar*>("progressBar")->value(), 100);
        QCOMPARE(label("statusLine")->text(), QString::fromUtf8("Traitement terminé"));
        QVERIFY(!m_timer.isActive());
        QVERIFY(!std::filesystem::exists(m_spool->file("abrechnung.chz")));
    }

    void escapeCancelsAndKeepsTheFile()
    {
        QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
        QVERIFY(m_dialog->isFinished());
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QCOMPARE(m_starter->starts.load(), 0);
        QVERIFY(std::filesystem::exists(m_spool->file("abrechnung.chz")));
    }

    void keepAliveTimerEndsAnExpiredSession()
    {
        m_profile->writeString(bv::section::Abrechnungsversand, bv::profilekey::AliveTimeout.name, "20");
        m_starter->blockDelay = std::chrono::milliseconds(5);
        QTest::mouseClick(button("sendButton"), Qt::LeftButton);
        m_aliveReply = "0";
        QTRY_VERIFY_WITH_TIMEOUT(m_dialog->isFinished(), 10000);
        QVERIFY(!m_dialog->controller().transmissionConfirmed());
        QVERIFY(m_session.sessionId.empty());
        QVERIFY(std::filesystem::exists(m_spool->file("abrechnung.chz")));
    }

private:
    QPushButton* button(const char* name) { return m_dialog->findChild<QPushButton*>(name); }
    QLabel* label(const char* name) { return m_dialog->findChild<QLabel*>(name); }

    std::unique_ptr<bv::TempRegistry> m_registry;
    std::unique_ptr<bv::Profile> m_profile;
    std::unique_ptr<bv::TempDir> m_spool;
    bv::RecordingMessageBoxes m_boxes;
    bv::SessionRecord m_session;
    bv::ContractList m_contracts;
    bv::ProfileStore* m_settings = nullptr;
    bv::NetworkProbe m_probe;
    bv::DialUp m_dialUp;
    std::unique_ptr<bv::NetworkConnection> m_connection;
    NoLoginDialog m_loginDialog;
    std::unique_ptr<bv::LoginService> m_login;
    std::string m_aliveReply;
    bv::QtDispatcher m_dispatcher;
    bv::QtKeepAliveTimer m_timer;
    bv::FeeValueTable m_fees;
    bv::files::RemovableProbe m_removable;
    std::unique_ptr<bv::test::ThreadUploadStarter> m_starter;
    std::unique_ptr<bv::SendDialog> m_dialog;
};

} // namespace

QTEST_MAIN(SendDialogTest)
#include "SendDialogTest.moc"
