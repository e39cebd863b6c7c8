#include "pages/PreviewTables.h"

namespace q840::pages {

namespace {

constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 32> kRampUp = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                             44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                             140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kRampDown = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<uint8_t, kBreathSteps> MakeCurve() {
    std::array<uint8_t, kBreathSteps> curve{};
    for (int i = 0; i < 64; ++i) {
        curve[i] = kBreathRise[i];
        curve[127 - i] = kBreathRise[i];
    }
    return curve;
}

constexpr std::array<Rgb, kWheelSteps> MakeWheel() {
    std::array<Rgb, kWheelSteps> wheel{};
    for (int i = 0; i < 32; ++i) {
        wheel[i] = {255, kRampUp[i], 0};
        wheel[32 + i] = {kRampDown[i], 255, 0};
        wheel[64 + i] = {0, 255, kRampUp[i]};
        wheel[96 + i] = {0, kRampDown[i], 255};
        wheel[128 + i] = {kRampUp[i], 0, 255};
        wheel[160 + i] = {255, 0, kRampDown[i]};
    }
    return wheel;
}

}  // namespace

const std::array<uint8_t, kBreathSteps> kBreathCurve = MakeCurve();
const std::array<Rgb, kWheelSteps> kColourWheel = MakeWheel();
const std::array<Rgb, kFixedColourCount> kFixedColours = {Rgb{255, 0, 0}, Rgb{0, 255, 0},
                                                          Rgb{0, 0, 255}, Rgb{255, 255, 255}};

}  // namespace q840::pages
