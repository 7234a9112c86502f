#pragma once

#include "config/SetupController.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bv {

class ClientApp;

// The setup dialog: where the practice software leaves its billing files (drive A:, drive B: or a
// directory) and the two connection switches. It draws what SetupController decides.
class SetupDialog : public QDialog
{
    Q_OBJECT

public:
    SetupDialog(SetupController& controller, QWidget* parent = nullptr);
    ~SetupDialog() override;

    SetupState editedState() const;

private:
    void onChoiceChanged();
    void onBrowse();
    void onAccept();
    SetupState::Choice currentChoice() const;

    SetupController& m_controller;
    QRadioButton* m_driveA;
    QRadioButton* m_driveB;
    QRadioButton* m_directory;
    QLineEdit* m_directoryText;
    QPushButton* m_browse;
    QCheckBox* m_useProxy;
    QCheckBox* m_useLan;
};

// Runs the setup dialog over the application's profile: modally, or through its transcript when a
// scripted user answers.
void runSetupDialog(ClientApp& app, QWidget* parent = nullptr);

} // namespace bv
