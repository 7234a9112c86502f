#pragma once

#include "app/contents/ContentsPorts.h"

#include <optional>
#include <string>

namespace bv {

class ContentsController;
class ScriptedUser;

// Answers of the contents dialog, each "inhalt<TAB>action[<TAB>value]": "edit" with a row key presses
// that row's "Bearbeiten" (the receipt dialog then takes its own answers), "print" with a file path
// prints into that PDF file, "ok" and "cancel" close. The choice among several images of an invoice
// takes "anlage<TAB>n" (from 1).
struct ContentsAnswer
{
    enum class Action
    {
        Edit,
        Print,
        Ok,
        Cancel
    };
    Action action;
    std::string value;
};

std::optional<ContentsAnswer> parseContentsAnswer(const std::string& answer);
// The chosen image (from 0) of an "anlage" answer; nullopt for any other answer.
std::optional<std::size_t> parseAttachmentChoice(const std::string& answer);

// The contents dialog "Inhalt der Abrechnungsdatei" of an unattended run: wraps the window and runs
// the dialog with its answers until it closes; the first answer that is not for it (or none left)
// cancels it. Printing without a named file prints nothing. Before the close line it writes whether
// every receipt is complete.
class ContentsTranscript : public ContentsWindow
{
public:
    explicit ContentsTranscript(ScriptedUser& user) : m_user(user) {}

    ContentsWindow& wrap(ContentsWindow& window);
    // Opens the dialog and answers it until it closes; true after OK.
    bool run(ContentsController& controller);

    void showTable(const TableDescription& table, int width) override { m_window->showTable(table, width); }
    void updateRow(const TableRow& row) override { m_window->updateRow(row); }
    void setFootnote(const std::string& text) override { m_window->setFootnote(text); }
    void print(const std::string& title, const std::string& footnote) override;
    void printToFile(const std::string& path, const std::string& title, const std::string& footnote) override
    {
        m_window->printToFile(path, title, footnote);
    }
    void closeDialog(bool ok) override { m_window->closeDialog(ok); }

private:
    ScriptedUser& m_user;
    ContentsWindow* m_window = nullptr;
    std::string m_pdfPath; // the file the answer being carried out prints into
};

// The contents dialog's own dialogs in an unattended run: the image choice "Auswahl der Anlage"
// writes its lines and takes "anlage<TAB>n"; the receipt dialog is the wrapped one's, which has its
// own transcript.
class ContentsDialogsTranscript : public ContentsDialogs
{
public:
    ContentsDialogsTranscript(ScriptedUser& user, ContentsDialogs& dialogs) : m_user(user), m_dialogs(dialogs) {}

    bool runReceipt(AttachmentEntry& entry, ReceiptMode mode, const PartnerLabList& labs) override
    {
        return m_dialogs.runReceipt(entry, mode, labs);
    }
    std::optional<std::size_t> chooseAttachment(const std::vector<AttachmentReference>& references) override;

private:
    ScriptedUser& m_user;
    ContentsDialogs& m_dialogs;
};

} // namespace bv
