// Cost of the protocol against a zero-latency simulated mouse on the cable.
//   BM_Transaction           CPU time of one transaction (Begin) with the device's pauses
//   BM_TransactionNoPauses   the same without pauses: the protocol's and simulator's own work
//   BM_SettingsWrite         wall time of Begin, WriteSettings (86 bytes = 2 packets), End,
//                            against the floor of the pauses: 4 x 20 ms + 10 ms

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "core/hid/HidBackend.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/sim/DemoDevices.h"

namespace {

using q840::protocol::CDeviceProtocol;

struct Rig {
    Rig() {
        q840::sim::DemoOptions options;
        options.cable = true;
        bus = q840::sim::MakeDemoBus(options);
        bus->GetTranscript()->SetEnabled(false);  // it would grow without end
        q840::hid::SetHidBackend(bus);
        protocol = std::make_unique<CDeviceProtocol>();
        ok = protocol->PrimaryChannel().Open("sim:vid_320f&pid_226e&mi_01&col02", true, true, true,
                                             false);
        protocol->SetChannel(1);
        protocol->SetOpen(true);
    }
    ~Rig() {
        protocol.reset();
        q840::hid::SetHidBackend(nullptr);
    }
    std::shared_ptr<q840::sim::VirtualBus> bus;
    std::unique_ptr<CDeviceProtocol> protocol;
    bool ok = false;
};

void BM_Transaction(benchmark::State& state) {
    Rig rig;
    if (!rig.ok) {
        state.SkipWithError("cannot open the simulated mouse");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.protocol->Begin());
    }
}
BENCHMARK(BM_Transaction)->MeasureProcessCPUTime()->Iterations(100)->Unit(benchmark::kMillisecond);

void BM_TransactionNoPauses(benchmark::State& state) {
    Rig rig;
    if (!rig.ok) {
        state.SkipWithError("cannot open the simulated mouse");
        return;
    }
    CDeviceProtocol::Timing timing;
    timing.pauseMs = 0;
    rig.protocol->SetTiming(timing);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.protocol->Begin());
    }
}
BENCHMARK(BM_TransactionNoPauses)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

void BM_SettingsWrite(benchmark::State& state) {
    Rig rig;
    if (!rig.ok) {
        state.SkipWithError("cannot open the simulated mouse");
        return;
    }
    std::array<uint8_t, 86> block{};
    block[2] = 4;
    int failures = 0;
    for (auto _ : state) {
        failures += rig.protocol->Begin() != 1;
        failures += rig.protocol->WriteSettings(block.data(), int(block.size()), 0) != 1;
        failures += rig.protocol->End() != 1;
    }
    constexpr double kFloorMs = 4 * 20 + 10;
    state.counters["floor_ms"] = kFloorMs;
    state.counters["failures"] = failures;
}
BENCHMARK(BM_SettingsWrite)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
