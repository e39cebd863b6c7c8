// What q840ctl costs against the simulated mouse (zero latency), by cable and through the
// receiver, beside the floor the protocol's pauses set for the transactions it runs: 10 ms before
// each write and each read of a transaction, 10 ms more before End.
//   BM_Settings/cable:1|0   q840ctl settings by cable (1) or through the receiver (0): identity,
//                           the current profile's index and block
//   BM_SetDpi/cable:1|0     q840ctl set dpi 2 N: identity, block, profile file, write, read back
//   BM_StartUp              q840ctl --version as a process: start-up and exit, no device
// Counters: commands (transactions on the wire) and floor_ms (their pauses).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "ctl/CtlCommands.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kPauseMs = 10;

// A scratch user folder and runtime folder, the source tree's factory data, and the demo mouse.
struct Rig {
    explicit Rig(bool cable) {
        char pattern[] = "/tmp/q840-ctl-bench-XXXXXX";
        folder = ::mkdtemp(pattern) != nullptr ? pattern : "";
        fs::create_directories(folder + "/run");
        setenv("Q840_USER_DATA_DIR", (folder + "/user").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (folder + "/run").c_str(), 1);
        setenv("Q840_PROGRAM_DIR", Q840_BENCH_SOURCE_DIR, 1);
        q840::sim::DemoOptions options;
        options.cable = cable;
        options.receiver = !cable;
        options.mousePad = false;
        options.headset = false;
        bus = q840::sim::MakeDemoBus(options);
        q840::hid::SetHidBackend(bus);
    }
    ~Rig() {
        q840::hid::SetHidBackend(nullptr);
        std::error_code error;
        fs::remove_all(folder, error);
    }
    std::string folder;
    std::shared_ptr<q840::sim::VirtualBus> bus;
};

void RunCommand(benchmark::State& state, const std::vector<std::string>& first,
                const std::vector<std::string>& second) {
    Rig rig(state.range(0) != 0);
    size_t commands = 0;
    size_t ends = 0;
    bool flip = false;
    for (auto _ : state) {
        rig.bus->GetTranscript()->Clear();
        std::ostringstream out, err;
        // Alternate values, so that every run changes something.
        if (q840::ctl::RunCtl(flip ? second : first, out, err) != 0) {
            state.SkipWithError(err.str().c_str());
            return;
        }
        flip = !flip;
        state.PauseTiming();
        const auto sent = rig.bus->GetTranscript()->Commands();
        commands = sent.size();
        ends = size_t(std::count_if(sent.begin(), sent.end(), [](const auto& c) {
            return c.bytes.size() > 3 && c.bytes[3] == 0x02;
        }));
        state.ResumeTiming();
    }
    state.counters["commands"] = double(commands);
    state.counters["floor_ms"] = double(commands * 2 * kPauseMs + ends * kPauseMs);
}

void BM_Settings(benchmark::State& state) {
    RunCommand(state, {"settings"}, {"settings"});
}
BENCHMARK(BM_Settings)
    ->ArgName("cable")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_SetDpi(benchmark::State& state) {
    RunCommand(state, {"set", "dpi", "2", "1600"}, {"set", "dpi", "2", "800"});
}
BENCHMARK(BM_SetDpi)
    ->ArgName("cable")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_StartUp(benchmark::State& state) {
    const std::string program = std::string(Q840_BENCH_BUILD_DIR) + "/q840ctl";
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--version"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start q840ctl");
            break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_StartUp)->Iterations(50)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
