#pragma once

// The mouse's 86-byte settings block. The settings area holds one block per profile at
// profile x 128; byte 0 of the area (and so of profile 0's block) is the current profile index.

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/profile/LightSetting.h"

namespace q840::protocol {

struct DpiStage {
    static constexpr size_t kSize = 9;
    bool enabled = false;
    bool separateXY = false;
    uint16_t x = 0;  // a sensor-specific index, not a DPI number
    uint16_t y = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    // Sensor 0x8925 takes a one-byte index in both bytes of X; the others a 16-bit index.
    void SetIndex(uint16_t sensorId, uint16_t index);
    // The sensor index a stored X or Y value stands for: the low byte on 0x8925 (its X carries
    // the index twice, its Y once), the whole value on the others.
    static uint16_t IndexOf(uint16_t sensorId, uint16_t value);
};

struct SettingsBlock {
    static constexpr size_t kSize = 86;
    static constexpr size_t kProfileStride = 128;
    static constexpr size_t kStageCount = 7;

    // Byte offsets. The light bytes 1-8 (effect, brightness, 4 - speed, direction, multi-colour,
    // red, green, blue) are those of kLightFields (core/profile/LightSetting.h).
    static constexpr size_t kOffProfileIndex = 0;
    static constexpr size_t kOffEffect = 1;
    static constexpr size_t kOffReportRate = 11;
    static constexpr size_t kOffActiveStage = 12;
    static constexpr size_t kOffStages = 14;
    static constexpr size_t kOffBleSleep1 = 77;
    static constexpr size_t kOffBleSleep2 = 78;
    static constexpr size_t kOffDeviceSleep1 = 79;
    static constexpr size_t kOffDeviceSleep2 = 80;
    static constexpr size_t kOffKeyDebounce = 81;
    static constexpr size_t kOffLiftOff = 82;
    static constexpr size_t kOffLinearCorrection = 83;
    static constexpr size_t kOffRipple = 84;

    uint8_t profileIndex = 0;
    // Effect as the device numbers it, and the user's speed 0-4 (the device stores 4 - speed; a
    // stray byte above 4 reads as 0).
    profile::LightSetting light;
    uint8_t reportRate = 0;
    uint8_t activeStage = 0;
    std::array<DpiStage, kStageCount> stages{};
    uint8_t bleSleep1 = 0;
    uint8_t bleSleep2 = 0;
    uint8_t deviceSleep1 = 0;
    uint8_t deviceSleep2 = 0;
    uint8_t keyDebounce = 0;
    uint8_t liftOff = 0;
    uint8_t linearCorrection = 0;
    uint8_t ripple = 0;

    // Missing bytes (a shorter buffer) count as 0.
    static SettingsBlock Decode(const uint8_t* bytes, size_t length);
    // Bytes the block does not define are 0.
    std::array<uint8_t, kSize> Encode() const;

    static constexpr size_t ProfileAddress(int profile) { return size_t(profile) * kProfileStride; }
};

}  // namespace q840::protocol
