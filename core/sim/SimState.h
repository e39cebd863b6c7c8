#pragma once

// Saving and loading the simulated devices' state as JSON (format in core/sim/README.md).

#include <string>
#include <vector>

#include <json/json.h>

namespace q840::sim {

class VirtualBus;

Json::Value StateToJson(const VirtualBus& bus);
// Applies what the document holds to the bus's devices; missing or malformed members leave the
// device's current values. False when the document is not an object.
bool StateFromJson(VirtualBus& bus, const Json::Value& state);

// Through a temporary file and a rename, so a crash never leaves half a file.
bool SaveState(const VirtualBus& bus, const std::string& path);
// False (and nothing changed) when the file is missing or is not JSON.
bool LoadState(VirtualBus& bus, const std::string& path);

// "aa 55 00 ..." <-> bytes; parsing skips whitespace and stops at the first bad digit pair.
std::string BytesToHex(const uint8_t* bytes, size_t length);
std::vector<uint8_t> HexToBytes(const std::string& text);

}  // namespace q840::sim
