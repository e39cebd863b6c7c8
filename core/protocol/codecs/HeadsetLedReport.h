#pragma once

// The headset's LED output reports (17 bytes, sent with SetOutputReport on the command
// interface): byte 0 0xFF, byte 1 the zone (0x22 or 0x44), byte 2 the part (one colour channel of
// LEDs 0-6 or 7-12), byte 3 0, bytes 4-10 the channel values, bytes 11-16 0.

#include <array>
#include <cstddef>
#include <cstdint>

namespace q840::protocol {

constexpr size_t kHeadsetLeds = 13;
constexpr size_t kHeadsetLedReportSize = 17;
constexpr size_t kHeadsetFrameReports = 12;
constexpr uint8_t kHeadsetChannelMax = 247;

using HeadsetLedReport = std::array<uint8_t, kHeadsetLedReportSize>;

// A colour component at an LED level: component x level / 256, at most 247.
uint8_t HeadsetChannelValue(uint8_t component, uint8_t level);

// One frame: parts red, then green, then blue; for each the LEDs 0-6 part and the LEDs 7-12 part
// with zone 0x22, then both with zone 0x44. leds holds 4 bytes per LED: red, green, blue, level.
std::array<HeadsetLedReport, kHeadsetFrameReports> BuildHeadsetLedFrame(
    const std::array<uint8_t, kHeadsetLeds * 4>& leds);

}  // namespace q840::protocol
