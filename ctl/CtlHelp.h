#pragma once

// q840ctl's help texts: the overview and one text per command.

#include <ostream>
#include <string>

namespace q840::ctl {

void PrintUsage(std::ostream& out);
// False when there is no such command (nothing is printed).
bool PrintCommandHelp(const std::string& command, std::ostream& out);
// Whether the command reads and so takes --json.
bool IsReadingCommand(const std::string& command);
bool IsCommand(const std::string& command);

}  // namespace q840::ctl
