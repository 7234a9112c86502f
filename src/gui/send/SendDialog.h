#pragma once

#include "app/core/ViewDecoration.h"
#include "app/send/SendDialogController.h"
#include "app/send/SendDialogView.h"

#include <QDialog>

#include <map>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace bv {

// The send dialog "Envoyer la facture": the fields of the billing file, the progress of the upload
// and the buttons "Envoyer", "Annuler" and "Contenu du fichier" on a white background. It only
// draws; its SendDialogController decides.
class SendDialog : public QDialog, public SendDialogView
{
public:
    // `decoration` wraps the view the controller is given (an unattended run's transcript).
    SendDialog(SendDialogDependencies dependencies, const SendDialogMode& mode, QWidget* parent = nullptr,
               const ViewDecoration<SendDialogView>& decoration = {});
    ~SendDialog() override;

    SendDialogController& controller() { return *m_controller; }
    bool isFinished() const { return m_finished; }

    // Opens the dialog (it stays hidden while it checks what waits in the spool directory).
    void start();
    // start(), then runs the dialog modally until it closes.
    void run();

    void setFieldLabel(SendField field, const std::string& label) override;
    void setFieldText(SendField field, const std::string& text) override;
    void showGroup(SendGroup group, bool visible) override;
    void setButtonEnabled(SendButton button, bool enabled) override;
    void setButtonText(SendButton button, const std::string& text) override;
    void setProgress(int percent) override;
    void setStatusText(const std::string& text) override;
    void showDialog() override;
    void closeDialog() override;

    // Escape and the window's close button mean "Annuler".
    void reject() override;

private:
    struct FieldWidgets
    {
        QLabel* label;
        QLabel* text;
    };
    QPushButton* buttonFor(SendButton button) const;

    std::map<SendField, FieldWidgets> m_fields;
    QWidget* m_progressGroup;
    QProgressBar* m_progressBar;
    QLabel* m_statusLine;
    QLabel* m_connectionIndicator;
    QPushButton* m_send;
    QPushButton* m_cancel;
    QPushButton* m_contents;
    std::unique_ptr<SendDialogController> m_controller;
    bool m_finished = false;
};

} // namespace bv
