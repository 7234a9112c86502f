#pragma once

#include "config/SetupController.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bv {

class DialogTranscript;

// The setup dialog: where the practice software leaves its billing files (drive A:, drive B: or a
// directory) and the two connection switches. It draws what SetupController decides.
class SetupDialog : public QDialog
{
    Q_OBJECT

public:
    SetupDialog(SetupController& controller, QWidget* parent = nullptr);
    ~SetupDialog() override;

    // Runs the dialog modally; in an unattended run it takes the answer
    // "setup<TAB>directory<TAB>useproxy 0|1<TAB>uselan 0|1" or "cancel".
    int exec() override;

    SetupState editedState() const;

private:
    void onChoiceChanged();
    void onBrowse();
    void onAccept();
    void answerUnattended();
    SetupState::Choice currentChoice() const;

    SetupController& m_controller;
    QRadioButton* m_driveA;
    QRadioButton* m_driveB;
    QRadioButton* m_directory;
    QLineEdit* m_directoryText;
    QPushButton* m_browse;
    QCheckBox* m_useProxy;
    QCheckBox* m_useLan;
    DialogTranscript* m_transcript = nullptr;
};

} // namespace bv
