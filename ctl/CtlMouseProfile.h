#pragma once

// The mouse's stored profiles as q840ctl finds them: its folder in the per-user data folder, the
// profile list the program's profile bar shows, and the current profile loaded as the mouse page
// loads it. Also the program's instance lock, which q840ctl holds while it talks to a device.

#include <filesystem>
#include <memory>
#include <string>

#include "core/base/InstanceLock.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/PendingWrites.h"
#include "core/profile/ProfileList.h"

namespace q840::ctl {

// The mouse's folder of stored files and its factory profile, as the mouse page has them.
struct MouseFolders {
    std::filesystem::path device;
    std::filesystem::path factoryProfile;
};
MouseFolders MouseFoldersOf(const std::string& userFolder);

// The mouse's profile list and one profile of it.
struct MouseProfiles {
    profile::ProfileList list;
    profile::CMouseProfiledata data;
    profile::PendingWrites pending;

    // Loads the list (or makes it, as the program does); false, with the reason, when the folder
    // cannot hold one.
    bool LoadList(const MouseFolders& folders, std::string* why);
    // Loads the list's current profile (its "profileselect"); false, with the reason, when there
    // is no profile to work on.
    bool LoadCurrent(const MouseFolders& folders, std::string* why);
    // The current profile's name ("" without one).
    std::string CurrentName() const;
};

// A profile named on the command line: its name (letter case does not matter, as for the
// profile bar's names) or its number in the list, 1 the first. A name wins over a number.
// -1, with one line for the user in *why, when neither matches.
int FindProfile(const profile::ProfileList& list, const std::string& nameOrNumber,
                std::string* why);

// The program's instance lock: the program holds it while it runs. Taken() when q840ctl holds it
// now; ProgramRunning() when the program does.
class ProgramLock {
public:
    // Tries to take the lock at once.
    ProgramLock();
    bool Taken() const { return m_lock && m_lock->Held(); }
    // The lock is held by another process (the program, or another q840ctl).
    bool ProgramRunning() const { return m_running; }

private:
    std::unique_ptr<InstanceLock> m_lock;
    bool m_running = false;
};

}  // namespace q840::ctl
