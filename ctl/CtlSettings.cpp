#include "ctl/CtlSettings.h"

#include <algorithm>
#include <cctype>

#include "core/profile/MouseOptions.h"
#include "core/protocol/codecs/MouseDpi.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "ctl/CtlOutput.h"

namespace q840::ctl {

// clang-format off
const std::array<SettingRow, 16> kSettings = {{
    {"active-stage",        Setting::ActiveStage,       1, 1, "N",            "the DPI stage in use, 1-7 (the stage must be on)"},
    {"dpi",                 Setting::Dpi,               2, 3, "N X [Y]",      "stage N's DPI; with Y, X and Y apart"},
    {"stage",               Setting::Stage,             2, 2, "N on|off",     "switch stage N on or off (not the active stage, not the last one on)"},
    {"report-rate",         Setting::ReportRate,        1, 1, "HZ",           "125, 250, 500 or 1000 reports a second"},
    {"lift-off",            Setting::LiftOff,           1, 1, "low|high",     "lift-off distance: low (1 mm) or high (2 mm)"},
    {"linear-correction",   Setting::LinearCorrection,  1, 1, "on|off",       "the sensor's linear correction"},
    {"ripple",              Setting::Ripple,            1, 1, "on|off",       "ripple control"},
    {"debounce",            Setting::Debounce,          1, 1, "MS",           "key debounce time: 2, 4, 6, 8, 10 or 12 ms"},
    {"wireless-lights-off", Setting::WirelessLightsOff, 1, 1, "MINUTES",      "on the receiver, lights off after 1, 2, 3 or 5 minutes"},
    {"wireless-sleep",      Setting::WirelessSleep,     1, 1, "MINUTES",      "on the receiver, sleep after 10, 20, 30 or 60 minutes"},
    {"cable-lights-off",    Setting::CableLightsOff,    1, 1, "MINUTES",      "by cable, lights off after 1, 2, 3 or 5 minutes"},
    {"cable-sleep",         Setting::CableSleep,        1, 1, "MINUTES",      "by cable, sleep after 10, 20, 30 or 60 minutes"},
    {"light-effect",        Setting::LightEffect,       1, 1, "NAME",         "the lighting effect by name (q840ctl help effects)"},
    {"light-brightness",    Setting::LightBrightness,   1, 1, "0-4",          "the lighting's brightness"},
    {"light-speed",         Setting::LightSpeed,        1, 1, "0-4",          "the lighting effect's speed"},
    {"light-colour",        Setting::LightColour,       1, 1, "RRGGBB|cycle", "one colour (hex, # optional) or the colour cycle"},
}};
// clang-format on

namespace {

constexpr int kLevelMax = 4;  // brightness and speed

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// A whole decimal number, with an optional unit after it ("500", "500hz", "500 Hz").
bool ParseNumber(std::string text, const char* unit, int* value) {
    text = Lower(text);
    if (unit != nullptr) {
        const std::string u = unit;
        if (text.size() > u.size() && text.compare(text.size() - u.size(), u.size(), u) == 0) {
            text.resize(text.size() - u.size());
            while (!text.empty() && text.back() == ' ') {
                text.pop_back();
            }
        }
    }
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    *value = std::stoi(text);
    return true;
}

template <size_t N>
std::string Choices(const std::array<int, N>& table) {
    std::string text;
    for (size_t i = 0; i < N; ++i) {
        text += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::to_string(table[i]);
    }
    return text;
}

// The index of `typed` in `table`, or an error naming the choices.
template <size_t N>
bool ParseOption(const std::string& name, const std::string& typed, const std::array<int, N>& table,
                 const char* unit, const char* unitText, int* index, std::string* error) {
    int value = 0;
    if (!ParseNumber(typed, unit, &value)) {
        *error = name + ": \"" + typed + "\" is not a number of " + unitText + " (choose " +
                 Choices(table) + ")";
        return false;
    }
    const auto found = std::find(table.begin(), table.end(), value);
    if (found == table.end()) {
        *error = name + ": " + std::to_string(value) + " " + unitText +
                 " is not one of the choices: " + Choices(table) + " " + unitText;
        return false;
    }
    *index = int(found - table.begin());
    return true;
}

bool ParseStage(const std::string& name, const std::string& typed, int* stage, std::string* error) {
    int n = 0;
    if (!ParseNumber(typed, nullptr, &n) || n < 1 ||
        n > int(protocol::SettingsBlock::kStageCount)) {
        *error = name + ": stage \"" + typed + "\" is out of range: stages are numbered 1 to " +
                 std::to_string(protocol::SettingsBlock::kStageCount);
        return false;
    }
    *stage = n - 1;
    return true;
}

bool ParseSwitch(const std::string& name, const std::string& typed, int* value,
                 std::string* error) {
    const std::string word = Lower(typed);
    if (word != "on" && word != "off") {
        *error = name + ": \"" + typed + "\" is not on or off";
        return false;
    }
    *value = word == "on" ? 1 : 0;
    return true;
}

bool ParseLevel(const std::string& name, const std::string& typed, int* value, std::string* error) {
    if (!ParseNumber(typed, nullptr, value) || *value > kLevelMax) {
        *error = name + ": \"" + typed + "\" is out of range: 0 to " + std::to_string(kLevelMax);
        return false;
    }
    return true;
}

bool ParseDpi(const std::string& name, const std::string& typed, int* dpi, std::string* error) {
    if (!ParseNumber(typed, "dpi", dpi) || *dpi < 1 || *dpi > protocol::kDpiEditMax) {
        *error = name + ": \"" + typed + "\" is not a DPI number from 1 to " +
                 std::to_string(protocol::kDpiEditMax);
        return false;
    }
    return true;
}

bool ParseColour(const std::string& name, const std::string& typed, Change* c, std::string* error) {
    std::string text = Lower(typed);
    if (text == "cycle") {
        c->colourCycle = true;
        return true;
    }
    if (!text.empty() && text[0] == '#') {
        text.erase(0, 1);
    }
    if (text.size() != 6 || !std::all_of(text.begin(), text.end(),
                                         [](unsigned char ch) { return std::isxdigit(ch); })) {
        *error = name + ": \"" + typed + "\" is not a colour: six hex digits (#FF8000) or cycle";
        return false;
    }
    const unsigned long rgb = std::stoul(text, nullptr, 16);
    c->red = uint8_t(rgb >> 16);
    c->green = uint8_t(rgb >> 8);
    c->blue = uint8_t(rgb);
    return true;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : ", ") + names[i];
    }
    return text;
}

bool ParseValues(const std::vector<std::string>& v, const EffectNames& effects, Change* c,
                 std::string* error) {
    const std::string name = c->row->name;
    switch (c->row->setting) {
        case Setting::ActiveStage:
            return ParseStage(name, v[0], &c->stage, error);
        case Setting::Dpi:
            return ParseStage(name, v[0], &c->stage, error) &&
                   ParseDpi(name, v[1], &c->dpiX, error) &&
                   (v.size() < 3 || ParseDpi(name, v[2], &c->dpiY, error));
        case Setting::Stage:
            return ParseStage(name, v[0], &c->stage, error) &&
                   ParseSwitch(name, v[1], &c->value, error);
        case Setting::ReportRate:
            return ParseOption(name, v[0], profile::kReportRatesHz, "hz", "Hz", &c->value, error);
        case Setting::LiftOff: {
            const std::string word = Lower(v[0]);
            if (word != "low" && word != "high") {
                *error = name + ": \"" + v[0] + "\" is not low (1 mm) or high (2 mm)";
                return false;
            }
            c->value = word == "high" ? 1 : 0;
            return true;
        }
        case Setting::LinearCorrection:
        case Setting::Ripple:
            return ParseSwitch(name, v[0], &c->value, error);
        case Setting::Debounce:
            return ParseOption(name, v[0], profile::kDebounceMs, "ms", "ms", &c->value, error);
        case Setting::WirelessLightsOff:
        case Setting::CableLightsOff: {
            int index = 0;
            if (!ParseOption(name, v[0], profile::kLightsOffMinutes, "min", "minutes", &index,
                             error)) {
                return false;
            }
            c->value = profile::kLightsOffMinutes[size_t(index)];
            return true;
        }
        case Setting::WirelessSleep:
        case Setting::CableSleep: {
            int index = 0;
            if (!ParseOption(name, v[0], profile::kSleepMinutes, "min", "minutes", &index, error)) {
                return false;
            }
            c->value = profile::kSleepMinutes[size_t(index)];
            return true;
        }
        case Setting::LightEffect:
            c->value = effects.FindOffered(v[0]);
            if (c->value < 0) {
                *error = name + ": no effect is called \"" + v[0] + "\" (choose " +
                         Joined(effects.OfferedNames()) + ")";
                return false;
            }
            return true;
        case Setting::LightBrightness:
        case Setting::LightSpeed:
            return ParseLevel(name, v[0], &c->value, error);
        case Setting::LightColour:
            return ParseColour(name, v[0], c, error);
    }
    return false;
}

bool IsSettingName(const std::string& word) {
    return std::any_of(kSettings.begin(), kSettings.end(),
                       [&](const SettingRow& s) { return word == s.name; });
}

std::string StageName(int stage) {
    return "DPI stage " + std::to_string(stage + 1);
}

// DPI number -> index on the mouse's sensor, refusing numbers outside what its indexes reach.
ApplyResult DpiIndex(const protocol::InfoRecord& info, int stage, int dpi, int* index,
                     std::string* text) {
    const int top = protocol::DpiSliderMaximum(info.sensorId, info.sliderMaxPlus10);
    auto number = [&](int i) {
        return protocol::DpiIndexToNumber(info.sensorId, info.dpiStep, info.dpiBase, i, top);
    };
    const int lowest = number(0);
    const int highest = number(top);
    if (dpi < lowest || dpi > highest) {
        *text = StageName(stage) + ": " + std::to_string(dpi) +
                " DPI is out of range: this mouse's sensor takes " + std::to_string(lowest) +
                " to " + std::to_string(highest) + " DPI";
        return ApplyResult::Refused;
    }
    *index = std::clamp(
        protocol::DpiNumberToIndex(info.sensorId, info.dpiStep, info.dpiBase, dpi, top), 0, top);
    return ApplyResult::Done;
}

// "800 DPI", or "800 DPI (the sensor's step for 810)" when the number is between two steps.
std::string DpiText(const protocol::InfoRecord& info, int index, int asked) {
    const int shown =
        protocol::DpiIndexToNumber(info.sensorId, info.dpiStep, info.dpiBase, index,
                                   protocol::DpiSliderMaximum(info.sensorId, info.sliderMaxPlus10));
    return std::to_string(shown) + " DPI" +
           (shown == asked ? "" : " (the sensor's step for " + std::to_string(asked) + ")");
}

ApplyResult ApplyDpi(const Change& c, profile::CMouseProfiledata& data,
                     const protocol::InfoRecord* info, std::string* text) {
    std::vector<profile::DpiStage> stages = data.GetDpiStages();
    profile::DpiStage& stage = stages[size_t(c.stage)];
    if (info == nullptr) {
        *text = StageName(c.stage);
        return ApplyResult::Done;
    }
    if (!protocol::DpiValuesWritable(info->sensorId)) {
        *text = "this mouse's sensor (" + Hex(info->sensorId, 4) +
                ") takes no DPI values from the program";
        return ApplyResult::NotThisMouse;
    }
    int x = 0;
    int y = 0;
    if (const ApplyResult r = DpiIndex(*info, c.stage, c.dpiX, &x, text); r != ApplyResult::Done) {
        return r;
    }
    if (c.dpiY >= 0) {
        if (const ApplyResult r = DpiIndex(*info, c.stage, c.dpiY, &y, text);
            r != ApplyResult::Done) {
            return r;
        }
        // Y goes to the mouse as the profile holds it; equal values need no separate axes.
        stage.dpiY = uint16_t(y);
        stage.separateXY = x != y ? 1 : 0;
    }
    stage.dpiX = uint16_t(x);
    data.WriteDpiStages(stages);
    *text = StageName(c.stage) + ": " + DpiText(*info, x, c.dpiX);
    if (c.dpiY >= 0 && x != y) {
        *text += " x " + DpiText(*info, y, c.dpiY);
    }
    return ApplyResult::Done;
}

}  // namespace

std::optional<std::vector<Change>> ParseChanges(const std::vector<std::string>& words,
                                                const EffectNames& effects, std::string* error) {
    std::vector<Change> changes;
    size_t i = 0;
    if (words.empty()) {
        *error = "set needs a setting and its value: see q840ctl help set";
        return std::nullopt;
    }
    while (i < words.size()) {
        const auto row = std::find_if(kSettings.begin(), kSettings.end(),
                                      [&](const SettingRow& s) { return words[i] == s.name; });
        if (row == kSettings.end()) {
            *error = "\"" + words[i] + "\" is not a setting: see q840ctl help set";
            return std::nullopt;
        }
        std::vector<std::string> values;
        ++i;
        while (i < words.size() && int(values.size()) < row->maxValues &&
               (int(values.size()) < row->minValues || !IsSettingName(words[i]))) {
            values.push_back(words[i++]);
        }
        if (int(values.size()) < row->minValues) {
            *error = std::string(row->name) + " takes " + row->arguments;
            return std::nullopt;
        }
        Change c;
        c.row = &*row;
        if (!ParseValues(values, effects, &c, error)) {
            return std::nullopt;
        }
        changes.push_back(c);
    }
    return changes;
}

ApplyResult ApplyChange(const Change& c, profile::CMouseProfiledata& data,
                        const protocol::InfoRecord* info, const EffectNames& effects,
                        std::string* text) {
    const std::vector<profile::DpiStage> stages = data.GetDpiStages();
    const int stageCount = int(std::min(stages.size(), protocol::SettingsBlock::kStageCount));
    if (c.stage >= stageCount) {
        *text = std::string(c.row->name) + ": the profile has " + std::to_string(stageCount) +
                " DPI stages (1 to " + std::to_string(stageCount) + ")";
        return ApplyResult::Refused;
    }
    profile::MouseSystemSettings sys = data.GetSystemSettings();
    profile::LightSetting light = data.GetLightSetting();
    auto storeSystem = [&](uint16_t profile::MouseSystemSettings::*field, int value,
                           const std::string& done) {
        sys.*field = uint16_t(value);
        data.WriteSystemSettings(sys);
        *text = done;
        return ApplyResult::Done;
    };
    auto storeLight = [&](const std::string& done) {
        data.WriteLightSetting(light);
        *text = done;
        return ApplyResult::Done;
    };
    auto minutes = [](int m) { return std::to_string(m) + (m == 1 ? " minute" : " minutes"); };
    switch (c.row->setting) {
        case Setting::ActiveStage:
            // A stage that is off cannot become the active one.
            if (stages[size_t(c.stage)].enabled == 0) {
                *text = StageName(c.stage) + " is off: switch it on first (q840ctl set stage " +
                        std::to_string(c.stage + 1) + " on)";
                return ApplyResult::Refused;
            }
            data.SetActiveDpiStage(c.stage);
            *text = "active DPI stage: " + std::to_string(c.stage + 1);
            return ApplyResult::Done;
        case Setting::Dpi:
            return ApplyDpi(c, data, info, text);
        case Setting::Stage: {
            const int enabled =
                int(std::count_if(stages.begin(), stages.end(),
                                  [](const profile::DpiStage& s) { return s.enabled != 0; }));
            // The active stage, and the last stage left on, cannot be switched off. Which stage
            // is active is known once the mouse's own choice has been taken back.
            if (c.value == 0 && info != nullptr && c.stage == data.GetActiveDpiStage()) {
                *text =
                    StageName(c.stage) + " is the active stage: make another stage active first";
                return ApplyResult::Refused;
            }
            if (c.value == 0 && stages[size_t(c.stage)].enabled != 0 && enabled <= 1) {
                *text = StageName(c.stage) + " is the only stage on: one stage stays on";
                return ApplyResult::Refused;
            }
            std::vector<profile::DpiStage> next = stages;
            next[size_t(c.stage)].enabled = uint8_t(c.value);
            data.WriteDpiStages(next);
            *text = StageName(c.stage) + ": " + (c.value ? "on" : "off");
            return ApplyResult::Done;
        }
        case Setting::ReportRate:
            return storeSystem(
                &profile::MouseSystemSettings::reportRate, c.value,
                "report rate: " + std::to_string(profile::kReportRatesHz[size_t(c.value)]) + " Hz");
        case Setting::LiftOff:
            return storeSystem(
                &profile::MouseSystemSettings::silentAltitude, c.value,
                std::string("lift-off: ") + (c.value ? "high (2 mm)" : "low (1 mm)"));
        case Setting::LinearCorrection:
            return storeSystem(&profile::MouseSystemSettings::linearCalibration, c.value,
                               std::string("linear correction: ") + (c.value ? "on" : "off"));
        case Setting::Ripple:
            return storeSystem(&profile::MouseSystemSettings::ripple, c.value,
                               std::string("ripple control: ") + (c.value ? "on" : "off"));
        case Setting::Debounce:
            return storeSystem(
                &profile::MouseSystemSettings::keyDebounceTime, c.value,
                "key debounce: " + std::to_string(profile::kDebounceMs[size_t(c.value)]) + " ms");
        case Setting::WirelessLightsOff:
            return storeSystem(&profile::MouseSystemSettings::bleSleep1, c.value,
                               "wireless, lights off after: " + minutes(c.value));
        case Setting::WirelessSleep:
            return storeSystem(&profile::MouseSystemSettings::bleSleep2, c.value,
                               "wireless, sleep after: " + minutes(c.value));
        case Setting::CableLightsOff:
            return storeSystem(&profile::MouseSystemSettings::deviceSleep1, c.value,
                               "cable, lights off after: " + minutes(c.value));
        case Setting::CableSleep:
            return storeSystem(&profile::MouseSystemSettings::deviceSleep2, c.value,
                               "cable, sleep after: " + minutes(c.value));
        case Setting::LightEffect:
            light.effect = uint8_t(c.value);
            return storeLight("light effect: " + effects.NameAt(c.value));
        case Setting::LightBrightness:
            light.brightness = uint8_t(c.value);
            return storeLight("light brightness: " + std::to_string(c.value));
        case Setting::LightSpeed:
            light.speed = uint8_t(c.value);
            return storeLight("light speed: " + std::to_string(c.value));
        case Setting::LightColour:
            // Choosing a colour ends the colour cycle, as the lighting editor does.
            if (c.colourCycle) {
                light.multiColour = 1;
                return storeLight("light colour cycle: on");
            }
            light.red = c.red;
            light.green = c.green;
            light.blue = c.blue;
            light.multiColour = 0;
            return storeLight("light colour: " + ColourText(c.red, c.green, c.blue));
    }
    return ApplyResult::Refused;
}

}  // namespace q840::ctl
