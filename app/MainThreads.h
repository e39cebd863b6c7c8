#pragma once

#include <array>
#include <functional>
#include <memory>

#include "core/base/WorkerThread.h"

namespace q840 {

// The main window's worker thread slots, each with its own manual-reset stop event. Slot 0 is the
// device scan, 1 the audio recorder watcher, 8 the light synchronisation; the others stay empty.
constexpr int kThreadDeviceScan = 0;
constexpr int kThreadAudioWatcher = 1;
constexpr int kThreadLightSync = 8;

class MainThreads {
public:
    static constexpr int kCount = 20;
    static constexpr int kStopWaitMs = 1000;

    // False when the index is outside 0..19 or the slot already runs a thread.
    bool Start(int index, WorkerThread::Body body);
    bool IsRunning(int index) const;
    // Some slot still holds a thread (StopAll empties every slot).
    bool AnyStarted() const;
    // Signals every stop event, then waits for each slot in index order (kStopWaitMs each) with
    // the shut-down debug lines. A thread that overstays is detached. Returns how many did.
    // `serve`, when given, runs every few milliseconds while a thread is awaited (the window
    // takes the messages its threads wait in SendMessageW to hand it).
    int StopAll(int waitMs = kStopWaitMs, const std::function<void()>& serve = {});

private:
    std::array<std::unique_ptr<WorkerThread>, kCount> m_threads;
};

}  // namespace q840
