#pragma once

// The settings `q840ctl set` changes: their names and values as typed, checked against the
// choices the program offers, and each applied to the profile the way the mouse page stores it.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/profile/CMouseProfiledata.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "ctl/CtlEffects.h"

namespace q840::ctl {

enum class Setting {
    ActiveStage,
    Dpi,
    Stage,
    ReportRate,
    LiftOff,
    LinearCorrection,
    Ripple,
    Debounce,
    WirelessLightsOff,
    WirelessSleep,
    CableLightsOff,
    CableSleep,
    LightEffect,
    LightBrightness,
    LightSpeed,
    LightColour,
};

struct SettingRow {
    const char* name;
    Setting setting;
    int minValues;  // words after the name
    int maxValues;
    const char* arguments;
    const char* help;
};

extern const std::array<SettingRow, 16> kSettings;

// One change as typed, its values checked against the fixed choices.
struct Change {
    const SettingRow* row = nullptr;
    int stage = -1;  // 0-6
    int value = 0;   // option index, minutes, level 0-4, effect position, 0/1
    int dpiX = 0;
    int dpiY = -1;  // -1: X only
    uint8_t red = 0, green = 0, blue = 0;
    bool colourCycle = false;
};

// SETTING VALUE... [SETTING VALUE...]. Null, with one line for the user in *error, on the first
// word that is not a setting or a value out of its choices.
std::optional<std::vector<Change>> ParseChanges(const std::vector<std::string>& words,
                                                const EffectNames& effects, std::string* error);

enum class ApplyResult {
    Done,
    Refused,       // the profile cannot take it (a stage it lacks, the active stage off, ...)
    NotThisMouse,  // the mouse cannot take it (a sensor whose DPI values are not written)
};

// Applies one change to the profile as the mouse page does. `info` is the mouse's information
// record; without it (a trial before the mouse is asked) DPI numbers are only checked against
// the 10 000 the program accepts at most, and switching off the active stage is not refused yet
// (the mouse may have chosen another). *text: what was set, in units, or why not.
ApplyResult ApplyChange(const Change& change, profile::CMouseProfiledata& data,
                        const protocol::InfoRecord* info, const EffectNames& effects,
                        std::string* text);

}  // namespace q840::ctl
