#include "core/sim/SimulatorSetup.h"

#include "core/hid/HidBackend.h"
#include "core/base/DebugLine.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/SimState.h"

namespace q840::sim {

std::shared_ptr<VirtualBus> StartSimulation(const std::string& stateFile) {
    std::shared_ptr<VirtualBus> bus = MakeDemoBus();
    // Nothing reads the exchanged reports in demo mode; kept, they would only fill memory over a
    // long run (up to the transcript's limit).
    bus->GetTranscript()->SetEnabled(false);
    if (!stateFile.empty()) {
        if (LoadState(*bus, stateFile)) {
            DebugLine("simulator: state loaded from %s", stateFile.c_str());
        }
        bus->SetStateFile(stateFile);
    }
    hid::SetHidBackend(bus);
    return bus;
}

}  // namespace q840::sim
