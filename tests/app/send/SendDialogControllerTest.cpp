#include "SendTestFixture.h"

#include "billing/AdzCodes.h"
#include "billing/CAbrechnungSpool.h"
#include "billing/CAdzException.h"
#include "billing/DdsSamples.h"
#include "billing/MasSamples.h"
#include "billing/PadSamples.h"
#include "billing/SendJournal.h"
#include "billing/SpoolDetection.h"
#include "billing/SpoolFixtures.h"
#include "billing/StubBillingFile.h"
#include "billing/formats/dds/DDSrz2Datei.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace bv;
using namespace bv::test;
namespace fs = std::filesystem;

namespace {

const char* const NoFileText = "Il n'existe aucun fichier de facturation prêt à l'envoi !\n(Répertoire : %s)";
const char* const Unsupported = "Le répertoire des factures contient un fichier dont le type n'est pas soutenu.";
const char* const ConfirmReply = "BV_SENDOK: NOMSG\r\nBV_NEXTURL: http://centre.test/app/next\n";

std::string format(const char* pattern, const std::string& value)
{
    return strFormat(pattern, value.c_str());
}

using SendDialogTest = SendDialogFixture;

} // namespace

// ---- Opening: what waits in the spool directory ----

TEST_F(SendDialogTest, EmptySpoolDirectoryNamesTheDirectoryAndCloses)
{
    auto dialog = openDialog();
    EXPECT_TRUE(dialog->closed());
    EXPECT_EQ(view.shown, 0);
    EXPECT_EQ(dialog->spoolType(), spool_type::Empty);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, format(NoFileText, spoolDir()));
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);
}

TEST_F(SendDialogTest, OpeningSweepsOnlyThisProgramsIniFilesFromTheSpool)
{
    spool.write("00000000.ini", "[GENERAL]\r\nErsteller=bvals_cl\r\n[RZRECHNUNG]\r\nBeleg=1\r\n");
    spool.write("control.ini", "[GENERAL]\r\nErsteller=Praxis\r\n[Einstellungen]\r\nStapelnummer=3\r\n");
    auto dialog = openDialog();
    EXPECT_FALSE(std::filesystem::exists(spool.file("00000000.ini")));
    EXPECT_TRUE(std::filesystem::exists(spool.file("control.ini")));
}

TEST_F(SendDialogTest, SpoolTypesThisEditionDoesNotSendAreRefused)
{
    struct Row
    {
        const char* name;
        std::string content;
        std::string message; // %s: the spool directory
        MbIcon icon;
        bool read; // the spool read and validated the file before the refusal
    };
    const std::string serviceLine =
        "\nBitte wenden Sie sich an die brevalis-Serviceline\nunter der Telefonnummer 021 555 "
        "00 00.";
    const std::string wrongType =
        "Fehler beim Zugriff auf %s:\nFalscher Spooltyp in CSendADDlg::OnInitDialog()" + serviceLine;
    samples::MasFileBuilder damagedMas; // declares one invoice too many
    damagedMas.setField(damagedMas.summaryIndex(), 4, "0002");
    samples::PadFileBuilder damagedPad; // an invoice in another currency than its file
    damagedPad.setField(damagedPad.indicesOf(300).front(), 12, "DM");
    const std::vector<Row> rows = {
        {"RZ0001.001", samples::ddsRzFile(), Unsupported, MbIcon::Warning, true},
        {"RZ0002.001", samples::encipheredDelivery(samples::ddsRzFile({.interfaceNumber = 3})), Unsupported,
         MbIcon::Warning, true},
        {"RZ0004.001", samples::DdsFileBuilder().setField(3, 0, "0002").bytes(),
         "Fehler beim Zugriff auf %s:\nRechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden:1 ;  in "
         "Zusammenfassung deklariert: 2!" +
             serviceLine,
         MbIcon::Error, false},
        {"M12345.001", samples::masFile(), Unsupported, MbIcon::Warning, true},
        {"M12346.001", damagedMas.bytes(),
         "Fehler beim Zugriff auf %s:\nRechnungsanzahl falsch! (LOAD_ALL) In Datei gefunden: 1; in "
         "Zusammenfassung deklariert: 2!" +
             serviceLine,
         MbIcon::Error, false},
        {"PV123456.DAT", samples::padFile(), Unsupported, MbIcon::Warning, true},
        {"PV123457.DAT", damagedPad.bytes(),
         "Fehler beim Zugriff auf %s:\nDie Währung mindestens einer Rechnung weicht von der Währung der Datei "
         "(EUR) ab.\nDaher ist eine Verarbeitung durch brevalis nicht möglich!\n(Nummer der Rechnung: 1)" +
             serviceLine,
         MbIcon::Error, false},
        {"rechnung.xml", "<kein/>",
         "Il n'existe aucun fichier de facturation prêt à l'envoi !\n(Code interne : -1; "
         "Répertoire : %s)",
         MbIcon::Warning, false},
        {"RZ0003.001", samples::ddsFile(2, 2828), wrongType, MbIcon::Error, false},
    };
    profile.writeString(section::General, profilekey::ServicelineTel.name, "021 555 00 00");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir("bv-send-refused-");
        dir.write(row.name, row.content);
        boxes.boxes.clear();
        SendDialogDependencies deps(profile, boxes, login, starter, dispatcher, timer, fees, removable);
        SendDialogController dialog(view, deps, SendDialogMode{false, dir.path(), true});
        dialog.open();
        EXPECT_TRUE(dialog.closed());
        EXPECT_EQ(dialog.spool() != nullptr, row.read);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, strFormat(row.message.c_str(), (dir.path().string() + "/").c_str()));
        EXPECT_EQ(boxes.boxes[0].icon, row.icon);
    }
    EXPECT_EQ(view.shown, 0);
    EXPECT_EQ(starter.starts, 0);
}

TEST_F(SendDialogTest, SpoolWithoutDirectoryHoldsNothing)
{
    SendDialogDependencies deps(profile, boxes, login, starter, dispatcher, timer, fees, removable);
    SendDialogController dialog(view, deps, SendDialogMode{true, {}, true});
    dialog.open();
    EXPECT_TRUE(dialog.closed());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Il n'existe aucun fichier de facturation prêt à l'envoi !\n(Répertoire : )");
    EXPECT_EQ(view.shown, 0);
}

TEST_F(SendDialogTest, BillingFileErrorsAreReportedWithTheServiceLine)
{
    samples::ChzPlan sample;
    sample.kuNr.reset();
    writeChz("a.chz", sample);
    auto dialog = openDialog();
    EXPECT_TRUE(dialog->closed());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Fehler beim Zugriff auf " + spoolDir() +
                                       ":\nFehler in Abrechnungsdatei: Pflichtfeld KuNr fehlt!\nBitte wenden Sie sich "
                                       "an die brevalis-Serviceline\nunter der Telefonnummer 0848 000 000.");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
    EXPECT_TRUE(fs::exists(spool.file("a.chz")));
}

// ---- Fields ----

TEST_F(SendDialogTest, ChzFieldsShowSummaryAndLastTransmission)
{
    writeChz("abrechnung.chz");
    profile.writeString(section::Abrechnungsversand, profilekey::BetragErgText.name, "TVA incl.");
    profile.writeString(section::Abrechnungsversand, "004711:last_stapel", "11");
    profile.writeString(section::Abrechnungsversand, "004711:last_send", "20240301:101530");
    auto dialog = openDialog();
    ASSERT_FALSE(dialog->closed()) << ::testing::PrintToString(texts());
    EXPECT_EQ(view.shown, 1);

    const std::vector<std::tuple<SendField, std::string, std::string>> expected = {
        {SendField::InvoiceCount, "Nombre de factures :", "3"},
        {SendField::Amount, "Montant total :", "1.234,56 CHF    (TVA incl.)"},
        {SendField::FileDate, "Date d'établissement :", "07.03.2013"},
        {SendField::Customer, "Client / pile:", "004711 / 12"},
        {SendField::LastBatch, "Letzte Stapelnummer:", "11"},
        {SendField::LastSend, "Date d'envoi :", "01.03.2024 10:15:30"},
        {SendField::TransferTime, "Taille du fichier :", "0 min 30 s (Größe: 1 KB)"},
    };
    for (const auto& [field, label, text] : expected) {
        EXPECT_EQ(view.labels[field], label);
        EXPECT_EQ(view.texts[field], text);
    }
    EXPECT_EQ(view.texts[SendField::FileSize], "1 KB");
    EXPECT_TRUE(view.visible(SendGroup::LastBatch));
    EXPECT_FALSE(view.visible(SendGroup::ContentsButton));
    EXPECT_FALSE(view.visible(SendGroup::Progress));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SendDialogTest, ChaFieldsShowProviderAndPackagesSent)
{
    samples::XmlInvoicePlan sample;
    sample.amountDue = "1000.50";
    writeXml("r1.xml", sample);
    writeXml("r2.xml", sample);
    auto dialog = openDialog();
    ASSERT_FALSE(dialog->closed()) << ::testing::PrintToString(texts());
    EXPECT_EQ(view.texts[SendField::InvoiceCount], "2");
    EXPECT_EQ(view.texts[SendField::Amount], "2.001,00 CHF    ");
    EXPECT_EQ(view.labels[SendField::Customer], "Client :");
    EXPECT_EQ(view.texts[SendField::Customer], "Praxis Dr. Beispiel");
    EXPECT_EQ(view.labels[SendField::LastBatch], "fichiers transmis :");
    EXPECT_EQ(view.texts[SendField::LastBatch], "0");
    EXPECT_EQ(view.texts[SendField::LastSend], "");
    // The estimate is that of the package, not of the invoices.
    const auto package = fs::file_size(dialog->spool()->uploadFile());
    EXPECT_EQ(view.texts[SendField::FileSize], std::to_string(package / 1024 + 1) + " KB");
}

TEST_F(SendDialogTest, FirstTransmissionOfACustomerHidesTheLastBatch)
{
    samples::ChzPlan sample;
    sample.stapelNr = "";
    writeChz("a.chz", sample);
    auto dialog = openDialog();
    ASSERT_FALSE(dialog->closed());
    EXPECT_FALSE(view.visible(SendGroup::LastBatch));
    // Batch 0 still goes with the customer; only a negative one would not.
    EXPECT_EQ(view.texts[SendField::Customer], "004711 / 0");
}

// ---- Rules ----

TEST_F(SendDialogTest, CurrencyRuleByDateAndMode)
{
    struct Row
    {
        int currency;
        const char* dateKey;
        const char* date;
        const char* modeKey;
        const char* mode;
        bool sends;
        const char* message; // empty: none
        MbIcon icon;
    };
    const char* eur = "FirstEURDate";
    const char* eurMode = "EURVorUmstellung";
    const char* dm = "LastDEMDate";
    const char* dmMode = "DEMNachUmstellung";
    const std::vector<Row> rows = {
        {currency::EUR, eur, "20240316", eurMode, "0", false,
         "Diese Abrechnung wurde in Euro erstellt!\nEin Versand an brevalis ist noch nicht möglich.", MbIcon::Error},
        {currency::EUR, eur, "20240316", eurMode, "1", true,
         "Diese Abrechnung wurde in Euro erstellt!\nEine automatische Verarbeitung durch brevalis ist nicht möglich.",
         MbIcon::Warning},
        {currency::EUR, eur, "20240316", eurMode, "2", true, "", MbIcon::None},
        {currency::EUR, eur, "20240315", eurMode, "0", true, "", MbIcon::None},
        {currency::DM, dm, "20240314", dmMode, "0", false,
         "Diese Abrechnung wurde in DM erstellt!\nEin Versand an brevalis ist nicht mehr möglich.", MbIcon::Error},
        {currency::DM, dm, "20240314", dmMode, "1", true,
         "Diese Abrechnung wurde in DM erstellt!\nEine automatische Verarbeitung durch brevalis ist nicht möglich.",
         MbIcon::Warning},
        {currency::DM, dm, "20240315", dmMode, "0", true, "", MbIcon::None},
        {currency::CHF, dm, "19990101", dmMode, "0", true, "", MbIcon::None},
    };
    auto dialog = makeController();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.date) + " mode " + row.mode);
        profile.writeString(section::Abrechnungsversand, row.dateKey, row.date);
        profile.writeString(section::Abrechnungsversand, row.modeKey, row.mode);
        boxes.boxes.clear();
        EXPECT_EQ(dialog->CheckVersandWaehrung(row.currency), row.sends);
        if (*row.message) {
            ASSERT_EQ(boxes.boxes.size(), 1u);
            EXPECT_EQ(boxes.boxes[0].text, row.message);
            EXPECT_EQ(boxes.boxes[0].icon, row.icon);
        } else {
            EXPECT_TRUE(boxes.boxes.empty());
        }
    }
    // Without configuration the changeover lies in the past: DM is refused, euro is sent.
    TempRegistry fresh;
    Profile empty(fresh.registry());
    SendDialogDependencies deps(empty, boxes, login, starter, dispatcher, timer, fees, removable);
    deps.today = [] { return std::string("20240315"); };
    SendDialogController defaults(view, deps, SendDialogMode{false, spool.path(), true});
    EXPECT_TRUE(defaults.CheckVersandWaehrung(currency::EUR));
    EXPECT_FALSE(defaults.CheckVersandWaehrung(currency::DM));
    try {
        dialog->CheckVersandWaehrung(7);
        FAIL() << "an unknown currency must be refused";
    } catch (const CAdzException& error) {
        EXPECT_EQ(error.code(), adz::Structural);
        EXPECT_EQ(error.message(), "Unbekannte Währung in CSendADDlg::CheckVersandWaehrung()");
    }
}

TEST_F(SendDialogTest, FileSizeRuleNamesBothSizesInMegabytes)
{
    auto dialog = makeController();
    const fs::path big = spool.file("big.zip");
    std::ofstream(big).close();
    fs::resize_file(big, 150000000);
    EXPECT_FALSE(dialog->CheckFileSize(big.string()));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Le fichier \n" + big.string() +
                                       "\nest trop gros pour être transmis à BVALS_CL.\nIl faut vérifier si la "
                                       "résolution des images attachées est trop élevée.\n\nTaille actuelle du "
                                       "fichier: 150 MB\nTaille maximale du fichier: 100 MB");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);

    fs::resize_file(big, 100000000); // the limit itself still goes
    EXPECT_TRUE(dialog->CheckFileSize(big.string()));
    profile.writeString(section::Abrechnungsversand, profilekey::MaxDateiGroesse.name, "5000000000");
    fs::resize_file(big, 4000000000);
    EXPECT_TRUE(dialog->CheckFileSize(big.string())) << "a limit beyond 32 bits must not wrap";
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

// ---- Start message: connection and login ----

TEST_F(SendDialogTest, StandaloneDialogLogsInWithoutUpdates)
{
    session = SessionRecord{};
    writeChz("a.chz");
    auto dialog = openDialog(true);
    EXPECT_FALSE(dialog->closed());
    EXPECT_EQ(loginDialog.runs, 1);
    EXPECT_EQ(session.loginContext, "CSE");
    EXPECT_FALSE(session.updatesAllowed);
}

TEST_F(SendDialogTest, FailedLoginClosesWithTheConnectionMessage)
{
    profile.writeString(section::General, profilekey::ServicelineTel.name, "021 555 00 00");
    struct Row
    {
        LoginDialogResult result;
        bool lockedOut;
        std::string message;
    };
    const std::vector<Row> rows = {
        {LoginDialogResult::Cancelled, false, "La connexion n'a pas pu être établie !"},
        {LoginDialogResult::Failed, true,
         "La connexion n'a pas pu être établie !\n\nSi vous avez oublié votre mot de passe, veuillez vous adresser à "
         "la ligne d'assistance 021 555 00 00."},
    };
    writeChz("a.chz");
    for (const Row& row : rows) {
        session = SessionRecord{};
        boxes.boxes.clear();
        loginDialog.result = row.result;
        loginDialog.lockOut = row.lockedOut;
        auto dialog = openDialog(true);
        EXPECT_TRUE(dialog->closed());
        ASSERT_FALSE(boxes.boxes.empty());
        EXPECT_EQ(boxes.boxes.back().text, row.message);
        EXPECT_EQ(boxes.boxes.back().icon, MbIcon::Error);
    }
    EXPECT_EQ(starter.starts, 0);
}

// ---- One transmission per spool directory ----

TEST_F(SendDialogTest, SpoolOfARunningTransmissionIsLeftUntouched)
{
    writeXml("r1.xml");
    spool.write("zz.xml", "<kein/>"); // would be quarantined by a dialog that reads the spool
    const auto before = filesBelow(spool.path());
    {
        // Another process transmits from the directory: it holds the directory's lock.
        const int other = ::open(spool.path().c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
        auto dialog = openDialog();
        ::close(other);
        EXPECT_TRUE(dialog->closed());
        EXPECT_EQ(view.shown, 0);
        EXPECT_EQ(texts(), std::vector<std::string>{"Une transmission de ce répertoire est déjà en cours !\n"
                                                    "(Répertoire : " +
                                                    spoolDir() + ")"});
        EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Warning);
        EXPECT_EQ(filesBelow(spool.path()), before);
        EXPECT_FALSE(fs::exists(spool.file("Sent"))) << "not even the working directories are made";
        EXPECT_EQ(aliveRequests, 0);
    }
    // Once it has ended, the next dialog reads the spool.
    boxes.boxes.clear();
    auto dialog = openDialog();
    EXPECT_FALSE(dialog->closed()) << ::testing::PrintToString(texts());
    EXPECT_TRUE(fs::exists(spool.file("Error/zz.xml")));
}

TEST_F(SendDialogTest, TransmissionConfirmedBeforeItsProcessEndedIsCompletedFirst)
{
    writeXml("r1.xml");
    writeXml("r2.xml");
    SendJournal journal;
    journal.state = SendJournal::State::Confirmed;
    journal.typeCode = "CA";
    journal.keyText = "7601000000001";
    journal.batchNumber = 5;
    journal.sendTime = "20240315:101112";
    journal.upload = "CHA_7601000000001_20240315_101100.zip";
    for (const char* name : {"r1.xml", "r2.xml"})
        journal.files.push_back({name, files::fileIdentity(spool.file(name)).value()});
    ASSERT_FALSE(journal.write(spoolDir()));

    auto dialog = openDialog();
    EXPECT_TRUE(dialog->closed());
    EXPECT_EQ(texts(), std::vector<std::string>{format(NoFileText, spoolDir())});
    EXPECT_TRUE(fs::exists(spool.file("Sent/r1.xml")));
    EXPECT_TRUE(fs::exists(spool.file("Sent/r2.xml")));
    EXPECT_EQ(profile.readString(section::Abrechnungsversand, "7601000000001:last_stapel", ""), "5");
    EXPECT_EQ(profile.readString(section::Abrechnungsversand, "7601000000001:last_send", ""), "20240315:101112");
    EXPECT_FALSE(fs::exists(spool.file("Tmp/send.journal")));
    EXPECT_EQ(starter.starts, 0);
}

TEST_F(SendDialogTest, DefectiveOldestInvoiceIsQuarantinedAndTheOthersAreShown)
{
    spool.write("a.xml", ""); // written first: the oldest file of the spool
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    for (const char* name : {"b.xml", "c.xml", "d.xml"})
        writeXml(name);
    auto dialog = openDialog();
    ASSERT_FALSE(dialog->closed()) << ::testing::PrintToString(texts());
    EXPECT_EQ(view.texts[SendField::InvoiceCount], "3");
    EXPECT_EQ(texts(), std::vector<std::string>{"Im Abrechnungsverzeichnis befand sich eine fehlerhafte "
                                                "Abrechnungsdatei.\nSie wurde nach " +
                                                spoolDir() + "Error/ verschoben!"});
    EXPECT_TRUE(fs::exists(spool.file("Error/a.xml")));
    EXPECT_TRUE(fs::exists(spool.file("Error/a.err")));
}

// ---- Sending ----

TEST_F(SendDialogTest, ConfirmedChzTransmissionIsBookedAndNamesTheNextPage)
{
    const std::string chz = samples::chzFile({});
    spool.write("abrechnung.chz", chz);
    profile.writeString(section::Abrechnungsversand, profilekey::AliveTimeout.name, "30000");
    starter.reply.body = ConfirmReply;
    starter.hold.reset();
    auto dialog = openDialog();
    ASSERT_FALSE(dialog->closed()) << ::testing::PrintToString(texts());

    dialog->send();
    EXPECT_EQ(aliveRequests, 1);
    ASSERT_TRUE(dialog->uploading());
    EXPECT_FALSE(view.enabled(SendButton::Send));
    EXPECT_FALSE(view.enabled(SendButton::Contents));
    EXPECT_TRUE(view.visible(SendGroup::Progress));
    EXPECT_TRUE(view.visible(SendGroup::ProgressBar));
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(timer.period, std::chrono::milliseconds(30000));
    ASSERT_EQ(starter.urls.size(), 1u);
    EXPECT_EQ(starter.urls[0], "http://centre.test/upload?vertnr=004711&ean_party=-1&stpnr=12&typ=CZ&session-id=S1"
                               "&nichtbuchen=0");

    starter.hold.set();
    ASSERT_TRUE(pumpUntilClosed(*dialog));
    EXPECT_TRUE(dialog->transmissionConfirmed());
    EXPECT_EQ(dialog->nextUrl(), "http://centre.test/app/next");
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(starter.body(), chz);
    EXPECT_FALSE(fs::exists(spool.file("abrechnung.chz")));
    EXPECT_TRUE(fs::exists(spool.file("abrechnung.~RZ")));
    EXPECT_EQ(profile.readString(section::Abrechnungsversand, "004711:last_stapel", ""), "12");
    EXPECT_TRUE(view.visible(SendGroup::ConnectionIndicator));
    ASSERT_FALSE(view.statuses.empty());
    EXPECT_EQ(view.statuses.front(), "L'envoi est en préparation.");
    EXPECT_EQ(view.statuses.back(), "Traitement terminé");
    EXPECT_EQ(view.closes, 1);
}

TEST_F(SendDialogTest, ConfirmedChaTransmissionMovesTheInvoicesToSent)
{
    samples::XmlInvoicePlan sample;
    sample.ean = "7601000000999"; // no contract of the user: XML invoices go by the sender's EAN
    writeXml("r1.xml", sample);
    writeXml("r2.xml", sample);
    starter.reply.body = ConfirmReply;
    auto dialog = openDialog();
    ASSERT_FALSE(dialog->closed());
    dialog->send();
    ASSERT_TRUE(pumpUntilClosed(*dialog));
    EXPECT_TRUE(dialog->transmissionConfirmed());
    EXPECT_TRUE(fs::exists(spool.file("Sent/r1.xml")));
    EXPECT_TRUE(fs::exists(spool.file("Sent/r2.xml")));
    EXPECT_FALSE(fs::exists(spool.file("r1.xml")));
    EXPECT_EQ(profile.readString(section::Abrechnungsversand, "7601000000999:last_stapel", ""), "1");
    ASSERT_EQ(starter.urls.size(), 1u);
    EXPECT_NE(starter.urls[0].find("ean_party=7601000000999&"), std::string::npos);
}

TEST_F(SendDialogTest, ChzOfAnotherCustomerIsNotSentUnderThisUser)
{
    samples::ChzPlan sample;
    sample.kuNr = "5555";
    writeChz("a.chz", sample);
    auto dialog = openDialog();
    dialog->send();
    EXPECT_TRUE(dialog->closed());
    EXPECT_EQ(starter.starts, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Ce fichier ne peut pas être envoyé\nsous ce nom d'utilisateur !");
    EXPECT_TRUE(fs::exists(spool.file("a.chz")));
}

TEST_F(SendDialogTest, ExpiredSessionEndsTheDialogBeforeAnyUpload)
{
    writeChz("a.chz");
    aliveReply = "0";
    auto dialog = openDialog();
    dialog->send();
    EXPECT_TRUE(dialog->closed());
    EXPECT_EQ(starter.starts, 0);
    EXPECT_TRUE(session.sessionId.empty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Ihre Sitzung ist wegen Zeitüberschreitung abgelaufen!");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Information);
}

TEST_F(SendDialogTest, StandaloneDialogSendsWithoutAliveCheck)
{
    writeChz("a.chz");
    aliveReply = "0";
    auto dialog = openDialog(true);
    dialog->send();
    ASSERT_TRUE(pumpUntilClosed(*dialog));
    EXPECT_EQ(aliveRequests, 0);
    EXPECT_EQ(starter.starts, 1);
}

TEST_F(SendDialogTest, TooLargeFileKeepsTheDialogOpenForAnotherTry)
{
    writeChz("a.chz");
    profile.writeString(section::Abrechnungsversand, profilekey::MaxDateiGroesse.name, "10");
    auto dialog = openDialog();
    dialog->send();
    EXPECT_FALSE(dialog->closed());
    EXPECT_FALSE(dialog->uploading());
    EXPECT_EQ(starter.starts, 0);
    EXPECT_TRUE(view.enabled(SendButton::Send));
    EXPECT_TRUE(view.enabled(SendButton::Contents));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("Taille maximale du fichier: 0 MB"), std::string::npos);
}

TEST_F(SendDialogTest, UnconfirmedTransmissionLeavesEverythingInPlace)
{
    struct Row
    {
        ThreadUploadStarter::Reply reply;
        std::string message;
    };
    const std::vector<Row> rows = {
        {{0, "", 200, "Fehler im Stapel"},
         "Beim Versenden der Abrechnungsdatei ist ein Fehler aufgetreten:\nFehler im Stapel"},
        {{-3, "L'erreur http 500 est apparue ! ", 500, "kaputt"},
         "Beim Versenden der Abrechnungsdatei ist ein Fehler aufgetreten:\nL'erreur http 500 est apparue ! "},
        {{0, "", 200, "BV_SESSIONEND\nBV_SENDOK: NOMSG"}, "Die Sitzung ist wegen Zeitüberschreitung abgelaufen!"},
    };
    writeXml("r1.xml");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        boxes.boxes.clear();
        starter.reply = row.reply;
        auto dialog = openDialog();
        ASSERT_FALSE(dialog->closed());
        dialog->send();
        ASSERT_TRUE(pumpUntilClosed(*dialog));
        EXPECT_FALSE(dialog->transmissionConfirmed());
        EXPECT_EQ(dialog->nextUrl(), "");
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, row.message);
        EXPECT_TRUE(fs::exists(spool.file("r1.xml")));
        EXPECT_FALSE(fs::exists(spool.file("Sent/r1.xml")));
        EXPECT_FALSE(profile.exists(section::Abrechnungsversand, "7601000000001:last_stapel"));
    }
}

// ---- Cancel and keep-alive ----

TEST_F(SendDialogTest, CancelBeforeSendingReleasesThePackage)
{
    writeXml("r1.xml");
    auto dialog = openDialog();
    const std::string package = dialog->spool()->uploadFile();
    ASSERT_TRUE(fs::exists(package));
    dialog->cancel();
    EXPECT_TRUE(dialog->closed());
    EXPECT_FALSE(fs::exists(package));
    EXPECT_TRUE(fs::exists(spool.file("r1.xml")));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SendDialogTest, CancelDuringUploadStopsTheThreadAndBooksNothing)
{
    spool.write("a.chz", samples::chzFile({}) + std::string(300 * 1024, 'x'));
    starter.blockDelay = std::chrono::milliseconds(2);
    auto dialog = openDialog();
    dialog->send();
    ASSERT_TRUE(dialog->uploading());
    dialog->cancel();
    dialog->cancel(); // a second press must not wait for a second acknowledgement
    EXPECT_FALSE(dialog->closed()) << "the dialog waits for the thread's completion notice";
    ASSERT_TRUE(pumpUntilClosed(*dialog));
    EXPECT_LT(starter.body().size(), 300u * 1024);
    EXPECT_FALSE(dialog->transmissionConfirmed());
    EXPECT_TRUE(fs::exists(spool.file("a.chz")));
    EXPECT_FALSE(profile.exists(section::Abrechnungsversand, "004711:last_stapel"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Beim Versenden der Abrechnungsdatei ist ein Fehler aufgetreten:\nL'envoi a été "
                                   "abandonné.");
}

TEST_F(SendDialogTest, KeepAliveFailureCancelsTheUploadAndEndsTheSession)
{
    spool.write("a.chz", samples::chzFile({}) + std::string(300 * 1024, 'x'));
    starter.blockDelay = std::chrono::milliseconds(2);
    auto dialog = openDialog();
    dialog->send();
    ASSERT_TRUE(dialog->uploading());

    dialog->keepAliveTick(); // the session still lives
    EXPECT_TRUE(dialog->uploading());
    EXPECT_TRUE(timer.running);

    aliveReply = "0";
    dialog->keepAliveTick();
    EXPECT_TRUE(dialog->closed());
    EXPECT_FALSE(timer.running);
    EXPECT_TRUE(session.sessionId.empty());
    dialog.reset(); // waits for the upload thread
    dispatcher.runPending();
    ASSERT_EQ(boxes.boxes.size(), 1u) << "the late completion notice is not evaluated";
    EXPECT_EQ(boxes.boxes[0].text, "Ihre Sitzung ist wegen Zeitüberschreitung abgelaufen!");
    EXPECT_TRUE(fs::exists(spool.file("a.chz")));
}

// ---- Rules that the Swiss sample files cannot trigger, on a spool of the tests ----

namespace {

// A billing file whose currency and attachments the test chooses; it has no open file.
std::unique_ptr<StubBillingFile> ruleFile(int currencyCode, int attachments)
{
    auto file = std::make_unique<StubBillingFile>();
    file->setCurrency(currencyCode);
    file->setInvoiceCount(1);
    file->setFileType(file_type::Chz);
    file->customerNumber = 4711;
    file->batchNumber = 3;
    file->attachments = attachments;
    file->filePath = "/spool/abrechnung.chz";
    file->fileName = "abrechnung.chz";
    return file;
}

} // namespace

TEST_F(SendDialogTest, CurrencyAndAttachmentRulesBlockTheOpening)
{
    struct Row
    {
        int currency;
        int attachments;
        const char* dmMode;
        bool opens;
        std::string message;
    };
    const std::vector<Row> rows = {
        {currency::DM, -1, "0", false,
         "Diese Abrechnung wurde in DM erstellt!\nEin Versand an brevalis ist nicht mehr möglich."},
        {currency::DM, -1, "1", true,
         "Diese Abrechnung wurde in DM erstellt!\nEine automatische Verarbeitung durch brevalis ist nicht möglich."},
        {currency::CHF, 2, "0", false,
         "Übergabe-/Kontrolldatei fehlend!\rDie Abrechnungsdatei \"abrechnung.chz\" referenziert 2 "
         "Anlagedateien\nund kann nicht isoliert versendet werden!"},
        {currency::CHF, 0, "0", true, ""},
    };
    writeChz("abrechnung.chz");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        profile.writeString(section::Abrechnungsversand, "DEMNachUmstellung", row.dmMode);
        boxes.boxes.clear();
        view = FakeSendView{};
        auto dialog = openDialog(false, [&](int, const SpoolRequest&) -> std::unique_ptr<CAbrechnungSpool> {
            return std::make_unique<StubSpool>(boxes, profile, removable, ruleFile(row.currency, row.attachments));
        });
        EXPECT_EQ(dialog->closed(), !row.opens);
        EXPECT_EQ(view.shown, row.opens ? 1 : 0);
        if (row.message.empty()) {
            EXPECT_TRUE(boxes.boxes.empty());
        } else {
            ASSERT_EQ(boxes.boxes.size(), 1u);
            EXPECT_EQ(boxes.boxes[0].text, row.message);
        }
    }
}

TEST_F(SendDialogTest, StartSendFailureEndsTheDialogWithBothMessages)
{
    writeChz("abrechnung.chz");
    // The spool of the tests has no open file: StartSend finds nothing to send.
    auto dialog = openDialog(false, [&](int, const SpoolRequest&) -> std::unique_ptr<CAbrechnungSpool> {
        return std::make_unique<StubSpool>(boxes, profile, removable, ruleFile(currency::CHF, -1));
    });
    ASSERT_FALSE(dialog->closed());
    dialog->send();
    EXPECT_TRUE(dialog->closed());
    EXPECT_EQ(dialog->spool(), nullptr);
    EXPECT_EQ(starter.starts, 0);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "La transmission de la facture a causé une erreur.");
    EXPECT_EQ(boxes.boxes[1].text, "CAdzException:(-2):Keine Datei zum Versenden vorhanden!");
}

// ---- Laboratory checks of the fixed-record formats, in an edition that sends them ----

namespace {

// The laboratory side of the billing file and the contents dialog as the test decides them; it records
// what was asked.
class FakeLaboratory : public SendLaboratory, public SendDialogs
{
public:
    bool hasScannedReceipts(CAbrechnungsDatei&) override { return receipts; }
    void discardScannedReceipts(CAbrechnungsDatei&) override { calls.push_back("discard"); }
    void takeOverReceipts(CAbrechnungsDatei&) override { calls.push_back("take over"); }
    std::string writeContainer(CAbrechnungsDatei&) override
    {
        calls.push_back("container");
        if (containerFails)
            throw BV_ADZ_ERROR(adz::Content, "Anlageliste unvollstängig! (nur 0 statt 1 Anlagen)");
        return container;
    }
    int checkContents(CAbrechnungsDatei&, ContentsView view, const PartnerLabList&) override
    {
        calls.push_back(view == ContentsView::NumberedLaboratory ? "check numbered" : "check referenced");
        return complete ? 1 : 0;
    }
    bool runContents(CAbrechnungsDatei&, ContentsView, const PartnerLabList& labs) override
    {
        calls.push_back("show " + std::to_string(labs.size()));
        complete = complete || contentsOk; // OK writes the user's decisions
        return contentsOk;
    }

    bool receipts = false;
    bool complete = false;
    bool contentsOk = true;
    bool containerFails = false;
    std::string container;
    std::vector<std::string> calls;
};

struct LaboratoryTest : SendDialogTest
{
    LaboratoryTest()
    {
        edition.transmittedSpoolTypes.push_back(spool_type::Dds);
        laboratory = &lab;
        dialogs = &lab;
        lab.container = spool.write("container.DDSRZ10", "packed").string();
    }
    FakeLaboratory lab;
};

const char* const ReceiptsMissing =
    "In dieser Datei werden Laborleistungen abgerechnet.\nBitte fügen Sie vor dem Versand die entsprechenden Belege "
    "hinzu.";
const char* const ReceiptsOrPartnersMissing =
    "In dieser Datei werden Laborleistungen abgerechnet.\nBitte fügen Sie vor dem Versand die entsprechenden Belege "
    "hinzu\nbzw. geben Sie die notwendigen Informationen zur Partnerabrechnung an.";
const char* const PartnersMissing =
    "Bitte geben Sie vor dem Versand die notwendigen Informationen\nzur Partnerabrechnung an.";

} // namespace

TEST_F(LaboratoryTest, StartMessageChecksTheServicesAndOpensTheContentsWhenUndecided)
{
    struct Row
    {
        const char* name;
        int interfaceNumber;
        bool partners;
        bool complete;
        bool contentsOk;
        std::vector<std::string> calls;
        std::string message; // empty: none
        bool containerSent;
    };
    const std::vector<Row> rows = {
        {"RZ2 without partners",
         2,
         false,
         false,
         true,
         {"check numbered", "show 0", "take over", "container"},
         ReceiptsMissing,
         true},
        {"RZ2 with partners",
         2,
         true,
         false,
         true,
         {"check numbered", "show 1", "take over", "container"},
         ReceiptsOrPartnersMissing,
         true},
        {"RZ2 decided", 2, false, true, true, {"check numbered"}, "", false},
        {"RZ2, contents cancelled", 2, false, false, false, {"check numbered", "show 0"}, ReceiptsMissing, false},
        {"RZ3 without partners", 3, false, false, true, {}, "", false},
        {"RZ3 with partners",
         3,
         true,
         false,
         true,
         {"check referenced", "show 1", "take over", "container"},
         PartnersMissing,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        profile.write(profilekey::Partnerlabore, "4711", row.partners ? "900001=\"Labor Muster\"" : "");
        spool.write("RZ0001.001", samples::ddsRzFile({.interfaceNumber = row.interfaceNumber}));
        lab.calls.clear();
        lab.complete = row.complete;
        lab.contentsOk = row.contentsOk;
        boxes.boxes.clear();
        auto dialog = openDialog();
        ASSERT_FALSE(dialog->closed());
        EXPECT_EQ(view.buttonTexts[SendButton::Contents], "Dateiinhalt");
        EXPECT_EQ(lab.calls, row.calls);
        EXPECT_EQ(texts(), row.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.message});
        if (!row.message.empty())
            EXPECT_EQ(boxes.boxes[0].caption, "brevalis-Client test");
        EXPECT_EQ(dialog->spool()->uploadFile() == lab.container, row.containerSent);
        dialog->cancel();
    }
}

TEST_F(LaboratoryTest, ReceiptsOfAnEarlierOpeningAreKeptOrDiscardedAsTheUserSays)
{
    spool.write("RZ0001.001", samples::ddsRzFile());
    lab.receipts = true;
    lab.complete = true;
    for (const MbResult answer : {MbResult::Yes, MbResult::No}) {
        lab.calls.clear();
        boxes.boxes.clear();
        boxes.answers = {answer};
        auto dialog = openDialog();
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text,
                  "Für diese Abrechnung wurden bereits Belege hinzugefügt.\nSollen diese weiterhin verwendet werden?");
        EXPECT_EQ(boxes.boxes[0].buttons, MbButtons::YesNo);
        const std::vector<std::string> yes = {"take over", "container", "check numbered"};
        const std::vector<std::string> no = {"discard", "check numbered"};
        EXPECT_EQ(lab.calls, answer == MbResult::Yes ? yes : no);
        EXPECT_EQ(dialog->spool()->uploadFile() == lab.container, answer == MbResult::Yes);
        dialog->cancel();
    }
}

TEST_F(LaboratoryTest, UndecidedServicesOrAnUnwrittenContainerKeepTheFileFromBeingSent)
{
    spool.write("RZ0001.001", samples::ddsRzFile());
    lab.contentsOk = false;
    auto dialog = openDialog();
    boxes.boxes.clear();
    dialog->send();
    EXPECT_EQ(texts(), std::vector<std::string>{"In dieser Abrechnung sind noch Laborleistungen enthalten,\nbei denen "
                                                "die Angaben nicht vollständig sind."});
    EXPECT_FALSE(dialog->closed());

    // The user decides, but the container cannot be written: the message, and sending packs again.
    lab.contentsOk = true;
    lab.containerFails = true;
    boxes.boxes.clear();
    dialog->showContents();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "CAdzException:(34):Anlageliste unvollstängig! (nur 0 statt 1 Anlagen)");
    lab.calls.clear();
    dialog->send();
    EXPECT_EQ(lab.calls, (std::vector<std::string>{"check numbered", "take over", "container"}));
    EXPECT_EQ(starter.starts, 0);
    EXPECT_FALSE(dialog->closed());

    lab.containerFails = false;
    starter.reply.body = ConfirmReply;
    dialog->send();
    ASSERT_TRUE(pumpUntilClosed(*dialog));
    EXPECT_EQ(starter.starts, 1);
    EXPECT_EQ(starter.body(), "packed");
}

// The file's own laboratory operations on a real RZ2 file: receipts scanned earlier are found, taken
// over with their INI files, packed, and thrown away on request.
TEST(FileLaboratory, FindsTakesOverPacksAndDiscardsScannedReceipts)
{
    TempDir dir("bv-send-lab-");
    TempRegistry registry;
    Profile profile(registry.registry());
    RecordingMessageBoxes boxes;
    DDSrz2Datei rz2(dir.write("RZ0001.001", samples::ddsRzFile()).string(), false, false);
    rz2.setTemporaryDirectory(dir.path().string());
    rz2.ReadContents();
    FileLaboratory laboratory(profile, boxes);

    EXPECT_FALSE(laboratory.hasScannedReceipts(rz2));
    const std::string receipts = rz2.AttachmentDirectory();
    const std::string inDir = fs::path(receipts).lexically_relative(dir.path()).string();
    dir.write(inDir + "00000000.tif", "II*scan");
    dir.write(inDir + "00000000.ini", "[RZRECHNUNG]\r\nRechnungsindex=0\r\nLaborbetrag=50,00 EUR\r\n");
    EXPECT_TRUE(laboratory.hasScannedReceipts(rz2));

    laboratory.takeOverReceipts(rz2);
    laboratory.takeOverReceipts(rz2); // again, as after a second OK: listed anew, not refused
    ASSERT_EQ(rz2.attachments().size(), 1u);
    EXPECT_EQ(rz2.invoices()[0].boundAttachments, 1);
    const std::string container = laboratory.writeContainer(rz2);
    EXPECT_EQ(fs::path(container).filename(), "~M004711.001.DDSRZ10");
    EXPECT_NE(files::readFile(container).value_or("").find("Laborbetrag=50,00 EUR"), std::string::npos);

    laboratory.discardScannedReceipts(rz2);
    EXPECT_FALSE(laboratory.hasScannedReceipts(rz2));
    EXPECT_TRUE(rz2.attachments().empty());
}
