#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace q840 {

// Ends the program in order when the system asks it to (SIGTERM at log-out or shut-down, SIGINT
// from a terminal): the signal only writes a byte into a pipe, and the event loop then runs the
// given quit action on the UI thread, so threads stop and state is saved as on "Exit".
// Elsewhere than on POSIX systems it does nothing.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(std::function<void()> quit, QObject* parent = nullptr);
    ~QuitSignals() override;

private:
    std::function<void()> m_quit;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace q840
