#pragma once

#include <string>

namespace q840 {

// One line of diagnostic output. Silent unless the environment variable Q840_DEBUG is set;
// then the line goes to stderr. Texts are UTF-8 (several of them are Chinese).
void OutputDebugLine(const std::string& line);

// printf-style convenience over OutputDebugLine; formats only when debug output is on.
void DebugLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The line written after stopping a page's thread: it ended within its wait, or it timed out.
void DebugThreadStopResult(bool ended);

// Whether debug output is on (read once from the environment).
bool DebugLinesEnabled();

// Tests capture debug lines through this hook; null restores the default (stderr).
using DebugSink = void (*)(const std::string& line);
void SetDebugSink(DebugSink sink);

}  // namespace q840
