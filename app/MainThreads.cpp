#include "app/MainThreads.h"

#include "core/base/DebugLine.h"

namespace q840 {

bool MainThreads::Start(int index, WorkerThread::Body body) {
    if (index < 0 || index >= kCount || m_threads[static_cast<size_t>(index)]) {
        return false;
    }
    auto thread = std::make_unique<WorkerThread>();
    if (!thread->Start(std::move(body))) {
        return false;
    }
    m_threads[static_cast<size_t>(index)] = std::move(thread);
    return true;
}

bool MainThreads::IsRunning(int index) const {
    return index >= 0 && index < kCount && m_threads[static_cast<size_t>(index)] &&
           m_threads[static_cast<size_t>(index)]->IsRunning();
}

bool MainThreads::AnyStarted() const {
    for (const auto& thread : m_threads) {
        if (thread) {
            return true;
        }
    }
    return false;
}

int MainThreads::StopAll(int waitMs, const std::function<void()>& serve) {
    // All stop events first, so the threads wind down together rather than one after another.
    for (const auto& thread : m_threads) {
        if (thread) {
            thread->SignalStop();
        }
    }
    int overstayed = 0;
    for (int i = 0; i < kCount; ++i) {
        std::unique_ptr<WorkerThread>& thread = m_threads[static_cast<size_t>(i)];
        if (!thread) {
            OutputDebugLine("错误\n");
            DebugLine("%d", i);
            continue;
        }
        if (serve ? thread->Stop(waitMs, serve) : thread->Stop(waitMs)) {
            OutputDebugLine("所有对象处于激发状态\n");
        } else {
            // Killing a thread is not safe here; it is left to finish on its own.
            OutputDebugLine("所有对象处于非激发状态，超时\n");
            ++overstayed;
        }
        thread.reset();
    }
    return overstayed;
}

}  // namespace q840
