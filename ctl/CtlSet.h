#pragma once

#include <ostream>

#include "ctl/CtlOptions.h"

namespace q840::ctl {

// q840ctl set SETTING VALUE...: checks every value, takes the program's instance lock, applies
// the changes to the current profile of the mouse's folder as the mouse page does, saves it,
// writes the settings block and reads it back. Returns the exit code.
int CmdSet(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace q840::ctl
