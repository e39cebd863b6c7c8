// What q840ctl costs while the program runs, against the same commands when q840ctl talks to the
// simulated mouse itself (the program's lock let go, the window idle), by cable and through the
// receiver (not run by CTest):
//   BM_Ctl/command:0|1/program:1|0/cable:1|0
//     command 0: q840ctl settings; 1: q840ctl set dpi 2 N
//     program 1: through the running program on a private session bus; 0: q840ctl alone
// Counters: commands (reports the mouse received per run).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <sstream>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/RegisteredMessages.h"
#include "core/base/InstanceLock.h"
#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "ctl/CtlCommands.h"
#include "ipc/BusTestSupport.h"
#include "platform/AppSettings.h"
#include "platform/Paths.h"
#include "platform/ipc/CBusLink.h"
#include "platform/ipc/ControlEndpoint.h"
#include "tests/support/WaitFor.h"

using namespace q840;

namespace {

QTemporaryDir* g_dir = nullptr;

// The program over the demo mouse, reachable on a private bus, holding its instance lock.
struct Program {
    ipc::test::PrivateSessionBus daemon;
    std::shared_ptr<sim::VirtualBus> bus;
    std::unique_ptr<CMainWnd> wnd;
    ipc::CBusLink link;
    ipc::ControlEndpoint* control = nullptr;
    std::optional<InstanceLock> lock;

    explicit Program(bool cable) {
        daemon.Start();
        sim::DemoOptions options;
        options.cable = cable;
        options.receiver = !cable;
        options.mousePad = options.headset = false;
        bus = sim::MakeDemoBus(options);
        hid::SetHidBackend(bus);
        wnd = std::make_unique<CMainWnd>();
        wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE");
        QSignalSpy activated(wnd.get(), &CMainWnd::activated);
        wnd->show();
        activated.wait(5000);
        test::WaitFor([&] { return wnd->CurrentPage() != nullptr && wnd->FirstReadsDone(); });
        link.Connect();
        link.AcquireSingleInstance();
        control = ipc::ControlEndpoint::Attach(link, &wnd->Control());
        lock.emplace(g_dir->filePath("run/halvorn-q840vex.lock").toStdString());
        lock->TryAcquire();
    }
    ~Program() {
        if (control != nullptr) {
            control->DetachHandler();
        }
        wnd->Close();
        wnd.reset();
        hid::SetHidBackend(nullptr);
        link.Disconnect();
    }
};

void BM_Ctl(benchmark::State& state) {
    const bool set = state.range(0) == 1;
    const bool throughProgram = state.range(1) == 1;
    const bool cable = state.range(2) == 1;
    Program program(cable);
    if (!throughProgram) {
        program.lock.reset();
    }
    int dpi = 800;
    size_t commands = 0;
    int runs = 0;
    for (auto _ : state) {
        dpi = dpi == 800 ? 1600 : 800;
        const std::vector<std::string> args =
            set ? std::vector<std::string>{"set", "dpi", "2", std::to_string(dpi)}
                : std::vector<std::string>{"settings"};
        program.bus->GetTranscript()->Clear();
        const int code = ipc::test::RunElsewhere([&] {
            std::ostringstream out, err;
            return ctl::RunCtl(args, out, err);
        });
        if (code != ctl::kExitOk) {
            state.SkipWithError("q840ctl failed");
            break;
        }
        commands += program.bus->GetTranscript()->Commands().size();
        ++runs;
    }
    state.counters["commands"] = runs > 0 ? double(commands) / runs : 0;
}
BENCHMARK(BM_Ctl)
    ->ArgsProduct({{0, 1}, {1, 0}, {1, 0}})
    ->ArgNames({"command", "program", "cable"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    QDir().mkpath(dir.filePath("run"));
    SetProgramFolder(QCoreApplication::applicationDirPath() + "/..");
    SetUserDataFolder(dir.filePath("user"));
    AppSettings::SetConfigFolder(dir.filePath("config"));
    // q840ctl finds the same folders and lock as the program.
    qputenv("Q840_USER_DATA_DIR", UserDataFolder().toUtf8());
    qputenv("Q840_PROGRAM_DIR", ProgramFolder().toUtf8());
    qputenv("XDG_RUNTIME_DIR", dir.filePath("run").toUtf8());
    RegisterStaticMessages();
    RegisterActivateMessage();
    RegisterGuidMessages();
    ResourceSetup();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
