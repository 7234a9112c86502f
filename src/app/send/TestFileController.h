#pragma once

#include "app/send/SendDialogView.h"
#include "upload/UploadJob.h"

#include <functional>
#include <memory>
#include <string>

namespace bv {

class ContractList;
class FileChooser;
class MessageBoxes;
class ProfileStore;
class UiDispatcher;
struct SessionRecord;

// What the test-file dialog works with; the application object provides it (see SendWiring.h).
struct TestFileDependencies
{
    TestFileDependencies(ProfileStore& profile_, MessageBoxes& boxes_, const SessionRecord& session_,
                         const ContractList& contracts_, UploadStarter& starter_, UiDispatcher& dispatcher_,
                         FileChooser& chooser_)
        : profile(profile_), boxes(boxes_), session(session_), contracts(contracts_), starter(starter_),
          dispatcher(dispatcher_), chooser(chooser_)
    {}

    ProfileStore& profile;
    MessageBoxes& boxes;
    const SessionRecord& session;
    const ContractList& contracts;
    UploadStarter& starter;
    UiDispatcher& dispatcher;
    FileChooser& chooser;
    std::string agent; // the program title
    bool useProxy = false;
};

// The test-file dialog "Testdatei senden": when the billing centre allows a test transfer, the user
// sends any file of his choice through the upload thread, marked as a test ("TD"). The reply is not
// evaluated; only the transport's result is shown.
class TestFileController : public UploadObserver
{
public:
    TestFileController(TestFileView& view, TestFileDependencies dependencies);
    ~TestFileController() override;
    TestFileController(const TestFileController&) = delete;
    TestFileController& operator=(const TestFileController&) = delete;

    // Asks for the file and starts its upload; closes when the user chooses none.
    void open();
    // Stops a running upload (as the send bookkeeping does), tells the user and closes.
    void cancel();

    // The upload address of a test file. Every inserted value is escaped, so neither a blank or "&"
    // in the path nor a value from the billing centre can change the request.
    static std::string uploadUrl(const std::string& serviceUrl, const std::string& customerNumber,
                                 const std::string& sessionId, const std::string& path);

    void uploadProgress(int percent) override;
    void uploadStatus(const std::string& text) override;
    void uploadOpened() override;
    void uploadFinished() override;

    bool closed() const { return m_closed; }
    bool uploading() const { return m_handle != nullptr; }
    const SendRequestBlock& block() const { return m_block; }

private:
    void uploadCompleted();
    void postToDialog(std::function<void()> fn);
    void close();

    TestFileView& m_view;
    TestFileDependencies m_deps;
    SendRequestBlock m_block;
    std::unique_ptr<UploadHandle> m_handle;
    bool m_closed = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    const std::weak_ptr<int> m_aliveToken = m_alive;
};

} // namespace bv
