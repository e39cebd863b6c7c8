#pragma once

// The command line of q840ctl, once read, and its exit codes.

#include <string>
#include <vector>

namespace q840::ctl {

constexpr int kExitOk = 0;
constexpr int kExitDeviceError = 1;  // the device (or a file, or the program) stopped the command
constexpr int kExitUsage = 2;        // the command line is wrong, or a value out of range
constexpr int kExitNoDevice = 3;     // no supported device answered

struct Options {
    bool simulate = false;
    std::string stateFile;
    std::string device;  // "", "mouse", "pad", "headset"
    bool json = false;
    bool raw = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> words;  // the command and its arguments
};

}  // namespace q840::ctl
