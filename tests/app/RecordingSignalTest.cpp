// The program ended by SIGTERM (log-out, shut-down, `kill`) in the middle of a macro recording
// from an X server: a process of its own (this program started again, running the child test)
// holds the real main window over the simulated mouse, records through the X11 source from the
// test's own Xvfb and installs the program's quit-signal handling. The test types into the X
// server as another client, sends SIGTERM and checks the process ends in order, the recording
// was saved, and the keyboard is free for other programs again.
#include <gtest/gtest.h>

#include <json/json.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/QuitSignals.h"
#include "core/macro/MacroRecorder.h"
#include "core/profile/JsonFileStore.h"
#include "editors/CMacroControlUI.h"
#include "tests/app/MouseWindowFixture.h"
#include "tests/support/XvfbServer.h"
// Xlib's macros (KeyPress, None, Bool) last, after every Qt header.
#include "tests/support/X11TestClient.h"

extern char** environ;

using namespace q840;

namespace {

constexpr unsigned kKeyA = 38;  // X key codes (Linux input code + 8)
constexpr unsigned kKeyB = 56;

// The child's side: the program's window recording until the quit signal ends it.
class RecordingChild : public test::MouseWindowTest {
protected:
    editors::CMacroControlUI* Editor() { return Page()->GetMacroEditor(); }
    void Click(const char* name) {
        QWidget* control = Editor()->findChild<QWidget*>(QLatin1String(name));
        ASSERT_NE(control, nullptr) << name;
        m_wnd->PaintManager().SendNotify(control, ui::notify::kClick);
    }
    static void Say(const std::string& line) {
        std::printf("child: %s\n", line.c_str());
        std::fflush(stdout);
    }
};

// Started by the test below (run alone it would wait for a signal that never comes).
TEST_F(RecordingChild, DISABLED_RecordsUntilTheQuitSignal) {
    macro::RecordFilters::Shared().Reset();
    Page()->ShowFunctionPanel(3);
    Click("macro_btn_name_add");
    Click("macro_btn_starredio");
    ASSERT_TRUE(m_wnd->InputHook().IsInstalled()) << "the X11 source did not start";
    // As the program installs it: the signal closes the main window, which ends the loop.
    QuitSignals quitSignals([this] {
        if (!m_wnd->IsDestroyed()) {
            m_wnd->Close();
        }
    });
    int told = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!m_wnd->IsDestroyed() && Editor()->StepCount() != told) {
            told = Editor()->StepCount();
            Say("steps " + std::to_string(told));
        }
    });
    watch.start(5);
    Say("recording");
    QApplication::exec();
    watch.stop();

    // What the stop on the way out saved.
    std::string saved;
    const Json::Value file =
        profile::JsonFileStore().ReadJsonFile(Editor()->Store().MacroFilePath(0));
    for (const Json::Value& e : file["Events"]) {
        saved += std::to_string(e["Type"].asInt()) + "/" + e["Action"].asString() + "/" +
                 std::to_string(e["Button"].asInt()) + " ";
    }
    Say("saved " + saved);
}

// The parent's side.
class ChildProcess {
public:
    bool Start(const std::string& display) {
        int out[2];
        if (pipe(out) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> env = {"DISPLAY=" + display, "Q840_INPUT_SOURCE=x11"};
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("Q840_INPUT_SOURCE=", 0) != 0) {
                env.push_back(entry);
            }
        }
        std::vector<char*> envp;
        for (std::string& entry : env) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string exe = "/proc/self/exe";
        std::string filter = "--gtest_filter=RecordingChild.DISABLED_RecordsUntilTheQuitSignal";
        std::string disabled = "--gtest_also_run_disabled_tests";
        char* argv[] = {exe.data(), filter.data(), disabled.data(), nullptr};
        const int rc = posix_spawn(&m_pid, exe.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        m_out = out[0];
        return rc == 0;
    }
    ~ChildProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) {
            close(m_out);
        }
    }
    // Reads the child's output until a line starting with `prefix` (true), or the time is up.
    bool WaitLine(const std::string& prefix, std::string* line = nullptr, int ms = 15000) {
        return test::WaitFor(
            [&] {
                ReadSome();
                for (const std::string& l : m_lines) {
                    if (l.rfind("child: " + prefix, 0) == 0) {
                        if (line != nullptr) {
                            *line = l.substr(7 + prefix.size());
                        }
                        return true;
                    }
                }
                return false;
            },
            ms);
    }
    // The exit status once the process has ended, within `ms`; -1 while it still runs.
    int WaitExit(int ms) {
        int status = -1;
        test::WaitFor([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }, ms);
        if (status != -1) {
            m_pid = -1;
        }
        return status;
    }
    void Signal(int sig) { kill(m_pid, sig); }
    std::string Output() const {
        std::string all;
        for (const std::string& l : m_lines) {
            all += l + "\n";
        }
        return all + m_partial;
    }

private:
    void ReadSome() {
        pollfd p{m_out, POLLIN, 0};
        while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0) {
            char buffer[512];
            const ssize_t n = read(m_out, buffer, sizeof(buffer));
            if (n <= 0) {
                break;
            }
            m_partial.append(buffer, size_t(n));
            size_t end;
            while ((end = m_partial.find('\n')) != std::string::npos) {
                m_lines.push_back(m_partial.substr(0, end));
                m_partial.erase(0, end + 1);
            }
        }
    }
    pid_t m_pid = -1;
    int m_out = -1;
    std::vector<std::string> m_lines;
    std::string m_partial;
};

TEST(RecordingSignal, TermSignalWhileRecordingSavesTheMacroAndFreesTheKeyboard) {
    test::XvfbServer server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    test::OtherClient other(server.Display());
    ASSERT_NE(other.Dpy(), nullptr);
    other.OpenWindow();

    ChildProcess child;
    ASSERT_TRUE(child.Start(server.Display()));
    ASSERT_TRUE(child.WaitLine("recording")) << child.Output();
    // The recording holds the keyboard: nobody else gets it.
    EXPECT_FALSE(other.CanGrabKeyboard());
    other.Tap(kKeyA);
    other.Tap(kKeyB);
    ASSERT_TRUE(child.WaitLine("steps 4")) << child.Output();

    child.Signal(SIGTERM);
    const int status = child.WaitExit(15000);
    ASSERT_NE(status, -1) << "still running 15 s after SIGTERM\n" << child.Output();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << "\n"
                                   << child.Output();
    EXPECT_EQ(WEXITSTATUS(status), 0) << child.Output();
    // The four steps were saved on the way out: A (HID usage 4) and B (5), each down and up.
    std::string saved;
    ASSERT_TRUE(child.WaitLine("saved ", &saved, 1000)) << child.Output();
    EXPECT_EQ(saved, "10/down/4 10/up/4 10/down/5 10/up/5 ");

    // The keyboard is free: another client can take it, and typed keys reach the focused window.
    EXPECT_TRUE(other.CanGrabKeyboard());
    other.Tap(kKeyA);
    EXPECT_TRUE(test::WaitFor([&] {
        other.Next();
        return std::find(other.keyPresses.begin(), other.keyPresses.end(), kKeyA) !=
               other.keyPresses.end();
    }));
}

}  // namespace
