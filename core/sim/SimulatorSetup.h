#pragma once

// Demo mode: the simulated devices as the process-wide HID backend.

#include <memory>
#include <string>

#include "core/sim/VirtualBus.h"

namespace q840::sim {

// Creates the demo devices (or loads stateFile when it exists), installs the bus as the
// process-wide HID backend and returns it. With a state file the devices' state is saved there
// when the bus is destroyed, and by an explicit Save(). The bus keeps no transcript.
std::shared_ptr<VirtualBus> StartSimulation(const std::string& stateFile);

}  // namespace q840::sim
