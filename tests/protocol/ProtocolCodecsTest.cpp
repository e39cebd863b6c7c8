// Byte codecs of the device data: information record, settings block, key table, event areas.

#include <gtest/gtest.h>

#include <numeric>

#include "core/protocol/codecs/DeviceEvents.h"
#include "core/protocol/codecs/EventArea.h"
#include "core/protocol/codecs/HeadsetLedReport.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/KeyTable.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/protocol/codecs/ShortSettingsBlock.h"
#include "core/sim/DemoDevices.h"

namespace q840::protocol {
namespace {

TEST(ProtocolCodecsInfo, DecodesTheDemoMouseAndKeepsUnknownBytes) {
    const auto bytes = sim::MakeDemoMouse()->Info();
    InfoRecord info = InfoRecord::Decode(bytes.data(), bytes.size());
    EXPECT_EQ(0x55AA, info.signature);
    EXPECT_EQ(11, info.keySlots);
    EXPECT_EQ(32 * 128u, info.MacroCapacityBytes());
    EXPECT_EQ(kSensor3104, info.sensorId);
    EXPECT_TRUE(info.IsNew());
    EXPECT_TRUE(info.IsValid());

    info.raw[20] = 0x5C;  // a byte the program does not interpret
    info.state = InfoRecord::kStateInitialised;
    const auto encoded = info.Encode();
    EXPECT_EQ(3, encoded[7]);
    EXPECT_EQ(0x5C, encoded[20]);
    EXPECT_EQ(0xAA, encoded[0]);
    EXPECT_EQ(0x55, encoded[1]);

    info.state = 2;
    EXPECT_FALSE(info.IsValid());
    const uint8_t shortRecord[2] = {0xAA, 0x55};
    const InfoRecord partial = InfoRecord::Decode(shortRecord, sizeof shortRecord);
    EXPECT_TRUE(partial.HasSignature());
    EXPECT_EQ(0, partial.keySlots);
    EXPECT_FALSE(InfoRecord::Decode(nullptr, 34).HasSignature());
}

TEST(ProtocolCodecsSettings, EncodesTheDocumentedLayout) {
    SettingsBlock s;
    s.light.effect = 12;  // beyond the mouse's effects
    s.light.brightness = 3;
    s.light.speed = 1;
    s.light.multiColour = 1;
    s.light.red = 0x11;
    s.light.green = 0x22;
    s.light.blue = 0x33;
    s.reportRate = 2;
    s.activeStage = 4;
    s.stages[0].enabled = true;
    s.stages[0].SetIndex(0x8925, 149);
    s.stages[0].y = 0x1234;
    s.stages[0].red = 0xAB;
    s.stages[6].enabled = true;
    s.stages[6].SetIndex(kSensor3104, 0x0168);
    s.bleSleep1 = 77;
    s.ripple = 1;
    const auto b = s.Encode();
    EXPECT_EQ(0, b[1]);
    EXPECT_EQ(3, b[2]);
    EXPECT_EQ(3, b[3]);  // 4 - speed
    EXPECT_EQ(0x11, b[6]);
    EXPECT_EQ(0x33, b[8]);
    EXPECT_EQ(2, b[11]);
    EXPECT_EQ(4, b[12]);
    EXPECT_EQ(1, b[14]);
    EXPECT_EQ(149, b[16]);  // one-byte index in both X bytes
    EXPECT_EQ(149, b[17]);
    EXPECT_EQ(0x34, b[18]);
    EXPECT_EQ(0x12, b[19]);
    EXPECT_EQ(0xAB, b[20]);
    EXPECT_EQ(1, b[14 + 6 * 9]);
    EXPECT_EQ(0x68, b[14 + 6 * 9 + 2]);
    EXPECT_EQ(0x01, b[14 + 6 * 9 + 3]);
    EXPECT_EQ(77, b[77]);
    EXPECT_EQ(1, b[84]);
    EXPECT_EQ(0, b[85]);

    s.light.effect = 7;
    const auto again = SettingsBlock::Decode(s.Encode().data(), SettingsBlock::kSize);
    EXPECT_EQ(s.Encode(), again.Encode());
    EXPECT_EQ(1, again.light.speed);
    EXPECT_EQ(7, again.light.effect);
    // What a reader takes the stored values back as.
    EXPECT_EQ(149, DpiStage::IndexOf(0x8925, again.stages[0].x));
    EXPECT_EQ(0x34, DpiStage::IndexOf(0x8925, again.stages[0].y));
    EXPECT_EQ(0x0168, DpiStage::IndexOf(kSensor3104, again.stages[6].x));
}

TEST(ProtocolCodecsSettings, DecodesTheDemoProfile) {
    const auto area = sim::MakeDemoMouse()->Settings();
    const auto s = SettingsBlock::Decode(area.data() + SettingsBlock::ProfileAddress(1), 86);
    EXPECT_EQ(4, s.light.brightness);
    EXPECT_EQ(2, s.light.speed);
    EXPECT_EQ(1, s.activeStage);
    EXPECT_TRUE(s.stages[0].enabled);
    EXPECT_EQ(1, s.stages[0].x);
    EXPECT_FALSE(s.stages[5].enabled);
}

TEST(ProtocolCodecsKeys, SlotMapFindsShuffledKeysAndMarksMissingOnes) {
    auto table = sim::MakeDemoMouse()->KeyTable();
    const auto map = BuildKeySlotMap(table.data(), table.size(), 11);
    for (size_t key = 0; key < kMouseKeyButtons; ++key) {
        ASSERT_NE(kNoSlot, map[key]) << key;
        EXPECT_EQ(kMouseKeyIdentification[key], ReadKeySlot(table.data(), table.size(), map[key]));
    }
    std::vector<uint8_t> identity(11);
    std::iota(identity.begin(), identity.end(), 0);
    EXPECT_FALSE(std::equal(identity.begin(), identity.end(), map.begin()));  // really shuffled

    // A key whose assignment was changed on the device is not found; nor one beyond the count.
    WriteKeySlot(table.data(), table.size(), map[2], KeyAssignment::FromCode(0x700000));
    const auto changed = BuildKeySlotMap(table.data(), table.size(), 11);
    EXPECT_EQ(kNoSlot, changed[2]);
    const auto fewer = BuildKeySlotMap(table.data(), table.size(), map[0]);
    EXPECT_EQ(kNoSlot, fewer[0]);
    EXPECT_FALSE(WriteKeySlot(table.data(), 30, 10, {}));
    EXPECT_EQ(0u, ReadKeySlot(table.data(), 30, 10).Code());
    EXPECT_EQ(0x169001u, (KeyAssignment{0x16, 0x90, 0x01}.Code()));
    EXPECT_TRUE(KeyAssignment::FromCode(0x710300).IsMacro());
}

TEST(ProtocolCodecsAreas, MacroAreaLayout) {
    MacroStep press{300, 2, true, 1};
    EXPECT_EQ((std::array<uint8_t, 4>{0x2C, 0x01, 0x82, 0x01}), EncodeMacroStep(press));
    const std::vector<std::vector<MacroStep>> one = {{press, {10, 2, false, 1}, {0, 1, true, 4}}};
    const auto area = BuildEventArea(one);
    ASSERT_EQ(34u, area.size());
    EXPECT_EQ(0xAA, area[0]);
    EXPECT_EQ(0x55, area[1]);
    EXPECT_EQ(34, area[2]);
    EXPECT_EQ(1, area[4]);
    EXPECT_EQ(18, area[16]);
    const std::vector<uint8_t> recordHead(area.begin() + 18, area.begin() + 22);
    EXPECT_EQ((std::vector<uint8_t>{3, 0, 0, 0}), recordHead);
    const auto parsed = ParseEventArea(area.data(), area.size());
    ASSERT_EQ(1u, parsed.size());
    ASSERT_EQ(3u, parsed[0].size());
    EXPECT_EQ(300, parsed[0][0].delay);
    EXPECT_TRUE(parsed[0][0].down);
    EXPECT_FALSE(parsed[0][1].down);

    // Four shoot records, one of them empty.
    const auto shoot = BuildEventArea({{press}, {}, {press, press}, {press}});
    EXPECT_EQ(EventAreaSize({1, 0, 2, 1}), shoot.size());
    EXPECT_EQ(16u + 24 + 16, shoot.size());
    EXPECT_EQ(4u, ParseEventArea(shoot.data(), shoot.size()).size());
    // A truncated or foreign area is not read past its end.
    EXPECT_TRUE(ParseEventArea(shoot.data(), shoot.size() - 1).empty());
    std::vector<uint8_t> corrupt = shoot;
    corrupt[16] = 0xF0;  // first record offset far outside
    EXPECT_TRUE(ParseEventArea(corrupt.data(), corrupt.size()).empty());
}

TEST(ProtocolCodecsEvents, CodesAndPowerRecord) {
    const uint8_t report[3] = {3, 0x23, 0x11};
    const uint16_t code = EventCodeFromReport(report, sizeof report);
    EXPECT_EQ(0x1123, code);
    EXPECT_TRUE(IsProfileEvent(code));
    EXPECT_TRUE(CarriesDpiStage(code));
    EXPECT_EQ(3, EventProfile(code));
    EXPECT_EQ(2, EventDpiStage(code));
    EXPECT_FALSE(IsProfileEvent(kEventSettingsChanged));
    EXPECT_EQ(0, EventCodeFromReport(report, 2));
    const uint8_t status[2] = {55, kChargeOnBattery};
    EXPECT_EQ((std::array<uint8_t, 6>{55, 2, 0, 1, 0, 0}), MousePowerRecord(status, true));
}

}  // namespace
}  // namespace q840::protocol

namespace q840::protocol {
namespace {

TEST(ProtocolCodecsShortBlock, TranslatesEffectAndSpeedAndKeepsTheRest) {
    const std::vector<int> codes = {0, 2, 5};
    std::array<uint8_t, 45> read{};
    std::iota(read.begin(), read.end(), uint8_t(0x40));
    read[0] = 9;  // the block's own byte 0 is replaced by the profile index
    read[1] = 5;
    read[3] = 1;
    const auto block = ShortSettingsBlock::FromDevice(read.data(), read.size(), 2, codes);
    EXPECT_EQ(2, block.bytes[0]);
    EXPECT_EQ(2, block.bytes[1]);  // position of code 5
    EXPECT_EQ(3, block.bytes[3]);
    const auto written = block.ToDevice(codes);
    EXPECT_EQ(5, written[1]);
    EXPECT_EQ(1, written[3]);
    EXPECT_EQ(read[4], written[4]);
    EXPECT_TRUE(std::equal(read.begin() + 9, read.begin() + 21, written.begin() + 9));

    read[1] = 7;  // not in the list: stays as read, both ways
    const auto odd = ShortSettingsBlock::FromDevice(read.data(), read.size(), 0, codes);
    EXPECT_EQ(7, odd.bytes[1]);
    EXPECT_EQ(7, odd.ToDevice(codes)[1]);
    EXPECT_EQ(50, ShortSettingsBlock::ReadAddress(2));
    EXPECT_EQ(128, ShortSettingsBlock::WriteAddress(2));
    const auto tiny = ShortSettingsBlock::FromDevice(read.data(), 3, 0, codes);
    EXPECT_EQ(0, tiny.bytes[20]);
}

TEST(ProtocolCodecsHeadset, FrameOrderAndChannelValues) {
    EXPECT_EQ(247, HeadsetChannelValue(255, 255));
    EXPECT_EQ(64, HeadsetChannelValue(128, 128));
    EXPECT_EQ(0, HeadsetChannelValue(255, 0));
    std::array<uint8_t, kHeadsetLeds * 4> leds{};
    for (size_t led = 0; led < kHeadsetLeds; ++led) {
        leds[led * 4 + 0] = 255;                // red
        leds[led * 4 + 1] = uint8_t(led * 10);  // green
        leds[led * 4 + 2] = 0;                  // blue
        leds[led * 4 + 3] = 255;                // level
    }
    const auto frame = BuildHeadsetLedFrame(leds);
    const uint8_t expectedParts[12] = {0xAA, 0xAD, 0xAA, 0xAD, 0xAB, 0xAE,
                                       0xAB, 0xAE, 0xAC, 0xAF, 0xAC, 0xAF};
    const uint8_t expectedZones[12] = {0x22, 0x22, 0x44, 0x44, 0x22, 0x22,
                                       0x44, 0x44, 0x22, 0x22, 0x44, 0x44};
    for (size_t i = 0; i < frame.size(); ++i) {
        EXPECT_EQ(0xFF, frame[i][0]);
        EXPECT_EQ(expectedZones[i], frame[i][1]) << i;
        EXPECT_EQ(expectedParts[i], frame[i][2]) << i;
        EXPECT_EQ(0, frame[i][3]);
        for (size_t b = 11; b < 17; ++b) {
            EXPECT_EQ(0, frame[i][b]);
        }
    }
    EXPECT_EQ(247, frame[0][4]);             // red of LED 0
    EXPECT_EQ(247, frame[1][9]);             // red of LED 12
    EXPECT_EQ(0, frame[1][10]);              // the second part has six LEDs
    EXPECT_EQ(59, frame[4][10]);             // green of LED 6: 60 x 255 / 256
    EXPECT_EQ(70 * 255 / 256, frame[5][4]);  // green of LED 7
}

}  // namespace
}  // namespace q840::protocol
