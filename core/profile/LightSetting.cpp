#include "core/profile/LightSetting.h"

#include <algorithm>

#include "core/profile/JsonAccess.h"

namespace q840::profile {

namespace {
using F = LightFieldForm;
using S = LightSetting;
}  // namespace

// clang-format off
const std::array<LightField, 11> kLightFields = {{
    // member            "LightInfo"             "LightList"                  block byte
    {&S::effect,        "SelectItem",  F::Byte, "LEDREGMode",    F::Byte,  1, F::Effect,        true},
    {&S::brightness,    "Light",       F::Byte, "LEDBrightness", F::Byte,  2, F::Byte,          true},
    {&S::speed,         "Speed",       F::Byte, "LEDSpeed",      F::Byte,  3, F::InvertedSpeed, true},
    {&S::direction,     "Fx",          F::Byte, "LEDDirection",  F::Flag,  4, F::Byte,          false},
    {&S::multiColour,   "MultiColor",  F::Flag, "LEDMultiColor", F::Flag,  5, F::Byte,          true},
    {&S::red,           "Red",         F::Byte, "red",           F::Byte,  6, F::Byte,          true},
    {&S::green,         "Green",       F::Byte, "green",         F::Byte,  7, F::Byte,          true},
    {&S::blue,          "Blue",        F::Byte, "blue",          F::Byte,  8, F::Byte,          true},
    {&S::secondaryMode, "ZZCCLedMode", F::Byte, nullptr,         F::Byte, -1, F::Byte,          false},
    {&S::customGroup,   "CustomGroup", F::Byte, nullptr,         F::Byte, -1, F::Byte,          false},
    {&S::previousMode,  "OldLedmode",  F::Byte, nullptr,         F::Byte, -1, F::Byte,          false},
}};
// clang-format on

namespace {

uint8_t ReadMember(const Json::Value& obj, const char* key, LightFieldForm form) {
    return form == F::Flag ? (json::MemberFlag(obj, key) ? 1 : 0) : json::MemberByte(obj, key);
}

}  // namespace

LightSetting ReadLightInfo(const Json::Value& info) {
    LightSetting s{};
    for (const LightField& f : kLightFields) {
        s.*f.member = ReadMember(info, f.infoKey, f.infoForm);
    }
    return s;
}

Json::Value WriteLightInfo(const LightSetting& s) {
    Json::Value info(Json::objectValue);
    for (const LightField& f : kLightFields) {
        const int value = s.*f.member;
        info[f.infoKey] = f.infoForm == F::Flag ? (value != 0 ? 1 : 0) : value;
    }
    return info;
}

LightSetting ReadLightListEntry(const Json::Value& entry) {
    LightSetting s{};
    for (const LightField& f : kLightFields) {
        if (f.listKey != nullptr) {
            s.*f.member = ReadMember(entry, f.listKey, f.listForm);
        }
    }
    s.present() = 1;
    return s;
}

void EncodeLightBytes(const LightSetting& s, uint8_t* block) {
    for (const LightField& f : kLightFields) {
        if (f.blockOffset < 0) {
            continue;
        }
        const uint8_t value = s.*f.member;
        uint8_t& byte = block[f.blockOffset];
        switch (f.blockForm) {
            case F::Effect:
                byte = value >= kBlockEffectLimit ? 0 : value;
                break;
            case F::InvertedSpeed:
                byte = static_cast<uint8_t>(kBlockSpeedMax - value);
                break;
            default:
                byte = value;
                break;
        }
    }
}

LightSetting DecodeLightBytes(const uint8_t* block) {
    LightSetting s{};
    for (const LightField& f : kLightFields) {
        if (f.blockOffset < 0) {
            continue;
        }
        const uint8_t byte = block[f.blockOffset];
        s.*f.member = f.blockForm == F::InvertedSpeed
                          ? static_cast<uint8_t>(
                                std::clamp(int(kBlockSpeedMax) - int(byte), 0, int(kBlockSpeedMax)))
                          : byte;
    }
    return s;
}

LightSetting TakeBackFromBlock(LightSetting into, const LightSetting& fromBlock) {
    for (const LightField& f : kLightFields) {
        if (f.blockOffset >= 0 && f.takenBackFromBlock) {
            into.*f.member = fromBlock.*f.member;
        }
    }
    return into;
}

}  // namespace q840::profile
