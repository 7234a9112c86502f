#include "app/send/FileChooser.h"
#include "app/send/TestFileController.h"
#include "config/Profile.h"
#include "config/ProfileKeys.h"
#include "net/ContractList.h"
#include "net/SessionRecord.h"
#include "platform/Dispatcher.h"
#include "platform/RecordingMessageBoxes.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"

#include "SendFakes.h"

#include <gtest/gtest.h>

using namespace bv;
using namespace bv::test;

namespace {

class FakeChooser : public FileChooser
{
public:
    std::optional<std::string> chooseFile(const std::string& t, const std::string& start) override
    {
        title = t;
        startDirectory = start;
        return answer;
    }
    std::optional<std::string> answer;
    std::string title, startDirectory;
};

class FakeTestFileView : public TestFileView
{
public:
    void setInfoText(const std::string& text) override { info = text; }
    void setProgress(int percent) override { progress.push_back(percent); }
    void setStatusText(const std::string& text) override { statuses.push_back(text); }
    void showConnectionIndicator() override { indicator = true; }
    void closeDialog() override { ++closes; }
    std::string info;
    std::vector<int> progress;
    std::vector<std::string> statuses;
    bool indicator = false;
    int closes = 0;
};

struct TestFileTest : ::testing::Test
{
    TestFileTest()
    {
        profile.writeString(section::Abrechnungsversand, "URL", "http://centre.test/upload");
        profile.writeString(section::Abrechnungsversand, profilekey::spooldir.name, "/srv/spool/");
        session.sessionId = "S1";
        contracts.replaceFrom("004711=Praxis", [](const std::string&) {});
    }

    std::unique_ptr<TestFileController> open()
    {
        TestFileDependencies deps(profile, boxes, session, contracts, starter, dispatcher, chooser);
        deps.agent = "agent";
        auto controller = std::make_unique<TestFileController>(view, deps);
        controller->open();
        return controller;
    }

    bool pumpUntilClosed(TestFileController& controller)
    {
        return dispatcher.runUntil([&] { return controller.closed(); }, std::chrono::seconds(10));
    }

    TempRegistry registry;
    Profile profile{registry.registry()};
    TempDir files{"bv-testfile-"};
    RecordingMessageBoxes boxes;
    SessionRecord session;
    ContractList contracts;
    QueueDispatcher dispatcher;
    FakeChooser chooser;
    FakeTestFileView view;
    ThreadUploadStarter starter;
};

} // namespace

TEST(TestFileUrl, EveryInsertedValueIsEscaped)
{
    // Well-formed values stay as they are.
    EXPECT_EQ(TestFileController::uploadUrl("http://c/upload", "004711", "S-1a", "/tmp/test-1.txt"),
              "http://c/upload?vertnr=004711&stpnr=-1&typ=TD&session-id=S-1a&filename=test-1.txt"
              "&longfilename=%2Ftmp%2Ftest-1.txt");
    // A blank, "&" or "=" in the path, or a value meant to add a parameter, cannot change the request.
    EXPECT_EQ(TestFileController::uploadUrl("http://c/upload", "1&nichtbuchen=1", "a b", "/Mes docs/r&d=1.pdf"),
              "http://c/upload?vertnr=1%26nichtbuchen%3D1&stpnr=-1&typ=TD&session-id=a%20b&filename=r%26d%3D1.pdf"
              "&longfilename=%2FMes%20docs%2Fr%26d%3D1.pdf");
}

TEST_F(TestFileTest, ChooserCancelClosesWithoutUpload)
{
    auto dialog = open();
    EXPECT_EQ(chooser.title, "Choisir fichier");
    EXPECT_EQ(chooser.startDirectory, "/srv/spool/");
    EXPECT_TRUE(dialog->closed());
    EXPECT_EQ(starter.starts, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TestFileTest, UploadsTheChosenFileAndReportsTheTransport)
{
    const std::string content(5000, 'T');
    const std::string path = files.write("essai.pdf", content).string();
    chooser.answer = path;
    auto dialog = open();
    EXPECT_EQ(view.info, "Le fichier essai.pdf est transmis au serveur brevalis.\nCe traitement peut prendre quelques "
                         "minutes. Veuillez patienter s'il vous plaît.");
    ASSERT_TRUE(pumpUntilClosed(*dialog));
    EXPECT_EQ(starter.body(), content);
    ASSERT_EQ(starter.urls.size(), 1u);
    EXPECT_EQ(starter.urls[0].rfind("http://centre.test/upload?vertnr=004711&stpnr=-1&typ=TD&session-id=S1&", 0), 0u);
    EXPECT_TRUE(view.indicator);
    EXPECT_EQ(view.statuses.back(), "Traitement terminé");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "La transmission du fichier est terminée.");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Information);
}

TEST_F(TestFileTest, TransportErrorsAreShownWithTextOrNumber)
{
    const std::vector<std::pair<ThreadUploadStarter::Reply, std::string>> rows = {
        {{-3, "L'erreur http 404 est apparue ! ", 404, ""},
         "La transmission du fichier a causé une erreur.\nL'erreur http 404 est apparue ! "},
        {{12029, "", 0, ""}, "La transmission du fichier a causé l'erreur n° 12029."},
    };
    chooser.answer = files.write("essai.txt", "x").string();
    for (const auto& [reply, message] : rows) {
        boxes.boxes.clear();
        starter.reply = reply;
        auto dialog = open();
        ASSERT_TRUE(pumpUntilClosed(*dialog));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, message);
        EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
    }
}

TEST_F(TestFileTest, CancelStopsTheUpload)
{
    chooser.answer = files.write("gross.bin", std::string(400 * 1024, 'b')).string();
    starter.blockDelay = std::chrono::milliseconds(2);
    auto dialog = open();
    dialog->cancel();
    EXPECT_TRUE(dialog->closed());
    dialog.reset();
    dispatcher.runPending();
    EXPECT_LT(starter.body().size(), 400u * 1024);
    ASSERT_EQ(boxes.boxes.size(), 1u) << "the late completion notice shows nothing more";
    EXPECT_EQ(boxes.boxes[0].text, "La transmission du fichier a été interrompue.");
    EXPECT_EQ(boxes.boxes[0].icon, MbIcon::Error);
}

TEST_F(TestFileTest, CancelReturnsWhenTheThreadEndedBeforeTheBody)
{
    // An unreachable server ends the thread before the body: it never acknowledges a cancel.
    chooser.answer = files.write("essai.txt", "x").string();
    starter.failBeforeBody = true;
    starter.hold.reset();
    auto dialog = open();
    starter.hold.set();
    dialog->cancel();
    EXPECT_TRUE(dialog->closed());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "La transmission du fichier a été interrompue.");
}
