#include "core/base/StopEvent.h"

namespace q840 {

void StopEvent::Set() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_set = true;
    }
    m_cv.notify_all();
}

void StopEvent::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool StopEvent::IsSet() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_set;
}

bool StopEvent::Wait(int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (timeoutMs < 0) {
        m_cv.wait(lock, [this] { return m_set; });
        return true;
    }
    return m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_set; });
}

bool StopEvent::WaitUntil(std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_until(lock, deadline, [this] { return m_set; });
}

}  // namespace q840
