#pragma once

// The tests' one wait: runs the Qt event loop until a condition holds, so that queued calls and
// timers are delivered while the test waits. Tests wait for conditions; they never sleep and then
// assert.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace q840::test {

// True when `condition` held within `timeoutMs`.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// The same without running the event loop, for a test whose queued calls must stay queued while
// it waits (a page destroyed with work in flight).
inline bool WaitWithoutEvents(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QThread::msleep(1);
    }
    return true;
}

}  // namespace q840::test
