// Figures of the whole program with a simulated mouse (not run by CTest):
//   bench_app                       time from plugging the mouse to its page showing the settings
//   bench_app                       also: a profile switch, from the switch timer to the last
//                                   write, against the floor of the writes' pauses (20 ms a
//                                   command, 10 ms more for each End)
//   bench_app                       also: a key clicked on the picture until the key editor has
//                                   shown and painted its function (two keys on different
//                                   pages, in turn)
//   bench_app --idle=SECONDS [--receiver] [--visible] [--tab=NAME]
//                                   CPU share, resident memory and wake-ups per second of every
//                                   thread while the program sits hidden in the tray (or shown),
//                                   with that editor tab of the page (lighting, dpi, ...)
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "controls/CDeviceProfileUI.h"
#include "core/hid/HidBackend.h"
#include "core/profile/CBasicProfiledata.h"
#include "core/sim/DemoDevices.h"
#include "editors/CKeySetControlUI.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/AppSettings.h"
#include "platform/Paths.h"
#include "platform/ui/CPaintManagerUI.h"
#include "tests/support/WaitFor.h"

using namespace q840;
using q840::test::WaitFor;

namespace {

struct Program {
    std::shared_ptr<sim::VirtualBus> bus;
    std::unique_ptr<CMainWnd> wnd;

    Program() {
        sim::DemoOptions nothing;
        nothing.cable = nothing.receiver = nothing.mousePad = nothing.headset = false;
        bus = sim::MakeDemoBus(nothing);
        bus->GetTranscript()->SetEnabled(false);
        hid::SetHidBackend(bus);
        wnd = std::make_unique<CMainWnd>();
        wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE");
        QSignalSpy activated(wnd.get(), &CMainWnd::activated);
        wnd->show();
        activated.wait(5000);
    }
    ~Program() {
        wnd->Close();
        wnd.reset();
        hid::SetHidBackend(nullptr);
    }
    bool MouseShown() {
        pages::COrvenixUSBDevice* page = wnd->CurrentPage();
        return page != nullptr && page->GetDeviceKind() == 2 && wnd->FirstReadsDone();
    }
};

void BM_PlugToSettingsShown(benchmark::State& state) {
    Program program;
    auto cable = program.bus->Find(sim::kCableChannel);
    pages::COrvenixUSBDevice* page = program.wnd->Devices().MousePages().front();
    auto* edit = page->findChild<QLineEdit*>("DPI_edit_0");
    for (auto _ : state) {
        // The settings are on the page once the read has filled the DPI edit again.
        edit->clear();
        program.bus->Plug(cable);
        if (!WaitFor([&] { return program.MouseShown() && !edit->text().isEmpty(); }, 10000)) {
            state.SkipWithError("the mouse page did not show");
            break;
        }
        state.PauseTiming();
        program.bus->Unplug(cable);
        WaitFor([&] { return program.wnd->CurrentPage() == nullptr; }, 10000);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlugToSettingsShown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ProfileSwitch(benchmark::State& state) {
    Program program;
    program.bus->Plug(program.bus->Find(sim::kCableChannel));
    if (!WaitFor([&] { return program.MouseShown(); }, 10000)) {
        state.SkipWithError("the mouse page did not show");
        return;
    }
    pages::COrvenixUSBDevice* page = program.wnd->CurrentPage();
    controls::CDeviceProfileUI* bar = page->GetProfileBar();
    program.wnd->Profiles().AddProfile();
    auto* combo = bar->findChild<QComboBox*>("device_profile_combo");
    auto transcript = program.bus->GetTranscript();
    transcript->SetEnabled(true);
    double floorMs = 0;
    int switches = 0;
    for (auto _ : state) {
        state.PauseTiming();
        combo->setCurrentIndex(1 - combo->currentIndex());
        transcript->Clear();
        state.ResumeTiming();
        program.wnd->Profiles().SwitchProfile();
        state.PauseTiming();
        for (const auto& command : transcript->Commands()) {
            floorMs += 20 + (command.bytes.size() > 3 && command.bytes[3] == 0x02 ? 10 : 0);
        }
        ++switches;
        state.ResumeTiming();
    }
    state.counters["floor_ms"] = switches > 0 ? floorMs / switches : 0;
    state.counters["commands"] = switches > 0 ? double(transcript->Commands().size()) : 0;
}
BENCHMARK(BM_ProfileSwitch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_KeyClickToEditorShown(benchmark::State& state) {
    Program program;
    program.bus->Plug(program.bus->Find(sim::kCableChannel));
    if (!WaitFor([&] { return program.MouseShown(); }, 10000)) {
        state.SkipWithError("the mouse page did not show");
        return;
    }
    pages::COrvenixUSBDevice* page = program.wnd->CurrentPage();
    editors::CKeySetControlUI* editor = page->GetKeyEditor();
    // Two keys whose functions show on different pages: a shortcut and a wheel swing.
    auto pairs = page->GetProfileData()->GetKeyAssignments();
    pairs.at(3).current.SetCode(0x201006);
    pairs.at(9).current.SetCode(0x1235F6);
    page->GetProfileData()->WriteKeyAssignments(pairs);
    QWidget* keys[2] = {page->GetKeyButton(3), page->GetKeyButton(9)};
    int n = 0;
    for (auto _ : state) {
        program.wnd->PaintManager().SendNotify(keys[n % 2], ui::notify::kClick);
        // Shown: laid out and painted.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        editor->repaint();
        ++n;
        if (editor->GetKeyAssignment().current.Code() != (n % 2 ? 0x201006u : 0x1235F6u)) {
            state.SkipWithError("the editor did not open on the clicked key");
            break;
        }
    }
}
BENCHMARK(BM_KeyClickToEditorShown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// A brightness step of the Lighting tab, as the user makes it: the time until the picture's
// LED shows it (preview_ms), until the mouse has it (to_written_ms) and of the settings write
// itself (write_ms). Then a burst of 200 steps at once: how many
// writes went to the mouse (burst_writes) and how long the burst kept the window busy.
void RunLoopFor(int ms);

void BM_LightSliderStep(benchmark::State& state) {
    Program program;
    program.bus->Plug(program.bus->Find(sim::kCableChannel));
    if (!WaitFor([&] { return program.MouseShown(); }, 10000)) {
        state.SkipWithError("the mouse page did not show");
        return;
    }
    pages::COrvenixUSBDevice* page = program.wnd->CurrentPage();
    page->ShowFunctionPanel(1);
    auto* slider = page->findChild<QSlider*>("deng_light_slider");
    QWidget* led = page->GetLedButton(0);
    if (slider == nullptr || led == nullptr) {
        state.SkipWithError("no brightness slider or LED");
        return;
    }
    auto step = [&](int value) {
        slider->setValue(value);
        program.wnd->PaintManager().SendNotify(slider, ui::notify::kValueChanged, quint64(value));
    };
    double previewMs = 0;
    double writeMs = 0;
    double writtenMs = 0;
    int steps = 0;
    int value = 1;
    for (auto _ : state) {
        value = value == 1 ? 4 : 1;
        const QVariant before = led->property("ledValue");
        QElapsedTimer clock;
        clock.start();
        step(value);
        if (!WaitFor([&] { return led->property("ledValue") != before; }, 5000)) {
            state.SkipWithError("the preview did not change");
            break;
        }
        previewMs += clock.nsecsElapsed() / 1e6;
        WaitFor([&] { return !program.wnd->LightWriteWaiting(); }, 5000);
        writtenMs += clock.nsecsElapsed() / 1e6;
        writeMs += program.wnd->LightWrites().lastWriteUs / 1000.0;
        ++steps;
        state.PauseTiming();
        RunLoopFor(150);  // the user pauses: the next step is not held back by this write
        state.ResumeTiming();
    }
    const CMainWnd::LightWriteCounts before = program.wnd->LightWrites();
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < 200; ++i) {
        step(i % 5);
    }
    const double busyMs = burst.nsecsElapsed() / 1e6;
    WaitFor([&] { return !program.wnd->LightWriteWaiting(); }, 5000);
    state.counters["preview_ms"] = steps > 0 ? previewMs / steps : 0;
    state.counters["write_ms"] = steps > 0 ? writeMs / steps : 0;
    state.counters["to_written_ms"] = steps > 0 ? writtenMs / steps : 0;
    state.counters["burst_writes"] = program.wnd->LightWrites().writes - before.writes;
    state.counters["burst_busy_ms"] = busyMs;
}
BENCHMARK(BM_LightSliderStep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// The program's own event loop, as in normal running: no polling of ours adds wake-ups.
void RunLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// Context switches of every thread: each voluntary switch is one wake-up after a sleep.
std::map<int, std::pair<std::string, long>> ThreadSwitches() {
    std::map<int, std::pair<std::string, long>> result;
    for (const QString& task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream status(("/proc/self/task/" + task + "/status").toStdString());
        std::string line, name;
        long switches = 0;
        while (std::getline(status, line)) {
            if (line.rfind("Name:", 0) == 0) {
                name = line.substr(6);
            } else if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                switches += std::stol(line.substr(24));
            } else if (line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                switches += std::stol(line.substr(27));
            }
        }
        result[task.toInt()] = {name, switches};
    }
    return result;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int MeasureIdle(int seconds, bool receiver, bool visible, int tab) {
    Program program;
    program.bus->Plug(program.bus->Find(receiver ? sim::kReceiverChannel : sim::kCableChannel));
    if (!WaitFor([&] { return program.MouseShown(); }, 10000)) {
        std::fprintf(stderr, "the mouse page did not show\n");
        return 1;
    }
    if (tab != 0) {
        program.wnd->CurrentPage()->ShowFunctionPanel(tab);
    }
    // Into the tray, as a user leaves it (or left open, showing the page).
    if (!visible) {
        SendMessageW(program.wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);
    }
    RunLoopFor(2000);  // let start-up work settle
    const auto before = ThreadSwitches();
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    RunLoopFor(seconds * 1000);
    const double cpu = CpuSeconds() - cpuBefore;
    const double elapsed = wall.elapsed() / 1000.0;
    const auto after = ThreadSwitches();
    std::printf("%s, mouse by %s, %.1f s\n", visible ? "window shown" : "hidden in the tray",
                receiver ? "receiver" : "cable", elapsed);
    std::printf("  CPU: %.3f s = %.2f %% of one core\n", cpu, 100.0 * cpu / elapsed);
    std::printf("  resident memory: %ld kB\n", ResidentKb());
    long total = 0;
    for (const auto& [tid, entry] : after) {
        const long was = before.count(tid) ? before.at(tid).second : 0;
        const double perSecond = (entry.second - was) / elapsed;
        total += entry.second - was;
        std::printf("  thread %-16s %7.1f wake-ups/s\n", entry.first.c_str(), perSecond);
    }
    std::printf("  all threads %.1f wake-ups/s\n", total / elapsed);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SetProgramFolder(QCoreApplication::applicationDirPath() + "/..");
    SetUserDataFolder(dir.filePath("user"));
    AppSettings::SetConfigFolder(dir.filePath("config"));
    RegisterStaticMessages();
    RegisterActivateMessage();
    RegisterGuidMessages();
    ResourceSetup();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--idle=", 0) == 0) {
            bool receiver = false, visible = false;
            int tab = 0;
            for (int j = i + 1; j < argc; ++j) {
                receiver = receiver || std::string(argv[j]) == "--receiver";
                visible = visible || std::string(argv[j]) == "--visible";
                for (const ScreenshotTab& t : kScreenshotTabs) {
                    if (std::string(argv[j]) == std::string("--tab=") + t.name) {
                        tab = t.tab;
                    }
                }
            }
            return MeasureIdle(std::stoi(arg.substr(7)), receiver, visible, tab);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
