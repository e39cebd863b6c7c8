#pragma once

// Where the program's files are, without Qt: the rules the program (platform/Paths.h) follows,
// for the parts that run without it (q840ctl). Nothing here creates a folder.

#include <string>

namespace q840 {

extern const char* const kProductTitle;  // "Halvorn Q840-VEX GAMING MOUSE"

// The per-user data folder: Q840_USER_DATA_DIR when set, else $XDG_DATA_HOME (default
// ~/.local/share) + '/' + product title. Ends with '/'; empty when neither XDG_DATA_HOME nor
// HOME is set.
std::string DefaultUserDataFolder();

// The folder of the running program: Q840_PROGRAM_DIR when set, else the folder of the
// executable (links followed, so an installed link on the PATH finds the data beside the real
// file). Ends with '/'.
std::string ExecutableFolder();

// The instance lock file in the runtime folder ($XDG_RUNTIME_DIR/halvorn-q840vex.lock), or empty
// when there is no runtime folder: the lock then lives in the per-user data folder, as
// kInstanceLockInUserFolder.
std::string RuntimeInstanceLockFile();
inline constexpr const char* kInstanceLockInUserFolder = "instance.lock";

}  // namespace q840
