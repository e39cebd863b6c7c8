#include "ctl/CtlReadings.h"

#include <algorithm>

#include "core/profile/MouseOptions.h"
#include "core/protocol/codecs/MouseDpi.h"
#include "ctl/CtlOutput.h"

namespace q840::ctl {

namespace {

using protocol::SettingsBlock;

// The value an option index stands for in `table`; -1 when the index is no option.
template <size_t N>
int OptionValue(const std::array<int, N>& table, int index) {
    return index >= 0 && size_t(index) < N ? table[size_t(index)] : -1;
}

Json::Value OrNull(int value) {
    return value >= 0 ? Json::Value(value) : Json::Value();
}

std::string Unknown(int raw) {
    return "not an option the program offers (" + std::to_string(raw) + ")";
}

std::string Minutes(int minutes) {
    return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

std::string OnOff(int raw) {
    return raw == 0 ? "off" : raw == 1 ? "on" : Unknown(raw);
}

std::string LiftOff(int raw) {
    const int mm = OptionValue(profile::kLiftOffMm, raw);
    return mm < 0 ? Unknown(raw) : (raw == 0 ? "low (" : "high (") + std::to_string(mm) + " mm)";
}

std::string WithUnit(int value, int raw, const char* unit) {
    return value < 0 ? Unknown(raw) : std::to_string(value) + " " + unit;
}

// The name of the effect the device's code stands for; "code N" when the list has none.
std::string EffectName(const EffectNames& effects, uint8_t code) {
    const std::vector<int> codes = effects.Codes();
    const auto found = std::find(codes.begin(), codes.end(), int(code));
    const std::string name = found == codes.end() ? "" : effects.NameAt(int(found - codes.begin()));
    return name.empty() ? "code " + std::to_string(code) : name;
}

Json::Value EffectJson(const EffectNames& effects, uint8_t code) {
    Json::Value effect(Json::objectValue);
    const std::string name = EffectName(effects, code);
    effect["name"] = name.rfind("code ", 0) == 0 ? Json::Value() : Json::Value(name);
    effect["raw"] = code;
    return effect;
}

std::string StageText(const protocol::InfoRecord& info, const protocol::DpiStage& d) {
    std::string text = d.enabled ? "on, " : "off, ";
    text += std::to_string(StageDpi(info, d.x));
    if (d.separateXY) {
        text += " x " + std::to_string(StageDpi(info, d.y)) + " DPI (X x Y)";
    } else {
        text += " DPI";
    }
    return text + ", colour " + ColourText(d.red, d.green, d.blue);
}

Json::Value Unit(const char* unit, int value, int raw) {
    Json::Value v(Json::objectValue);
    v[unit] = OrNull(value);
    v["raw"] = raw;
    return v;
}

Json::Value Switch(int raw) {
    Json::Value v(Json::objectValue);
    v["on"] = raw == 0 || raw == 1 ? Json::Value(raw == 1) : Json::Value();
    v["raw"] = raw;
    return v;
}

}  // namespace

int StageDpi(const protocol::InfoRecord& info, uint16_t stored) {
    return protocol::DpiIndexToNumber(
        info.sensorId, info.dpiStep, info.dpiBase,
        protocol::DpiStage::IndexOf(info.sensorId, stored),
        protocol::DpiSliderMaximum(info.sensorId, info.sliderMaxPlus10));
}

std::vector<ReadingLine> MouseSettingLines(const protocol::InfoRecord& info, const SettingsBlock& s,
                                           const EffectNames& effects) {
    std::vector<ReadingLine> lines;
    lines.push_back({"profile", std::to_string(s.profileIndex)});
    lines.push_back({"active DPI stage", s.activeStage < SettingsBlock::kStageCount
                                             ? std::to_string(s.activeStage + 1)
                                             : Unknown(s.activeStage)});
    for (size_t i = 0; i < s.stages.size(); ++i) {
        lines.push_back({"DPI stage " + std::to_string(i + 1), StageText(info, s.stages[i])});
    }
    lines.push_back({"report rate", WithUnit(OptionValue(profile::kReportRatesHz, s.reportRate),
                                             s.reportRate, "Hz")});
    lines.push_back({"lift-off", LiftOff(s.liftOff)});
    lines.push_back({"linear correction", OnOff(s.linearCorrection)});
    lines.push_back({"ripple control", OnOff(s.ripple)});
    lines.push_back({"key debounce", WithUnit(OptionValue(profile::kDebounceMs, s.keyDebounce),
                                              s.keyDebounce, "ms")});
    lines.push_back({"wireless, lights off after", Minutes(s.bleSleep1)});
    lines.push_back({"wireless, sleep after", Minutes(s.bleSleep2)});
    lines.push_back({"cable, lights off after", Minutes(s.deviceSleep1)});
    lines.push_back({"cable, sleep after", Minutes(s.deviceSleep2)});
    const profile::LightSetting& l = s.light;
    lines.push_back({"light effect", EffectName(effects, l.effect)});
    lines.push_back({"light brightness", std::to_string(l.brightness)});
    lines.push_back({"light speed", std::to_string(l.speed)});
    lines.push_back({"light direction", std::to_string(l.direction)});
    lines.push_back({"light colour", ColourText(l.red, l.green, l.blue)});
    lines.push_back({"light colour cycle", OnOff(l.multiColour)});
    return lines;
}

Json::Value MouseSettingsJson(const protocol::InfoRecord& info,
                              const std::array<uint8_t, SettingsBlock::kSize>& bytes,
                              const EffectNames& effects) {
    const SettingsBlock s = SettingsBlock::Decode(bytes.data(), bytes.size());
    Json::Value root(Json::objectValue);
    root["profile"] = s.profileIndex;
    Json::Value active(Json::objectValue);
    active["stage"] =
        s.activeStage < SettingsBlock::kStageCount ? Json::Value(s.activeStage + 1) : Json::Value();
    active["raw"] = s.activeStage;
    root["activeStage"] = active;
    Json::Value stages(Json::arrayValue);
    for (size_t i = 0; i < s.stages.size(); ++i) {
        const protocol::DpiStage& d = s.stages[i];
        Json::Value stage(Json::objectValue);
        stage["stage"] = Json::UInt(i + 1);
        stage["on"] = d.enabled;
        stage["separateXY"] = d.separateXY;
        stage["dpiX"] = StageDpi(info, d.x);
        stage["dpiY"] = StageDpi(info, d.separateXY ? d.y : d.x);
        stage["indexX"] = protocol::DpiStage::IndexOf(info.sensorId, d.x);
        stage["indexY"] = protocol::DpiStage::IndexOf(info.sensorId, d.y);
        stage["colour"] = ColourText(d.red, d.green, d.blue);
        stages.append(stage);
    }
    root["stages"] = stages;
    root["reportRate"] =
        Unit("hz", OptionValue(profile::kReportRatesHz, s.reportRate), s.reportRate);
    root["liftOff"] = Unit("mm", OptionValue(profile::kLiftOffMm, s.liftOff), s.liftOff);
    root["linearCorrection"] = Switch(s.linearCorrection);
    root["ripple"] = Switch(s.ripple);
    root["debounce"] = Unit("ms", OptionValue(profile::kDebounceMs, s.keyDebounce), s.keyDebounce);
    Json::Value sleep(Json::objectValue);
    sleep["wirelessLightsOff"] = Unit("minutes", s.bleSleep1, s.bleSleep1);
    sleep["wirelessSleep"] = Unit("minutes", s.bleSleep2, s.bleSleep2);
    sleep["cableLightsOff"] = Unit("minutes", s.deviceSleep1, s.deviceSleep1);
    sleep["cableSleep"] = Unit("minutes", s.deviceSleep2, s.deviceSleep2);
    root["sleep"] = sleep;
    const profile::LightSetting& l = s.light;
    Json::Value light(Json::objectValue);
    light["effect"] = EffectJson(effects, l.effect);
    light["brightness"] = l.brightness;
    light["speed"] = l.speed;
    light["direction"] = l.direction;
    light["colourCycle"] = l.multiColour != 0;
    light["colour"] = ColourText(l.red, l.green, l.blue);
    root["light"] = light;
    root["sensor"] = info.sensorId;
    root["bytes"] = HexBytes(bytes.data(), bytes.size(), false);
    return root;
}

void PrintRawMouseSettings(const SettingsBlock& s, std::ostream& out) {
    const profile::LightSetting& l = s.light;
    out << "light: effect " << int(l.effect) << ", brightness " << int(l.brightness) << ", speed "
        << int(l.speed) << ", direction " << int(l.direction) << ", multi-colour "
        << int(l.multiColour) << ", colour " << int(l.red) << " " << int(l.green) << " "
        << int(l.blue) << "\n";
    out << "report rate index: " << int(s.reportRate) << "\n";
    out << "active DPI stage: " << int(s.activeStage) << "\n";
    for (size_t i = 0; i < s.stages.size(); ++i) {
        const auto& d = s.stages[i];
        out << "DPI stage " << i << ": " << (d.enabled ? "on " : "off") << "  x " << d.x << "  y "
            << d.y << (d.separateXY ? " (separate)" : "") << "  colour " << int(d.red) << " "
            << int(d.green) << " " << int(d.blue) << "\n";
    }
    out << "wireless sleep: " << int(s.bleSleep1) << " / " << int(s.bleSleep2) << "\n";
    out << "sleep: " << int(s.deviceSleep1) << " / " << int(s.deviceSleep2) << "\n";
    out << "key debounce index: " << int(s.keyDebounce) << "\n";
    out << "lift-off distance: " << int(s.liftOff) << "\n";
    out << "linear correction: " << int(s.linearCorrection) << "\n";
    out << "ripple control: " << int(s.ripple) << "\n";
}

std::vector<ReadingLine> ShortSettingLines(const protocol::ShortSettingsBlock& block,
                                           const EffectNames& effects) {
    using B = protocol::ShortSettingsBlock;
    const auto& b = block.bytes;
    const std::string name = effects.NameAt(b[B::kOffEffect]);
    return {
        {"profile", std::to_string(b[B::kOffProfileIndex])},
        {"light effect", name.empty() ? "position " + std::to_string(b[B::kOffEffect]) : name},
        {"light brightness", std::to_string(b[B::kOffBrightness])},
        {"light speed", std::to_string(b[B::kOffSpeed])},
        {"light colour", ColourText(b[B::kOffRed], b[B::kOffGreen], b[B::kOffBlue])},
        {"light colour cycle", OnOff(b[B::kOffMultiColour])},
    };
}

Json::Value ShortSettingsJson(const protocol::ShortSettingsBlock& block,
                              const std::array<uint8_t, protocol::ShortSettingsBlock::kSize>& read,
                              const EffectNames& effects) {
    using B = protocol::ShortSettingsBlock;
    const auto& b = block.bytes;
    Json::Value root(Json::objectValue);
    root["profile"] = b[B::kOffProfileIndex];
    Json::Value light(Json::objectValue);
    Json::Value effect(Json::objectValue);
    const std::string name = effects.NameAt(b[B::kOffEffect]);
    effect["name"] = name.empty() ? Json::Value() : Json::Value(name);
    effect["raw"] = read[B::kOffEffect];
    light["effect"] = effect;
    light["brightness"] = b[B::kOffBrightness];
    light["speed"] = b[B::kOffSpeed];
    light["colourCycle"] = b[B::kOffMultiColour] != 0;
    light["colour"] = ColourText(b[B::kOffRed], b[B::kOffGreen], b[B::kOffBlue]);
    root["light"] = light;
    root["bytes"] = HexBytes(read.data(), read.size(), false);
    return root;
}

void PrintRawShortSettings(const std::array<uint8_t, protocol::ShortSettingsBlock::kSize>& b,
                           std::ostream& out) {
    out << "light: effect code " << int(b[1]) << ", brightness " << int(b[2]) << ", speed "
        << 4 - int(b[3]) << ", multi-colour " << int(b[5]) << ", colour " << int(b[6]) << " "
        << int(b[7]) << " " << int(b[8]) << "\n";
    out << "bytes: " << HexBytes(b.data(), b.size()) << "\n";
}

std::string DescribeDifference(const protocol::InfoRecord& info,
                               const std::array<uint8_t, SettingsBlock::kSize>& written,
                               const std::array<uint8_t, SettingsBlock::kSize>& readBack,
                               const EffectNames& effects) {
    const auto wrote =
        MouseSettingLines(info, SettingsBlock::Decode(written.data(), written.size()), effects);
    const auto holds =
        MouseSettingLines(info, SettingsBlock::Decode(readBack.data(), readBack.size()), effects);
    std::string text;
    for (size_t i = 0; i < wrote.size() && i < holds.size(); ++i) {
        if (wrote[i].value != holds[i].value) {
            text += (text.empty() ? "" : "; ") + wrote[i].label + ": wrote " + wrote[i].value +
                    ", the mouse holds " + holds[i].value;
        }
    }
    for (size_t i = 0; text.empty() && i < written.size(); ++i) {
        if (written[i] != readBack[i]) {
            text = "settings byte " + std::to_string(i) + ": wrote " + Hex(written[i], 2) +
                   ", the mouse holds " + Hex(readBack[i], 2);
        }
    }
    return text;
}

}  // namespace q840::ctl
