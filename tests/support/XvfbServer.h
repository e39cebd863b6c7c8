#pragma once

// A virtual X server of the test's own, on a display number the server picks itself (so tests
// running side by side never meet), with a fast keyboard auto-repeat. Ended with the object.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace q840::test {

class XvfbServer {
public:
    // Auto-repeat starts 60 ms into a held key and repeats every 20 ms.
    XvfbServer() {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            return;
        }
        const std::string fd = std::to_string(pipeFds[1]);
        std::vector<std::string> args = {"Xvfb",     "-displayfd",  fd,  "-nolisten",  "tcp",
                                         "-noreset", "-screen",     "0", "800x600x24", "-ardelay",
                                         "60",       "-arinterval", "20"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            // The server goes with the test, however the test ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(pipeFds[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
            execvp("Xvfb", argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        // The server writes its display number once it takes connections.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd p{pipeFds[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) {
                continue;
            }
            char c = 0;
            if (read(pipeFds[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            number += c;
        }
        close(pipeFds[0]);
        if (!number.empty()) {
            m_display = ":" + number;
        }
    }
    ~XvfbServer() { Kill(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& Display() const { return m_display; }
    void Kill() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

}  // namespace q840::test
