#include "core/base/WorkerThread.h"

#include <algorithm>
#include <chrono>

namespace q840 {

WorkerThread::~WorkerThread() {
    Stop(1000);
}

bool WorkerThread::Start(Body body) {
    if (m_thread.joinable()) {
        return false;
    }
    m_state = std::make_shared<State>();
    std::shared_ptr<State> state = m_state;
    m_thread = std::thread([state, body = std::move(body)] {
        body(state->stop);
        state->finished.Set();
    });
    return true;
}

bool WorkerThread::Stop(int timeoutMs) {
    return Stop(timeoutMs, nullptr);
}

bool WorkerThread::Stop(int timeoutMs, const std::function<void()>& nudge) {
    if (!m_thread.joinable()) {
        return true;
    }
    m_state->stop.Set();
    bool ended = false;
    if (!nudge) {
        ended = m_state->finished.Wait(timeoutMs);
    } else {
        // A nudge can arrive just before the body starts to wait; repeating it covers that.
        constexpr int kNudgePeriodMs = 20;
        const bool forever = timeoutMs < 0;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            nudge();
            const int64_t left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     deadline - std::chrono::steady_clock::now())
                                     .count();
            const int wait =
                forever ? kNudgePeriodMs : int(std::clamp<int64_t>(left, 0, kNudgePeriodMs));
            if (m_state->finished.Wait(wait)) {
                ended = true;
                break;
            }
            if (!forever && std::chrono::steady_clock::now() >= deadline) {
                break;
            }
        }
    }
    if (ended) {
        m_thread.join();
        return true;
    }
    m_thread.detach();
    return false;
}

bool WorkerThread::IsRunning() const {
    return m_thread.joinable() && !m_state->finished.IsSet();
}

}  // namespace q840
