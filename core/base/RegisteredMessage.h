#pragma once

#include <string>

#include "core/base/Win32Types.h"

namespace q840 {

// The process-wide table of registered messages: the same name always yields the same
// identifier, in 0xC000..0xFFFF. Thread-safe. Returns 0 when the range is exhausted or the name
// is empty.
UINT RegisterWindowMessageW(const std::string& name);

// The identifier the name was registered under, without registering it; 0 when nobody in this
// process registered it (so no handler can be waiting for it).
UINT FindWindowMessage(const std::string& name);

// The name a registered identifier was given; empty for identifiers never handed out.
std::string RegisteredMessageName(UINT id);

}  // namespace q840
