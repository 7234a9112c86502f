#pragma once

#include "app/send/SendDialogView.h"
#include "app/send/TestFileController.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace bv {

// The test-file dialog "Testdatei senden": what is being sent, the upload's progress and status,
// and "Annuler". Its TestFileController decides.
class TestFileDialog : public QDialog, public TestFileView
{
public:
    explicit TestFileDialog(TestFileDependencies dependencies, QWidget* parent = nullptr);
    ~TestFileDialog() override;

    TestFileController& controller() { return *m_controller; }
    bool isFinished() const { return m_finished; }

    // Asks for the file and starts its upload; its runner then runs the dialog until it closes.
    void start();

    void setInfoText(const std::string& text) override;
    void setProgress(int percent) override;
    void setStatusText(const std::string& text) override;
    void showConnectionIndicator() override;
    void closeDialog() override;

    void reject() override;

private:
    QLabel* m_info;
    QProgressBar* m_progressBar;
    QLabel* m_statusLine;
    QLabel* m_connectionIndicator;
    QPushButton* m_cancel;
    std::unique_ptr<TestFileController> m_controller;
    bool m_finished = false;
};

} // namespace bv
