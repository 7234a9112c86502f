#pragma once

#include "app/core/ViewDecoration.h"
#include "app/update/UpdateController.h"
#include "app/update/UpdateView.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace bv {

// The update window: the explanation, a progress bar and Cancel on a white background. It only
// draws; the download, the question and the installer's start are its UpdateController's.
class UpdateDialog : public QDialog, public UpdateView
{
public:
    // `decoration` wraps the view the controller is given (an unattended run's transcript).
    explicit UpdateDialog(UpdateDependencies dependencies, QWidget* parent = nullptr,
                          const ViewDecoration<UpdateView>& decoration = {});
    ~UpdateDialog() override;

    UpdateController& controller() { return *m_controller; }
    bool isFinished() const { return m_finished; }

    void setProgress(int percent) override;
    void closeDialog() override;

    // Escape and the window's close button mean Cancel.
    void reject() override;

private:
    QProgressBar* m_progress;
    QLabel* m_text;
    QPushButton* m_cancel;
    std::unique_ptr<UpdateController> m_controller;
    bool m_finished = false;
};

} // namespace bv
