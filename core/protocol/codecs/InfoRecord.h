#pragma once

// The device information record: 34 bytes read with ReadInfo.

#include <array>
#include <cstddef>
#include <cstdint>

namespace q840::protocol {

constexpr uint16_t kSensor8925 = 0x8925;
constexpr uint16_t kSensor3104 = 0x3104;
constexpr uint16_t kSensor3325 = 0x3325;

struct InfoRecord {
    static constexpr size_t kSize = 34;
    static constexpr uint16_t kSignature = 0x55AA;
    static constexpr uint8_t kStateNew = 0;
    static constexpr uint8_t kStateInitialised = 3;  // set by this program on first contact

    // Byte offsets.
    static constexpr size_t kOffSignature = 0;  // little-endian
    static constexpr size_t kOffKeySlots = 5;
    static constexpr size_t kOffMacroCapacity = 6;  // units of 128 bytes
    static constexpr size_t kOffState = 7;
    static constexpr size_t kOffSensor = 9;  // little-endian
    static constexpr size_t kOffDpiStep = 11;
    static constexpr size_t kOffSliderMaxPlus10 = 12;  // little-endian
    static constexpr size_t kOffDpiBase = 14;          // little-endian

    uint16_t signature = 0;
    uint8_t keySlots = 0;
    uint8_t macroCapacity = 0;
    uint8_t state = 0;
    uint16_t sensorId = 0;
    uint8_t dpiStep = 0;
    uint16_t sliderMaxPlus10 = 0;
    uint16_t dpiBase = 0;
    // The whole record as read, so that bytes this program does not interpret go back unchanged.
    std::array<uint8_t, kSize> raw{};

    // Missing bytes (a shorter buffer) count as 0.
    static InfoRecord Decode(const uint8_t* bytes, size_t length);
    std::array<uint8_t, kSize> Encode() const;

    bool HasSignature() const { return signature == kSignature; }
    bool IsNew() const { return HasSignature() && state == kStateNew; }
    // A record this program can work with: the signature and a known state.
    bool IsValid() const {
        return HasSignature() && (state == kStateNew || state == kStateInitialised);
    }
    size_t MacroCapacityBytes() const { return size_t(macroCapacity) * 128; }
    size_t KeyTableBytes() const { return size_t(keySlots) * 3; }
};

}  // namespace q840::protocol
