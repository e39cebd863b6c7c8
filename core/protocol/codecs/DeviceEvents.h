#pragma once

// Event reports the devices send on their event interface, and the mouse's status record.

#include <array>
#include <cstddef>
#include <cstdint>

namespace q840::protocol {

constexpr uint16_t kEventSettingsChanged = 0x0401;  // read the settings block again
constexpr uint16_t kEventKeyPressed = 0x0403;       // wired event interface only
constexpr uint16_t kEventPadCounted = 0x0404;

// Report byte 1 + 256 x report byte 2; 0 for a report too short to carry a code.
inline uint16_t EventCodeFromReport(const uint8_t* report, size_t length) {
    return (report && length >= 3) ? static_cast<uint16_t>(report[1] | (report[2] << 8)) : 0;
}
// High byte 0x10: the profile changed; 0x11: the profile and the active DPI stage changed.
inline bool IsProfileEvent(uint16_t code) {
    return (code >> 8) == 0x10 || (code >> 8) == 0x11;
}
inline bool CarriesDpiStage(uint16_t code) {
    return (code >> 8) == 0x11;
}
inline uint8_t EventProfile(uint16_t code) {
    return code & 0x0F;
}
inline uint8_t EventDpiStage(uint16_t code) {
    return (code >> 4) & 0x0F;
}

// Charge state in status byte 1.
constexpr uint8_t kChargeFull = 0;
constexpr uint8_t kChargeCharging = 1;
constexpr uint8_t kChargeOnBattery = 2;

// The 6-byte record the battery display takes, from the mouse's 2 status bytes.
inline std::array<uint8_t, 6> MousePowerRecord(const uint8_t* status, bool onReceiver) {
    return {status[0], status[1], 0, static_cast<uint8_t>(onReceiver ? 1 : 0), 0, 0};
}

}  // namespace q840::protocol
