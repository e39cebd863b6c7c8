#pragma once

// q840ctl: reads and changes the supported devices' settings without any user interface.
//
//   q840ctl [--simulate[=STATE_FILE]] [--device=mouse|pad|headset] [--json] [--raw] COMMAND
//     list | info | settings | battery | set SETTING VALUE... | raw CODE [ADDR LEN [BYTE...]]
//   q840ctl --help | help [COMMAND] | --version
//
// Exit codes (CtlOptions.h): 0 done, 1 device error, 2 usage error, 3 no device. Errors go to
// the error stream as one line that says what to do.

#include <ostream>
#include <string>
#include <vector>

#include "ctl/CtlOptions.h"

namespace q840::ctl {

// Runs one command line (without the program name); returns the exit code. Without --simulate
// the devices are those of the HID backend in place (hidraw, or a simulated bus a test installed).
int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// One line per result code, for messages.
std::string DescribeResult(int result);

}  // namespace q840::ctl
