#include "app/QuitSignals.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

#include "core/base/DebugLine.h"

namespace q840 {

#ifndef _WIN32
namespace {
int g_pipe[2] = {-1, -1};

void OnQuitSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here; a full pipe just means a quit is already on its way.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}
}  // namespace
#endif

QuitSignals::QuitSignals(std::function<void()> quit, QObject* parent)
    : QObject(parent), m_quit(std::move(quit)) {
#ifndef _WIN32
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(g_pipe[0], buffer, sizeof(buffer)) > 0) {
        }
        DebugLine("quit signal: ending in order");
        if (m_quit) {
            m_quit();
        }
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
#endif
}

QuitSignals::~QuitSignals() {
#ifndef _WIN32
    if (m_notifier != nullptr) {
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
#endif
}

}  // namespace q840
