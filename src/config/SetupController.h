#pragma once

#include <string>

namespace bv {

class ProfileStore;
namespace files {
class DriveProbe;
}

// What the setup dialog shows and what it hands back on OK: where the practice software leaves its
// billing files (floppy drive A:, drive B: or a directory) and the two connection choices.
struct SetupState
{
    enum class Choice
    {
        DriveA,
        DriveB,
        Directory
    };
    Choice choice = Choice::Directory;
    std::string directory; // text of the directory field
    bool useProxy = false;
    bool useLan = false;

    bool operator==(const SetupState&) const = default;
};

// The directory field's state that follows from the selected choice.
struct DirectoryField
{
    bool enabled = true;
    std::string text;
};

// Decisions of the setup dialog (spool location and connection choices), free of any toolkit. The
// dialog reads the opening state, asks on every change of the radio selection what the directory
// field becomes, and hands the edited state to accept() on OK.
class SetupController
{
public:
    SetupController(ProfileStore& profile, const files::DriveProbe& drives);

    // A drive's button is enabled only when the drive exists.
    bool driveEnabled(SetupState::Choice drive) const;
    const SetupState& opening() const { return m_opening; }
    DirectoryField openingDirectoryField() const
    {
        return {m_opening.choice == SetupState::Choice::Directory, m_opening.directory};
    }

    // The directory field after the user selected `choice`, given the text it shows now: a drive
    // disables it, the directory choice enables it; the text stays as the user left it.
    DirectoryField select(SetupState::Choice choice, const std::string& currentText) const;

    // OK: stores SavedSpooldir, spooldir, UseProxy and UseLan; the dialog then closes. False when a
    // value could not be stored, or when the state names a drive that does not exist (nothing is
    // written then: the dialog never offers such a drive).
    bool accept(const SetupState& edited);

private:
    ProfileStore& m_profile;
    bool m_driveA = false;
    bool m_driveB = false;
    SetupState m_opening;
};

} // namespace bv
