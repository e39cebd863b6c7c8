#pragma once

// The commands of q840ctl while the program runs: q840ctl opens no device then, and asks the
// program over its control interface on the session bus, so that the mouse gets one sequence
// of commands at a time and the window shows the change at once.

#include <ostream>

#include "ctl/CtlOptions.h"

namespace q840::ctl {

// How long q840ctl waits for the program's answer: a command through the receiver that runs
// into every time-out of the protocol still ends well within it.
inline constexpr int kProgramAnswerMs = 20000;

int RunThroughProgram(const Options& o, std::ostream& out, std::ostream& err);

}  // namespace q840::ctl
