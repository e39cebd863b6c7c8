#pragma once

// The lighting of a device, as one record wherever it goes: the profile's "LightInfo" and
// "LightList" entries, the light bytes of the mouse's settings block, the page's light settings
// and the synchronised lighting. Every conversion of it lives in LightSetting.cpp, driven by
// kLightFields, so that a field is named once.

#include <json/value.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace q840::profile {

#pragma pack(push, 1)

// Byte 10 is set to 1 by ReadLightList when the element was an object (so a page can tell
// "no entry" from "an entry of zeros"); it is 0 everywhere else.
struct LightSetting {
    uint8_t effect = 0;       // "SelectItem": index into the device's effect list
    uint8_t brightness = 0;   // 0-4
    uint8_t speed = 0;        // 0-4
    uint8_t direction = 0;    // 1 or 0
    uint8_t multiColour = 0;  // 0/1
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t reserved[3] = {0, 0, 0};  // reserved[2] is the "present" flag of a light list entry
    uint8_t secondaryMode = 0;        // keyboard "ZZCCLedMode"
    uint8_t customGroup = 0;          // keyboard "CustomGroup"
    uint8_t previousMode = 0;         // "OldLedmode": restored when a game light reaction ends

    uint8_t& present() { return reserved[2]; }
    uint8_t present() const { return reserved[2]; }
};
static_assert(sizeof(LightSetting) == 14);

#pragma pack(pop)

// How a field is stored.
enum class LightFieldForm : uint8_t {
    Byte,           // the value as it is
    Flag,           // 0/1 (stored files may hold true/false or any number)
    Effect,         // settings block: effects from kBlockEffectLimit on are written as 0
    InvertedSpeed,  // settings block: 4 - speed
};

// One field of the record and where it is stored. A null key or a negative offset: not stored
// there.
struct LightField {
    uint8_t LightSetting::*member;
    const char* infoKey;  // "LightInfo" member
    LightFieldForm infoForm;
    const char* listKey;  // "LightList" element member
    LightFieldForm listForm;
    int blockOffset;  // byte of the mouse's settings block
    LightFieldForm blockForm;
    bool takenBackFromBlock;  // a read of the block takes it into the page and the profile
};

extern const std::array<LightField, 11> kLightFields;

// --- the profile's keys -------------------------------------------------------------------------
// "LightInfo": every member named in kLightFields (a missing one reads as 0).
LightSetting ReadLightInfo(const Json::Value& info);
Json::Value WriteLightInfo(const LightSetting& setting);
// A "LightList" element; the present flag is set.
LightSetting ReadLightListEntry(const Json::Value& entry);

// --- the mouse's settings block -----------------------------------------------------------------
constexpr uint8_t kBlockEffectLimit = 12;  // effects from here on are written as 0
constexpr uint8_t kBlockSpeedMax = 4;
// Writes the light bytes of a block of at least kLightBlockBytes bytes.
constexpr size_t kLightBlockBytes = 9;
void EncodeLightBytes(const LightSetting& setting, uint8_t* block);
// The light bytes of a block; a speed byte above 4 reads as speed 0.
LightSetting DecodeLightBytes(const uint8_t* block);
// `into` with the fields a read of the block takes back replaced by those of `fromBlock`.
LightSetting TakeBackFromBlock(LightSetting into, const LightSetting& fromBlock);

}  // namespace q840::profile
