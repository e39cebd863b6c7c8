#include "core/base/DebugLine.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace q840 {

namespace {
std::atomic<DebugSink> g_sink{nullptr};
std::mutex g_stderrMutex;
}  // namespace

bool DebugLinesEnabled() {
    static const bool enabled = std::getenv("Q840_DEBUG") != nullptr;
    return enabled || g_sink.load() != nullptr;
}

void SetDebugSink(DebugSink sink) {
    g_sink.store(sink);
}

void OutputDebugLine(const std::string& line) {
    if (DebugSink sink = g_sink.load()) {
        sink(line);
        return;
    }
    if (!DebugLinesEnabled()) {
        return;
    }
    std::lock_guard<std::mutex> lock(g_stderrMutex);
    std::fprintf(stderr, "%s\n", line.c_str());
}

void DebugLine(const char* format, ...) {
    if (!DebugLinesEnabled()) {
        return;
    }
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (size < 0) {
        va_end(args);
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    OutputDebugLine(std::string(buffer.data(), static_cast<size_t>(size)));
}

void DebugThreadStopResult(bool ended) {
    DebugLine("%s",
              ended ? "线程退出：：对象处于激发状态\n" : "线程退出：：对象处于非激发状态，超时\n");
}

}  // namespace q840
