#include <gtest/gtest.h>

#include <cstring>

#include "core/profile/CBasicProfiledata.h"
#include "tests/profile/ProfileTestSupport.h"

using namespace q840::profile;
using q840::test::ReadBytes;
using q840::test::TempDir;
using q840::test::WriteBytes;

namespace {

Json::Value Parse(const std::string& text) {
    Json::Value v = JsonFileStore::ParseText(text);
    EXPECT_FALSE(v.isNull()) << text;
    return v;
}

// A profile folder with a default profile, the way a page sets one up.
struct ProfileFixture : ::testing::Test {
    TempDir dir;
    JsonFileStore store;
    std::filesystem::path defaults = dir / "mouse.Json";
    std::filesystem::path profile = dir / "2024_02_01_09_05_03_007.Json";

    void SetUp() override {
        store.WriteJsonFile(defaults, Parse(R"({"profilename":"factory","Device":[{
            "LightInfo":{"SelectItem":1,"Light":4,"Speed":2,"Fx":0,"MultiColor":1,
                         "Red":255,"Green":0,"Blue":0,"ZZCCLedMode":0,"CustomGroup":0,
                         "OldLedmode":0},
            "KeyList":[{"Assignment":1048832,"DefaultAssignment":1048832}]}]})"));
    }
    void Prepare(CBasicProfiledata& data) {
        data.SetDefaultProfilePath(defaults);
        data.SetProfilePath(profile);
        data.SetDeviceIndex(0);
    }
};

}  // namespace

TEST_F(ProfileFixture, ProfileWithoutNodeIsRepairedFromDefaultKeepingItsNames) {
    store.WriteJsonFile(profile, Parse(R"({"profilename":"Gaming","profileUUID":"2024_02_01"})"));
    CBasicProfiledata data;
    Prepare(data);
    const Json::Value node = data.LoadDeviceNode(profile);
    EXPECT_EQ(node["LightInfo"]["Red"].asInt(), 255);

    const Json::Value root = store.ReadJsonFile(profile);
    EXPECT_EQ(root["profilename"].asString(), "Gaming");
    EXPECT_EQ(root["profileUUID"].asString(), "2024_02_01");
    EXPECT_EQ(root["Device"][0], store.ReadJsonFile(defaults)["Device"][0]);

    // A second load finds the node and leaves the file alone.
    const std::string bytes = ReadBytes(profile);
    WriteBytes(defaults, "");
    EXPECT_EQ(data.LoadDeviceNode(profile), node);
    EXPECT_EQ(ReadBytes(profile), bytes);
}

TEST_F(ProfileFixture, MissingProfileAndMissingDefaultLeaveANullNode) {
    std::filesystem::remove(defaults);
    CBasicProfiledata data;
    Prepare(data);
    EXPECT_TRUE(data.LoadDeviceNode(profile).isNull());
    EXPECT_EQ(ReadBytes(profile), "{\r\n   \"Device\" : [ null ]\r\n}\r\n\r\n");
    // Every reader then gives its empty result.
    EXPECT_EQ(data.ReadLightSetting().effect, 0);
    EXPECT_TRUE(data.ReadLightList().empty());
    EXPECT_TRUE(data.ReadKeyAssignments().empty());
    EXPECT_EQ(data.ReadAudioLightSetting().audioMode, 0);
}

TEST_F(ProfileFixture, SaveNodeRewritesOnlyItsDeviceElement) {
    store.WriteJsonFile(profile, Parse(R"({"profilename":"P","profileUUID":"U","extra":[1,2],
                                          "Device":[{"old":1},{"second":2}]})"));
    CBasicProfiledata data;
    Prepare(data);
    data.LoadDeviceNode(profile);
    data.DeviceNode()["old"] = 5;
    ASSERT_TRUE(data.SaveCurrent());
    const Json::Value root = store.ReadJsonFile(profile);
    EXPECT_EQ(root, Parse(R"({"profilename":"P","profileUUID":"U","extra":[1,2],
                             "Device":[{"old":5},{"second":2}]})"));

    // Saving into a file that does not exist yet creates it.
    ASSERT_TRUE(data.SaveNode(Parse(R"({"x":1})"), dir / "new.Json"));
    EXPECT_EQ(store.ReadJsonFile(dir / "new.Json"), Parse(R"({"Device":[{"x":1}]})"));
    // A profile path that exists but cannot be read is not replaced.
    std::filesystem::create_directory(dir / "folder.Json");
    EXPECT_FALSE(data.SaveNode(Parse(R"({"x":1})"), dir / "folder.Json"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.Json"));
    // No profile path: nothing is written and the failure is reported.
    CBasicProfiledata unset;
    EXPECT_FALSE(unset.SaveCurrent());
}

TEST_F(ProfileFixture, LightSettingReadingRulesAndWriteBack) {
    CBasicProfiledata data;
    data.SetDeviceNode(Parse(R"({"LightInfo":{"SelectItem":3,"Light":300,"Speed":"2","Fx":1,
        "MultiColor":7,"Red":{"r":1},"Green":128,"Blue":-1,"ZZCCLedMode":2,"CustomGroup":4,
        "OldLedmode":6,"Unknown":9}})"));
    LightSetting s = data.ReadLightSetting();
    EXPECT_EQ(s.effect, 3);
    EXPECT_EQ(s.brightness, 44);  // 300 cut to 8 bits
    EXPECT_EQ(s.speed, 0);        // a string is not a number
    EXPECT_EQ(s.direction, 1);
    EXPECT_EQ(s.multiColour, 1);  // 7 is "on"
    EXPECT_EQ(s.red, 0);
    EXPECT_EQ(s.green, 128);
    EXPECT_EQ(s.blue, 255);
    EXPECT_EQ(s.secondaryMode, 2);
    EXPECT_EQ(s.customGroup, 4);
    EXPECT_EQ(s.previousMode, 6);
    EXPECT_EQ(s.present(), 0);

    data.WriteLightSetting(s);
    EXPECT_EQ(data.GetDeviceNode()["LightInfo"],
              Parse(R"({"SelectItem":3,"Light":44,"Speed":0,"Fx":1,"MultiColor":1,"Red":0,
                       "Green":128,"Blue":255,"ZZCCLedMode":2,"CustomGroup":4,"OldLedmode":6})"));

    data.SetDeviceNode(Parse(R"({"LightInfo":{"MultiColor":true}})"));
    EXPECT_EQ(data.ReadLightSetting().multiColour, 1);
    data.SetDeviceNode(Parse(R"({"KeyList":[]})"));
    const LightSetting fallback = data.ReadLightSetting();
    EXPECT_EQ(fallback.effect, 0);
    EXPECT_EQ(fallback.red, 0);
}

TEST_F(ProfileFixture, LightListTellsNullFromEmptyEntries) {
    CBasicProfiledata data;
    data.SetDeviceNode(Parse(R"({"LightList":[null,{},{"LEDREGMode":2,"LEDBrightness":3,
        "LEDSpeed":4,"LEDDirection":5,"LEDMultiColor":false,"red":1,"green":2,"blue":258},7]})"));
    const auto list = data.ReadLightList();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].present(), 0);
    EXPECT_EQ(list[1].present(), 1);
    EXPECT_EQ(list[1].effect, 0);
    EXPECT_EQ(list[2].effect, 2);
    EXPECT_EQ(list[2].brightness, 3);
    EXPECT_EQ(list[2].speed, 4);
    EXPECT_EQ(list[2].direction, 1);
    EXPECT_EQ(list[2].multiColour, 0);
    EXPECT_EQ(list[2].blue, 2);
    EXPECT_EQ(list[3].present(), 0);  // neither null nor object: no entry
    data.SetDeviceNode(Parse(R"({"LightList":{"0":null}})"));
    EXPECT_TRUE(data.ReadLightList().empty());
}

TEST_F(ProfileFixture, KeyAssignmentsSplitCodesAndWritingKeepsDefaults) {
    CBasicProfiledata data;
    data.SetDeviceNode(Parse(R"({"KeyList":[
        {"Assignment":1048832,"DefaultAssignment":1048832},
        {"Assignment":7340288,"DefaultAssignment":1049088},
        {"Assignment":"x"}]})"));
    auto pairs = data.ReadKeyAssignments();
    ASSERT_EQ(pairs.size(), 3u);
    for (uint16_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pairs[i].current.keyIndex, i);
        EXPECT_EQ(pairs[i].defaults.keyIndex, i);
    }
    EXPECT_EQ(pairs[1].current.group, 0x70);
    EXPECT_EQ(pairs[1].current.param1, 0x01);
    EXPECT_EQ(pairs[1].current.param2, 0x00);
    EXPECT_EQ(pairs[1].defaults.Code(), 0x100200u);
    EXPECT_EQ(pairs[2].current.Code(), 0u);

    pairs[0].current.SetCode(0xA01B00);
    pairs[2].current.SetCode(0x160901);
    data.WriteKeyAssignments(pairs);
    EXPECT_EQ(data.GetDeviceNode()["KeyList"], Parse(R"([
        {"Assignment":10492672,"DefaultAssignment":1048832},
        {"Assignment":7340288,"DefaultAssignment":1049088},
        {"Assignment":1444097}])"));
}

TEST_F(ProfileFixture, OtherNodeEditsAnotherProfileWithoutTouchingTheCurrentOne) {
    const auto other = dir / "other.Json";
    store.WriteJsonFile(other, Parse(R"({"profilename":"O","Device":[{"KeyList":[
        {"Assignment":7340288,"DefaultAssignment":1048832}]}]})"));
    CBasicProfiledata data;
    Prepare(data);
    data.LoadDeviceNode(profile);
    const Json::Value current = data.GetDeviceNode();
    data.LoadOtherDeviceNode(other);
    auto pairs = data.ReadOtherKeyAssignments();
    ASSERT_EQ(pairs.size(), 1u);
    pairs[0].current = pairs[0].defaults;
    data.WriteOtherKeyAssignments(pairs);
    ASSERT_TRUE(data.SaveOtherNode(other));
    EXPECT_EQ(store.ReadJsonFile(other)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 1048832);
    EXPECT_EQ(store.ReadJsonFile(other)["profilename"].asString(), "O");
    EXPECT_EQ(data.GetDeviceNode(), current);
}

TEST_F(ProfileFixture, CustomEffectStepsComeFromTheGuidFile) {
    store.WriteJsonFile(dir / "zelta_light.config",
                        Parse(R"({"LightInfo":[[],[{"LightName":"Mine","Guid":"fx-1"},
                                 {"LightName":"Gone","Guid":"fx-missing"},
                                 {"LightName":"Evil","Guid":"../outside"},
                                 {"LightName":"Abs","Guid":"/tmp/abs"},
                                 {"LightName":"NotText","Guid":5}]]})"));
    store.WriteJsonFile(dir / "fx-1.light",
                        Parse(R"({"LEDEffectList":[{"LEDREGMode":1,"LEDBrightness":4,
                                 "LEDSpeed":2,"LEDDirection":1,"LEDMultiColor":0,"red":10,
                                 "green":20,"blue":300,"Time":500,"Cyle":3},{}]})"));
    // A file where the unsafe Guid would lead, to prove it is not followed.
    store.WriteJsonFile(dir.path().parent_path() / "outside.light",
                        Parse(R"({"LEDEffectList":[{"LEDREGMode":9}]})"));

    CBasicProfiledata data;
    data.LoadLightConfig(dir / "zelta_light.config");
    data.SetCustomEffectSource(1, 12);  // mouse: 12 built-in effects, light list index 1
    auto select = [&](uint8_t item) {
        LightSetting s{};
        s.effect = item;
        data.WriteLightSetting(s);
        return data.ReadCustomEffectSteps();
    };
    auto steps = select(12);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].mode, 1);
    EXPECT_EQ(steps[0].blue, 44);
    EXPECT_EQ(steps[0].time, 500);
    EXPECT_EQ(steps[0].repetitions, 3);
    EXPECT_EQ(steps[1].time, 0);
    EXPECT_TRUE(select(13).empty());  // ".light" file missing
    EXPECT_TRUE(select(14).empty());  // unsafe Guid
    EXPECT_TRUE(select(15).empty());  // absolute Guid
    EXPECT_TRUE(select(16).empty());  // Guid is not text
    EXPECT_TRUE(select(17).empty());  // no such effect
    EXPECT_TRUE(select(3).empty());   // a built-in effect
    std::filesystem::remove(dir.path().parent_path() / "outside.light");

    // Without a light configuration nothing is read.
    CBasicProfiledata none;
    none.LoadLightConfig(dir / "missing.config");
    EXPECT_TRUE(none.ReadCustomEffectSteps().empty());
}

TEST_F(ProfileFixture, DamagedFilesNeverThrowAndAreRepairedOnWrite) {
    const char* damaged[] = {
        R"({"Device":"not an array"})",
        R"({"Device":[5]})",
        R"({"Device":[{"LightInfo":[1,2],"KeyList":{"a":1},"AudioLightInfo":"x"}]})",
        R"([1,2,3])",
        R"("just text")",
    };
    for (const char* text : damaged) {
        WriteBytes(profile, text);
        CBasicProfiledata data;
        Prepare(data);
        data.LoadDeviceNode(profile);
        data.ReadLightSetting();
        data.ReadLightList();
        data.ReadKeyAssignments();
        data.ReadAudioLightSetting();
        data.WriteLightSetting(LightSetting{});
        data.WriteKeyAssignments({KeyAssignmentPair{}});
        data.WriteAudioLightSetting(AudioLightSetting{});
        ASSERT_TRUE(data.SaveCurrent()) << text;
        const Json::Value root = store.ReadJsonFile(profile);
        EXPECT_TRUE(root["Device"][0]["LightInfo"].isObject()) << text;
        EXPECT_EQ(root["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0) << text;
    }
}

TEST_F(ProfileFixture, AudioLightSettingRoundTrips) {
    CBasicProfiledata data;
    AudioLightSetting a{2, 1, 2, 3, 4, 5, 6, 1, 1};
    data.WriteAudioLightSetting(a);
    EXPECT_EQ(data.GetDeviceNode()["AudioLightInfo"],
              Parse(R"({"AudioMode":2,"BkColorR":1,"BkColorG":2,"BkColorB":3,"FgColorR":4,
                       "FgColorG":5,"FgColorB":6,"7ColorFlags":1,"ColorTypeFlags":1})"));
    const AudioLightSetting b = data.ReadAudioLightSetting();
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST_F(ProfileFixture, PathSettersIgnoreEmptyPathsAndWildIndices) {
    CBasicProfiledata data;
    Prepare(data);
    data.SetProfilePath("");
    data.SetDefaultProfilePath("");
    EXPECT_EQ(data.GetProfilePath(), profile);
    EXPECT_EQ(data.GetDefaultProfilePath(), defaults);
    data.SetDeviceIndex(-1);
    data.SetDeviceIndex(1 << 30);
    EXPECT_EQ(data.GetDeviceIndex(), 0);
}
