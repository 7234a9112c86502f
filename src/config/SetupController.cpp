#include "config/SetupController.h"

#include "config/ConfigTexts.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/Files.h"

#include <optional>

namespace bv {

namespace {

const char* driveRoot(SetupState::Choice drive)
{
    return drive == SetupState::Choice::DriveA ? configtext::DriveRootA : configtext::DriveRootB;
}

const char* flag(bool on)
{
    return on ? "1" : "0";
}

} // namespace

SetupController::SetupController(ProfileStore& profile, const files::DriveProbe& drives)
    : m_profile(profile), m_driveA(drives.driveExists('A')), m_driveB(drives.driveExists('B'))
{
    using Choice = SetupState::Choice;
    const std::string spoolDirectory = m_profile.read(profilekey::spooldir);
    const std::string saved = m_profile.read(profilekey::SavedSpooldir);

    std::optional<Choice> drive;
    if (spoolDirectory == "A:\\" || spoolDirectory == "a:\\")
        drive = Choice::DriveA;
    else if (spoolDirectory == "B:\\" || spoolDirectory == "b:\\")
        drive = Choice::DriveB;

    if (drive) {
        // A drive keeps the directory the user had chosen before, for when he switches back; without
        // one the field shows the drive's own root. A drive that is gone is offered as the directory
        // choice with the same text; its own root (not always "A:\"), so that OK without changes
        // never turns a stored B: into A:.
        m_opening.choice = driveEnabled(*drive) ? *drive : Choice::Directory;
        m_opening.directory = saved.empty() ? driveRoot(*drive) : saved;
    } else {
        m_opening.choice = Choice::Directory;
        m_opening.directory = spoolDirectory;
    }
    m_opening.useProxy = m_profile.read(profilekey::UseProxy) == "1";
    m_opening.useLan = m_profile.read(profilekey::UseLan) == "1";
}

bool SetupController::driveEnabled(SetupState::Choice drive) const
{
    switch (drive) {
    case SetupState::Choice::DriveA:
        return m_driveA;
    case SetupState::Choice::DriveB:
        return m_driveB;
    case SetupState::Choice::Directory:
        return true;
    }
    return false;
}

DirectoryField SetupController::select(SetupState::Choice choice, const std::string& currentText) const
{
    return {choice == SetupState::Choice::Directory, currentText};
}

bool SetupController::accept(const SetupState& edited)
{
    if (!driveEnabled(edited.choice))
        return false;
    const std::string spoolDirectory =
        edited.choice == SetupState::Choice::Directory ? edited.directory : driveRoot(edited.choice);
    bool stored = m_profile.write(profilekey::SavedSpooldir, edited.directory);
    stored = m_profile.write(profilekey::spooldir, spoolDirectory) && stored;
    stored = m_profile.write(profilekey::UseProxy, flag(edited.useProxy)) && stored;
    stored = m_profile.write(profilekey::UseLan, flag(edited.useLan)) && stored;
    return stored;
}

} // namespace bv
