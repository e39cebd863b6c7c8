#pragma once

// q840ctl: a diagnostic tool that talks to the supported devices without any user interface.
//
//   q840ctl [--simulate[=STATE_FILE]] [--device=mouse|pad|headset] list
//   q840ctl [...] info               the decoded information record
//   q840ctl [...] settings           the decoded settings block of the current profile
//   q840ctl [...] raw CODE [ADDR LEN [BYTE...]]   one command, the reply in hex

#include <ostream>
#include <string>
#include <vector>

namespace q840::ctl {

constexpr int kExitOk = 0;
constexpr int kExitNoDevice = 1;  // no supported device answered, or the command failed
constexpr int kExitUsage = 2;

// Runs one command line (without the program name); returns the exit code.
int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// One line per result code, for messages.
std::string DescribeResult(int result);

}  // namespace q840::ctl
