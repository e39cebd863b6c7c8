#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/base/StopEvent.h"

namespace q840 {

// A worker thread with its own manual-reset stop event.
//
// Stop() signals the event and waits a bounded time for the body to return. A thread cannot be
// killed safely, so one that overstays its wait is detached (it keeps its shared state alive)
// and Stop() reports false; the caller writes its debug line.
class WorkerThread {
public:
    using Body = std::function<void(const StopEvent& stop)>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body on a new thread with a fresh (reset) stop event. False if already running.
    bool Start(Body body);
    // Signals the stop event and waits up to timeoutMs. True if the thread ended in time (or
    // never ran), false if it had to be detached.
    bool Stop(int timeoutMs);
    // The same for a body that may be blocked where the stop event cannot reach it (a read
    // without a time-out): `nudge` runs at once and again every few milliseconds until the body
    // returns or the time is up.
    bool Stop(int timeoutMs, const std::function<void()>& nudge);
    bool IsRunning() const;
    // Signals the stop event without waiting (a caller stopping many threads signals all first).
    void SignalStop() { m_state->stop.Set(); }
    // The stop event of the running thread (also usable before Start, for tests).
    const StopEvent& Event() const { return m_state->stop; }

private:
    struct State {
        StopEvent stop;
        StopEvent finished;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::thread m_thread;
};

}  // namespace q840
