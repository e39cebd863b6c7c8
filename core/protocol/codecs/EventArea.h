#pragma once

// The macro area and the shoot area: the memory images the mouse plays macros and shoot patterns
// from. Layout (16-bit numbers little-endian):
//   0  signature 0x55AA        2  total size in bytes      4  record count N
//   6  10 reserved bytes       16 N record offsets from the start of the area
//   then the records: event count (2), 2 reserved bytes, 4 bytes per event.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace q840::protocol {

constexpr size_t kMaxMacroEvents = 64;  // per macro; shoot patterns have no limit
constexpr size_t kShootRecords = 4;

struct MacroStep {
    uint16_t delay = 0;  // milliseconds
    uint8_t type = 0;
    bool down = false;
    uint8_t button = 0;
};

// Delay (little-endian), type with bit 7 set for a press, button.
std::array<uint8_t, 4> EncodeMacroStep(const MacroStep& step);
MacroStep DecodeMacroStep(const uint8_t* bytes);

// 16 + 6 N + 4 x (sum of the event counts).
size_t EventAreaSize(const std::vector<size_t>& eventCounts);
// The whole area for these records, in order.
std::vector<uint8_t> BuildEventArea(const std::vector<std::vector<MacroStep>>& records);
// Reads an area back; empty when the signature or the sizes do not fit the bytes.
std::vector<std::vector<MacroStep>> ParseEventArea(const uint8_t* bytes, size_t length);

}  // namespace q840::protocol
