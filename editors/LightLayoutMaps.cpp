#include "editors/LightLayoutMaps.h"

namespace q840::editors {

namespace {

constexpr uint8_t E = kEffectGroup;
constexpr uint8_t M = kMultiColourGroup;
constexpr uint8_t C = kColourGroup;
constexpr uint8_t P = kPaletteGroup;
constexpr uint8_t B = kBrightnessGroup;
constexpr uint8_t S = kSpeedGroup;
constexpr uint8_t D = kDirectionGroup;

constexpr LightLayoutRow kMouseRows[] = {
    {{0, -1, -1}, E | C | P | B, true, 0, 0},
    {{1, 6, 7}, E | M | C | P | B | S, true, 0, 0},
    {{2, 4, -1}, E | M | C | P | B | S | D, false, 0, 0},
    {{3, -1, -1}, E | B | S, true, 0, 0},
    {{5, 8, -1}, E | B | S, false, 0, 0},
    {{10, -1, -1}, E, true, 0, 0},
};

// The mouse pad and the headset.
constexpr LightLayoutRow kPadRows[] = {
    {{0, -1, -1}, kAllGroups, false, 0, 0},
    {{1, -1, -1}, E | B | S, true, 0, 0},
    {{2, 4, -1}, E | M | C | P | B | S, true, 0, 0},
    {{3, -1, -1}, E | C | P | B, true, 0, 0},
    {{8, -1, -1}, E, true, 0, 0},
};

constexpr LightLayoutRow kKeyboardRows[] = {
    {{0, 1, -1}, kAllGroups, false, 0, 0},
    {{2, 14, -1}, kAllGroups, false, 0, 2},
    {{3, -1, -1}, E | B | S, true, kColourAreaDisabled, 0},
    {{4, -1, -1}, E | M | C | P | B | S, true, 0, 0},
    {{5, -1, -1}, E | M | C | P | B, true, 0, 0},
    {{6, -1, -1}, E | M | C | P | B | S, false, 0, 0},
    {{7, -1, -1}, E | B | S, false, kColourAreaDisabled, 0},
    {{8, -1, -1}, E | B | S | D, false, 0, 3},
    {{9, -1, -1}, E | M | C | P | B, false, 0, 0},
    {{10, -1, -1}, E | B | S, false, kSpeedHidden | kSecondaryModeShown | kColourAreaDisabled, 0},
    {{11, -1, -1}, E | B | D, false, kColourAreaDisabled, 5},
    {{12, -1, -1}, E | C | P | B, false, kSpeedHidden | kCustomModeShown, 0},
    {{13, -1, -1}, kAllGroups, false, 0, 4},
    {{15, -1, -1}, E | B | S, false, 0, 0},
    {{16, -1, -1}, E, true, 0, 0},
    {{17, -1, -1}, E | M | C | P | B | D, false, kSpeedHidden | kAudioModeShown | kAudioColourTab, 0},
    {{18, -1, -1}, E | B, false, kColourAreaDisabled, 0},
};

constexpr LightLayoutMap kMouseMap = {kMouseRows, int(std::size(kMouseRows)), {{-1, -1, -1}, E, false, 0, 0}, false};
constexpr LightLayoutMap kPadMap = {kPadRows, int(std::size(kPadRows)), {{-1, -1, -1}, E, false, 0, 0}, false};
constexpr LightLayoutMap kKeyboardMap = {kKeyboardRows, int(std::size(kKeyboardRows)),
                                         {{-1, -1, -1}, E, false, 0, 0}, true};

}  // namespace

const std::array<const char*, kLightGroupCount> kLightGroupControls = {
    "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
    "deng_light_layout",  "deng_speed_layout", "deng_fx_layout",
};

const std::array<DirectionTexts, 5> kDirectionTexts = {{
    {"light_set_right_to_left_text", "light_set_left_to_right_text"},
    {"light_set_clockwise_text", "light_set_anticlockwise_text"},
    {"light_set_down_to_up_text", "light_set_up_to_down_text"},
    {"light_set_up_to_down_text", "light_set_down_to_up_text"},
    {"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"},
}};

const LightLayoutMap* LightLayoutMapOf(int deviceType) {
    switch (deviceType) {
        // The mouse by cable and through its receiver edit the same effects.
        case 2:
        case 6:
            return &kMouseMap;
        case 3:
        case 4:
        case 7:
            return &kPadMap;
        // The keyboard by cable and through its receiver.
        case 1:
        case 9:
            return &kKeyboardMap;
        default:
            return nullptr;
    }
}

const LightLayoutRow& LightLayoutRowOf(const LightLayoutMap& map, int effect) {
    for (int i = 0; i < map.rowCount; ++i) {
        for (const int8_t e : map.rows[i].effects) {
            if (e >= 0 && e == effect) {
                return map.rows[i];
            }
        }
    }
    return map.others;
}

}  // namespace q840::editors
