// q840ctl: diagnostics for the supported devices, without the user interface.

#include <iostream>
#include <string>
#include <vector>

#include "ctl/CtlCommands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return q840::ctl::RunCtl(args, std::cout, std::cerr);
}
