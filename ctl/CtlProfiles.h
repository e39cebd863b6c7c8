#pragma once

// q840ctl profile list | switch NAME-OR-NUMBER | export NAME-OR-NUMBER FILE | import FILE: the
// mouse's named profiles with the profile bar's rules and limits; a switch writes the mouse as a
// switch in the program's window does (settings block, macro area, key table).

#include <ostream>

#include "ctl/CtlOptions.h"

namespace q840::ctl {

// Whether the profile subcommand changes stored files or the mouse (and so needs the program's
// instance lock).
bool ProfileCommandWrites(const Options& o);
// o.words[0] is "profile". The caller holds the program's instance lock for the commands that
// change something.
int CmdProfile(const Options& o, std::ostream& out, std::ostream& err);

}  // namespace q840::ctl
