#include "platform/base/WorkerThread.h"

namespace q840 {

WorkerThread::~WorkerThread() { Stop(1000); }

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
    if (!m_thread.joinable()) {
        return true;
    }
    m_state->stop.Set();
    if (m_state->finished.Wait(timeoutMs)) {
        m_thread.join();
        return true;
    }
    m_thread.detach();
    return false;
}

bool WorkerThread::IsRunning() const { return m_thread.joinable() && !m_state->finished.IsSet(); }

}  // namespace q840
