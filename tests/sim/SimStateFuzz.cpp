// Fuzz target: arbitrary bytes as the simulator's state file. Loading must never crash, throw or
// hang; what was loaded must save and load again to the same state; and the simulated mouse must
// still answer the protocol with whatever information record the file gave it.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <unistd.h>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/hid/HidBackend.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/protocol/SettingsRead.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/SimState.h"
#include "core/sim/VirtualBus.h"
#include "core/sim/VirtualHidDevice.h"
#include "tests/support/FuzzWorkDir.h"

using namespace q840;

namespace {

const std::filesystem::path& WorkDir() { return q840::test::FuzzWorkDir(); }

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// A few reads over the mouse's cable interface, as the program does on connecting.
void TalkToMouse(sim::VirtualBus& bus) {
    auto cable = bus.Find(sim::kCableChannel);
    if (!cable || !cable->IsPlugged()) {
        return;
    }
    protocol::CDeviceProtocol protocol;
    protocol::CDeviceProtocol::Timing timing;
    timing.pauseMs = 0;
    timing.primaryTimeoutMs = 20;
    timing.receiverTimeoutMs = 20;
    protocol.SetTiming(timing);
    std::vector<std::string> paths;
    bus.Enumerate(paths);
    for (const std::string& path : paths) {
        if (path.find("pid_226e&mi_01&col02") != std::string::npos &&
            protocol.PrimaryChannel().Open(path, true, true, true, false)) {
            break;
        }
    }
    if (!protocol.PrimaryChannel().IsOpen()) {
        return;
    }
    protocol.SetChannel(1);
    protocol.SetOpen(true);
    std::array<uint8_t, protocol::CDeviceProtocol::kInfoRecordSize> info{};
    protocol.ReadInfo(info.data());
    std::array<uint8_t, protocol::SettingsBlock::kSize> block{};
    protocol::ReadCurrentSettingsBlock(protocol, block);
    std::array<uint8_t, 512> keys{};
    protocol.ReadKeyTable(keys.data());
    protocol.WriteSettings(block.data(), int(block.size()), 0);
    std::array<uint8_t, 56> status{};
    protocol.ReadStatus(status.data(), 6, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = WorkDir() / "state.json";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    sim::DemoOptions options;
    options.cable = true;
    auto bus = sim::MakeDemoBus(options);
    if (!sim::LoadState(*bus, file.string())) {
        return 0;
    }

    // What was loaded survives a save and a load unchanged.
    const Json::Value loaded = sim::StateToJson(*bus);
    const auto saved = WorkDir() / "saved.json";
    Check(sim::SaveState(*bus, saved.string()), "state saves");
    auto again = sim::MakeDemoBus(options);
    Check(sim::LoadState(*again, saved.string()), "saved state loads");
    Check(sim::StateToJson(*again) == loaded, "state round trip");

    hid::SetHidBackend(bus);
    TalkToMouse(*bus);
    hid::SetHidBackend(nullptr);
    return 0;
}
