// What recording from the real keyboard costs, on an X server of the benchmark's own (Xvfb):
// - the time from a key injected through XTEST to its step row in the macro editor (median and
//   99th percentile over 1000 keys), through the X11 source, the input hook's message, the
//   recorder's filters and the editor;
// - the processor time of a recording session that waits for input (2 s, no key pressed).
//   Q840_SOURCE_DIR=$PWD build/bench/bench_record

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "core/macro/MacroRecorder.h"
#include "editors/CMacroControlUI.h"
#include "platform/MessageTarget.h"
#include "platform/input/CDeviceHook.h"
#include "platform/input/CX11InputSource.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

using namespace q840;

namespace {

class Builder : public ui::IDialogBuilderCallback {
public:
    QWidget* CreateControl(const QString& tag) override {
        return tag == "CMacroControlUI" ? editors::CMacroControlUI::Create() : nullptr;
    }
};

// The main window's part: the hook's keyboard message goes through the filters to the editor.
class Window : public CMessageTarget {
public:
    editors::CMacroControlUI* editor = nullptr;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        const auto& record = *reinterpret_cast<const input::KeyHookRecord*>(lParam);
        if (auto step = macro::RecordFilters::Shared().Key(macro::RecordPosition::Append,
                                                           input::IsKeyPress(wParam),
                                                           record.scanCode, record.Extended())) {
            editor->PlaceRecordedStep(*step, 0);
        }
        return 0;
    }
};

struct Session {
    test::XvfbServer server;
    test::TempDir folder;
    ui::CPaintManagerUI pm;
    Builder builder;
    std::unique_ptr<QWidget> root = std::make_unique<QWidget>();
    Window window;
    input::CDeviceHook hook;
    Display* injector = nullptr;
    QTimer wake;

    Session() {
        // The source tree's skin (Q840_SOURCE_DIR, or the tree the benchmark was built from).
        const QString skin =
            qEnvironmentVariable("Q840_SOURCE_DIR", QStringLiteral(Q840_BENCH_SOURCE_DIR)) +
            "/skin/";
        ui::CPaintManagerUI::SetResourcePath(skin);
        ui::CResourceManager::GetInstance().SetResourcePath(skin);
        ui::CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
        ui::CDialogBuilder dialog;
        window.editor = qobject_cast<editors::CMacroControlUI*>(dialog.Create(
            QString::fromLatin1(editors::CMacroControlUI::kLayoutFile), &builder, &pm, root.get()));
        pm.AttachRoot(root.get());
        root->resize(600, 420);
        root->show();
        window.editor->SetDataFolder(QString::fromStdString(folder.path().string()) + "/");
        window.editor->LoadMacroIndex();
        QString name;
        window.editor->CreateMacro(&name);
        const std::string display = server.Display();
        hook.SetSourceFactory(
            [display](std::string*) { return std::make_unique<input::CX11InputSource>(display); });
        injector = XOpenDisplay(display.c_str());
        window.editor->BeginRecording(macro::RecordPosition::Append, 3, 0);
        hook.Start(input::CDeviceHook::kAppend, &window, true, true);
        wake.start(100);  // the wait below never sleeps through a lost wake-up
    }
    ~Session() {
        hook.Stop();
        if (injector != nullptr) {
            XCloseDisplay(injector);
        }
    }
    bool Ready() const { return injector != nullptr && hook.IsInstalled(); }
    // Injects one key event and waits for its row; the time it took in microseconds.
    double KeyToRow(unsigned keycode, bool press) {
        const int rows = window.editor->StepCount();
        const auto start = std::chrono::steady_clock::now();
        XTestFakeKeyEvent(injector, keycode, press ? True : False, 0);
        XFlush(injector);
        while (window.editor->StepCount() == rows) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count();
    }
};

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void KeyToStepRow(benchmark::State& state) {
    Session s;
    if (!s.Ready()) {
        state.SkipWithError("no X server");
        return;
    }
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (int i = 0; i < 1000; ++i) {
            if (s.window.editor->StepCount() >= macro::kMaxRecordedSteps - 2) {
                state.PauseTiming();
                s.window.editor->DeleteAllSteps();
                state.ResumeTiming();
            }
            latencies.push_back(s.KeyToRow(38, (i % 2) == 0));  // A pressed, released, ...
        }
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_us"] = latencies[latencies.size() / 2];
    state.counters["p99_us"] = latencies[latencies.size() * 99 / 100];
}
BENCHMARK(KeyToStepRow)->Iterations(1)->Unit(benchmark::kMillisecond);

void IdleRecordingCpu(benchmark::State& state) {
    Session s;
    if (!s.Ready()) {
        state.SkipWithError("no X server");
        return;
    }
    for (auto _ : state) {
        const double cpu = ProcessSeconds();
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        // The 100 ms wake-up timer of the benchmark itself is in this figure.
        state.counters["cpu_percent"] = (ProcessSeconds() - cpu) / 2.0 * 100.0;
    }
}
BENCHMARK(IdleRecordingCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
