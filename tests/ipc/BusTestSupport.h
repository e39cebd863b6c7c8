#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <future>
#include <ostream>
#include <type_traits>
#include <utility>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace q840::ipc::test {

// The one application object of the test process (QtDBus delivers through its event loop).
QCoreApplication* EnsureApp();

// A dbus-daemon of our own for this test process, so that tests never touch the user's
// session and can run in parallel. Start() points DBUS_SESSION_BUS_ADDRESS at it.
// With Q840_TEST_BUS_ADDRESS set, the bus at that address (a daemon the caller started for the
// whole run) is used instead: under ThreadSanitizer a daemon started from the test process (a
// QProcess) leaves the sanitizer's view of the process's locks unreliable (false races in code
// that holds its mutex, "unlock of an unlocked mutex"), so make test-tsan starts it outside.
class PrivateSessionBus {
public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool Start();
    void Stop();
    const QString& Address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

// Runs the UI thread's event loop until `done()` is true or `timeoutMs` passes.
template <typename Pred>
bool SpinUntil(Pred done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.hasExpired(timeoutMs)) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Runs `work` on another thread while this thread keeps serving its event loop, as a blocking
// call from another program would; returns its result.
template <typename F>
auto RunElsewhere(F work) -> std::invoke_result_t<F> {
    auto result = std::async(std::launch::async, std::move(work));
    SpinUntil([&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
              60000);
    return result.get();
}

}  // namespace q840::ipc::test
