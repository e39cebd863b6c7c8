#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace q840 {

// A manual-reset event: once set it stays set (every waiter wakes) until Reset.
// Worker threads wait on one to learn that they should stop.
class StopEvent {
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until set or until the time-out passes; true when set. A negative time-out waits forever.
    bool Wait(int timeoutMs) const;
    // Waits until set or until the deadline; true when set.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    bool m_set = false;
};

}  // namespace q840
