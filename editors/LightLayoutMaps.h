#pragma once

// Which parameters of the lighting editor each effect uses, per device kind: the groups a row
// enables, whether the effect may be carried over to the other devices ("deng_same_mode"), and the
// keyboard's extra changes. Tables as data (LightLayoutMaps.cpp); CLightControlUI applies them.

#include <array>
#include <cstdint>

namespace q840::editors {

// The groups of a row, in this order: "lighteffect_layout", "deng_7color_check",
// "deng_color_layout", "colorpallet_layout", "deng_light_layout", "deng_speed_layout",
// "deng_fx_layout".
enum LightGroup : uint8_t {
    kEffectGroup = 1 << 0,
    kMultiColourGroup = 1 << 1,
    kColourGroup = 1 << 2,
    kPaletteGroup = 1 << 3,
    kBrightnessGroup = 1 << 4,
    kSpeedGroup = 1 << 5,
    kDirectionGroup = 1 << 6,
    kAllGroups = 0x7F,
};
inline constexpr int kLightGroupCount = 7;
extern const std::array<const char*, kLightGroupCount> kLightGroupControls;

// The keyboard's extra changes of a row.
enum LightExtra : uint8_t {
    kColourAreaDisabled = 1 << 0,   // "light_color_layout" disabled
    kSpeedHidden = 1 << 1,          // "deng_speed_layout" hidden
    kSecondaryModeShown = 1 << 2,   // "light_combo_ZZCCmodeSelectLayout" shown
    kCustomModeShown = 1 << 3,      // "lightcustom_layout" shown
    kAudioModeShown = 1 << 4,       // "light_combo_AudiomodeSelectLayout" shown
    kAudioColourTab = 1 << 5,       // "light_color_tablayout" on page 1
};

struct LightLayoutRow {
    std::array<int8_t, 3> effects;  // the effect indices of the row; -1 fills
    uint8_t groups;                 // LightGroup bits
    bool sameMode;                  // "deng_same_mode" shown (when same mode is allowed)
    uint8_t extras;                 // LightExtra bits (keyboard)
    uint8_t directionTexts;         // keyboard: text pair 1-5 of the direction options; 0 keeps
};

// The map of a device kind: its rows and the row of every effect no row names.
struct LightLayoutMap {
    const LightLayoutRow* rows;
    int rowCount;
    LightLayoutRow others;
    bool keyboard;  // the keyboard's start (custom, secondary and audio groups, texts pair 1)
};

// The map of a device type code; null for a type without one (the groups stay as they are).
const LightLayoutMap* LightLayoutMapOf(int deviceType);
// The row of an effect in a map.
const LightLayoutRow& LightLayoutRowOf(const LightLayoutMap& map, int effect);

// Direction text pairs: the language keys of "deng_FXL_check" and "deng_FXR_check".
struct DirectionTexts {
    const char* left;
    const char* right;
};
extern const std::array<DirectionTexts, 5> kDirectionTexts;

}  // namespace q840::editors
