#pragma once

// Constant tables of the LED preview: the breathing curve, the hue wheel, the four fixed colours,
// the frame interval of each speed and the level factor of each brightness. The synchronised
// lighting of the main window uses the same curve and wheel, so a page's preview and the
// synchronised colours agree.

#include <array>
#include <cstdint>

namespace q840::pages {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

constexpr int kBreathSteps = 128;
constexpr int kWheelSteps = 192;
constexpr int kFixedColourCount = 4;
constexpr int kSpeedLevels = 5;
constexpr int kBrightnessLevels = 5;

// Rises from 0 to 255 over 64 steps, then the same values back down.
extern const std::array<uint8_t, kBreathSteps> kBreathCurve;
// Six runs of 32 hues: red -> yellow -> green -> cyan -> blue -> magenta -> red.
extern const std::array<Rgb, kWheelSteps> kColourWheel;
// Red, green, blue, white.
extern const std::array<Rgb, kFixedColourCount> kFixedColours;

// Milliseconds between two preview frames, by speed index 0-4.
constexpr std::array<int, kSpeedLevels> kFrameIntervalMs = {28, 23, 18, 13, 7};
// Level of full brightness by brightness index 0-4.
constexpr std::array<int, kBrightnessLevels> kBrightnessFactor = {0, 50, 100, 175, 255};
// A blink lasts this many times the speed's frame interval.
constexpr int kBlinkPeriodFactor = 200;
// Hue steps the multi-colour effects move at the end of each breath or blink.
constexpr int kHueStepPerCycle = 16;

// Out-of-range indices are clamped to the last entry, so a corrupt profile value still previews.
inline int FrameIntervalMs(int speed) {
    return kFrameIntervalMs[speed < 0 ? 0 : (speed >= kSpeedLevels ? kSpeedLevels - 1 : speed)];
}
inline int BrightnessFactor(int brightness) {
    return kBrightnessFactor[brightness < 0
                                 ? 0
                                 : (brightness >= kBrightnessLevels ? kBrightnessLevels - 1
                                                                    : brightness)];
}
inline int BlinkPeriodMs(int speed) {
    return FrameIntervalMs(speed) * kBlinkPeriodFactor;
}

// One LED of the colour array: red bits 0-7, green 8-15, blue 16-23, level 24-31.
constexpr uint32_t PackLed(uint8_t r, uint8_t g, uint8_t b, uint8_t level) {
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16) | (uint32_t(level) << 24);
}
constexpr uint32_t PackLed(Rgb c, uint8_t level) {
    return PackLed(c.r, c.g, c.b, level);
}
constexpr uint8_t LedRed(uint32_t v) {
    return v & 0xFF;
}
constexpr uint8_t LedGreen(uint32_t v) {
    return (v >> 8) & 0xFF;
}
constexpr uint8_t LedBlue(uint32_t v) {
    return (v >> 16) & 0xFF;
}
constexpr uint8_t LedLevel(uint32_t v) {
    return (v >> 24) & 0xFF;
}

}  // namespace q840::pages
