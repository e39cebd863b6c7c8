#pragma once

#include <memory>
#include <string>

#include "platform/input/IInputSource.h"

namespace q840::input {

// The source this session can capture with, chosen when a capture starts:
// - Q840_INPUT_SOURCE=x11|window|none forces one;
// - the toolkit on Wayland: what reaches the program's windows (Wayland has no global capture);
// - an X server at $DISPLAY otherwise (an X session; not for the offscreen platform);
// - none: nullptr, and *why says what is missing.
std::unique_ptr<IInputSource> CreateInputSource(std::string* why);

}  // namespace q840::input
