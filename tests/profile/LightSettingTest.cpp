#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "core/profile/JsonFileStore.h"
#include "core/profile/LightSetting.h"

using namespace q840::profile;

namespace {

LightSetting Sample() {
    LightSetting s;
    s.effect = 7;
    s.brightness = 3;
    s.speed = 1;
    s.direction = 1;
    s.multiColour = 1;
    s.red = 0x11;
    s.green = 0x22;
    s.blue = 0x33;
    s.secondaryMode = 5;
    s.customGroup = 2;
    s.previousMode = 4;
    return s;
}

bool SameFields(const LightSetting& a, const LightSetting& b) {
    for (const LightField& f : kLightFields) {
        if (a.*f.member != b.*f.member) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Every field is stored once in each place, under its own key and its own byte.
TEST(LightFields, EachFieldHasItsOwnKeyAndByte) {
    std::set<std::string> infoKeys, listKeys;
    std::set<int> bytes;
    for (const LightField& f : kLightFields) {
        EXPECT_TRUE(infoKeys.insert(f.infoKey).second) << f.infoKey;
        if (f.listKey != nullptr) {
            EXPECT_TRUE(listKeys.insert(f.listKey).second) << f.listKey;
        }
        if (f.blockOffset >= 0) {
            EXPECT_TRUE(bytes.insert(f.blockOffset).second) << f.blockOffset;
            EXPECT_LT(size_t(f.blockOffset), kLightBlockBytes);
        }
    }
    EXPECT_EQ((std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}), bytes);
}

TEST(LightFields, LightInfoKeepsItsStoredForm) {
    const Json::Value info = WriteLightInfo(Sample());
    const Json::Value expected = JsonFileStore::ParseText(
        R"({"Blue":51,"CustomGroup":2,"Fx":1,"Green":34,"Light":3,"MultiColor":1,)"
        R"("OldLedmode":4,"Red":17,"SelectItem":7,"Speed":1,"ZZCCLedMode":5})");
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(JsonFileStore::StoredText(expected), JsonFileStore::StoredText(info));
    EXPECT_TRUE(SameFields(Sample(), ReadLightInfo(info)));

    // Stored files may hold flags as booleans or any number; a flag writes back as 0/1.
    Json::Value odd = info;
    odd["MultiColor"] = 9;
    odd["Fx"] = true;
    const LightSetting read = ReadLightInfo(odd);
    EXPECT_EQ(1, read.multiColour);
    EXPECT_EQ(1, read.direction);
    EXPECT_EQ(1, WriteLightInfo(read)["MultiColor"].asInt());

    // A list entry uses its own keys and marks itself present.
    Json::Value entry(Json::objectValue);
    entry["LEDREGMode"] = 3;
    entry["LEDDirection"] = 2;
    entry["red"] = 200;
    const LightSetting e = ReadLightListEntry(entry);
    EXPECT_EQ(3, e.effect);
    EXPECT_EQ(1, e.direction);
    EXPECT_EQ(200, e.red);
    EXPECT_EQ(1, e.present());
}

TEST(LightFields, SettingsBlockBytesRoundTripAndTakeBack) {
    std::array<uint8_t, kLightBlockBytes> block{};
    EncodeLightBytes(Sample(), block.data());
    EXPECT_EQ((std::array<uint8_t, kLightBlockBytes>{0, 7, 3, 3, 1, 1, 0x11, 0x22, 0x33}), block);

    LightSetting high = Sample();
    high.effect = kBlockEffectLimit;
    EncodeLightBytes(high, block.data());
    EXPECT_EQ(0, block[1]) << "effects the mouse does not have are written as 0";

    block[3] = 9;  // a stray speed byte
    EXPECT_EQ(0, DecodeLightBytes(block.data()).speed);
    block[3] = 0;
    EXPECT_EQ(4, DecodeLightBytes(block.data()).speed);

    // A read takes back everything but the direction, and nothing that is not in the block.
    LightSetting fromBlock = DecodeLightBytes(block.data());
    fromBlock.direction = 0;
    const LightSetting merged = TakeBackFromBlock(Sample(), fromBlock);
    EXPECT_EQ(1, merged.direction);
    EXPECT_EQ(4, merged.previousMode);
    EXPECT_EQ(5, merged.secondaryMode);
    EXPECT_EQ(0x11, merged.red);
    EXPECT_EQ(4, merged.speed);
}
