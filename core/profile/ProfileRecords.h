#pragma once

// In-memory records of a profile's device node. Plain structures, packed, so that their layout is
// the one the device pages copy into settings blocks byte by byte.

#include <array>
#include <cstdint>

#include "core/profile/LightSetting.h"

namespace q840::profile {

#pragma pack(push, 1)

// Audio-reactive colours (keyboard).
struct AudioLightSetting {
    uint8_t audioMode = 0;
    uint8_t bkRed = 0, bkGreen = 0, bkBlue = 0;
    uint8_t fgRed = 0, fgGreen = 0, fgBlue = 0;
    uint8_t sevenColourFlags = 0;
    uint8_t colourTypeFlags = 0;  // non-zero: the foreground colour is being edited
};
static_assert(sizeof(AudioLightSetting) == 9);

// One step of a custom light effect (".light" file).
struct LightEffectStep {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColour = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t reserved[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int32_t time = 0;
    int32_t repetitions = 0;  // "Cyle"
};
static_assert(sizeof(LightEffectStep) == 24);

// One key's function: group byte then two parameters, in the order they go to the device.
struct KeyAssignment {
    uint16_t keyIndex = 0;
    uint8_t group = 0;   // code byte 2
    uint8_t param1 = 0;  // code byte 1
    uint8_t param2 = 0;  // code byte 0
    uint8_t pad = 0;

    // The profile stores the three bytes as one integer: (group << 16) + (param1 << 8) + param2.
    uint32_t Code() const { return (uint32_t(group) << 16) | (uint32_t(param1) << 8) | param2; }
    void SetCode(uint32_t code) {
        group = uint8_t(code >> 16);
        param1 = uint8_t(code >> 8);
        param2 = uint8_t(code);
    }
};
static_assert(sizeof(KeyAssignment) == 6);

struct KeyAssignmentPair {
    KeyAssignment current;
    KeyAssignment defaults;
};
static_assert(sizeof(KeyAssignmentPair) == 12);

// One sensitivity stage; X and Y are sensor indices, not DPI numbers.
struct DpiStage {
    uint8_t enabled = 0;     // "StageActive"
    uint8_t separateXY = 0;  // "StageXY"
    uint16_t dpiX = 0;       // "StageDPIX"
    uint16_t dpiY = 0;       // "StageDPIY"
    uint8_t red = 0;         // "StageColorR"
    uint8_t green = 0;       // "StageColorG"
    uint8_t blue = 0;        // "StageColorB"
};
static_assert(sizeof(DpiStage) == 9);

// "SystemStages" (first five) and "ReportStages" (the rest) of the mouse.
struct MouseSystemSettings {
    uint16_t doubleClickTime = 0;    // "DoubleClickTime"
    uint16_t mouseSpeed = 0;         // "MouseSpeed"
    uint16_t pointerPrecision = 0;   // "PointerPrecision"
    uint16_t scrollPage = 0;         // "ScorllPage"
    uint16_t wheelScrollLines = 0;   // "WheelScorlllinse"
    uint16_t reportRate = 0;         // "ReportStages"."StageActive"
    uint16_t silentAltitude = 0;     // "SilentAltitude"
    uint16_t linearCalibration = 0;  // "Linear_Calibration"
    uint16_t ripple = 0;             // "Ripple"
    uint16_t reserved = 0;           // always 0, never stored
    uint16_t bleSleep1 = 0;          // "ble_sleep1"
    uint16_t bleSleep2 = 0;          // "ble_sleep2"
    uint16_t deviceSleep1 = 0;       // "device_sleep1"
    uint16_t deviceSleep2 = 0;       // "device_sleep2"
    uint16_t keyDebounceTime = 0;    // "key_debounce_time"
};
static_assert(sizeof(MouseSystemSettings) == 30);

// One key's custom colour (keyboard custom light mode).
struct KeyColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
};
static_assert(sizeof(KeyColour) == 4);

// Keyboard "SystemStages": "Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag".
using KeyboardSystemSettings = std::array<uint16_t, 6>;

// Headset "SystemSetStages", in this order: "MagicEnable", "MagicType", "EqType",
// "CustomEqSeletIndex", "MicInSelect", "MicInValue", "MicMoniterSelect", "MicMoniterValue".
using HeadsetSettings = std::array<int32_t, 8>;

#pragma pack(pop)

}  // namespace q840::profile
