#include <gtest/gtest.h>

#include "core/profile/CKeyboardProfiledata.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/CVa6533Profiledata.h"
#include "tests/profile/ProfileTestSupport.h"

using namespace q840::profile;
using q840::test::TempDir;

namespace {
Json::Value Parse(const std::string& text) {
    Json::Value v = JsonFileStore::ParseText(text);
    EXPECT_FALSE(v.isNull()) << text;
    return v;
}

Json::Value StageJson(int enabled, int x, int r) {
    Json::Value e;
    e["StageActive"] = enabled;
    e["StageXY"] = 0;
    e["StageDPIX"] = x;
    e["StageDPIY"] = x;
    e["StageColorR"] = r;
    e["StageColorG"] = 0;
    e["StageColorB"] = 0;
    return e;
}
}  // namespace

TEST(MouseProfile, DpiStagesMergeIntoTheKeptSequence) {
    CMouseProfiledata data;
    Json::Value node;
    node["DPIStages"]["StageActive"] = 3;
    for (int i = 0; i < 6; ++i) {
        node["DPIStages"]["StageDPIs"].append(StageJson(1, 10 + i, i));
    }
    data.SetDeviceNode(node);
    auto stages = data.ReadDpiStages();
    ASSERT_EQ(stages.size(), 6u);
    EXPECT_EQ(data.GetActiveDpiStage(), 3);

    // Four stages read after six: stages 5 and 6 of the earlier state stay in place.
    node["DPIStages"]["StageDPIs"].clear();
    for (int i = 0; i < 4; ++i) {
        node["DPIStages"]["StageDPIs"].append(StageJson(0, 70000 + i, 300));
    }
    node["DPIStages"]["StageActive"] = 1;
    data.SetDeviceNode(node);
    stages = data.ReadDpiStages();
    ASSERT_EQ(stages.size(), 6u);
    EXPECT_EQ(+stages[0].dpiX, 70000 - 65536);  // cut to 16 bits
    EXPECT_EQ(stages[0].red, 300 - 256);
    EXPECT_EQ(+stages[3].dpiX, 70003 - 65536);
    EXPECT_EQ(+stages[4].dpiX, 14);
    EXPECT_EQ(+stages[5].dpiX, 15);
    EXPECT_EQ(stages[5].enabled, 1);
    EXPECT_EQ(data.GetActiveDpiStage(), 1);

    // Without "DPIStages" nothing changes.
    data.SetDeviceNode(Json::Value());
    EXPECT_EQ(data.ReadDpiStages().size(), 6u);
    EXPECT_EQ(data.GetActiveDpiStage(), 1);
}

TEST(MouseProfile, DpiStagesAndActiveStageAreWrittenIntoTheNode) {
    CMouseProfiledata data;
    data.SetDeviceNode(Parse(R"({"DPIStages":{"StageActive":0,"StageDPIs":[{"Extra":1}]}})"));
    DpiStage s{1, 1, 0x1234, 0x0102, 255, 128, 7};
    data.WriteDpiStages({s, DpiStage{}});
    data.SetActiveDpiStage(1);
    EXPECT_EQ(data.GetDeviceNode()["DPIStages"], Parse(R"({"StageActive":1,"StageDPIs":[
        {"Extra":1,"StageActive":1,"StageXY":1,"StageDPIX":4660,"StageDPIY":258,
         "StageColorR":255,"StageColorG":128,"StageColorB":7},
        {"StageActive":0,"StageXY":0,"StageDPIX":0,"StageDPIY":0,
         "StageColorR":0,"StageColorG":0,"StageColorB":0}]})"));
    EXPECT_EQ(data.GetActiveDpiStage(), 1);
}

TEST(MouseProfile, SystemSettingsReadRulesAndWriteBack) {
    CMouseProfiledata data;
    data.SetDeviceNode(Parse(R"({"SystemStages":{"DoubleClickTime":500,"MouseSpeed":10,
        "PointerPrecision":1,"ScorllPage":0,"WheelScorlllinse":3}})"));
    MouseSystemSettings s = data.ReadSystemSettings();
    EXPECT_EQ(s.doubleClickTime, 500);
    EXPECT_EQ(s.mouseSpeed, 10);
    EXPECT_EQ(s.pointerPrecision, 1);
    EXPECT_EQ(s.wheelScrollLines, 3);
    EXPECT_EQ(s.reportRate, 0);  // no "ReportStages": the other ten words are 0
    EXPECT_EQ(s.keyDebounceTime, 0);

    // "ReportStages" alone is not read without "SystemStages".
    data.SetDeviceNode(Parse(R"({"ReportStages":{"StageActive":3}})"));
    EXPECT_EQ(data.ReadSystemSettings().reportRate, 0);

    s = MouseSystemSettings{1, 2, 3, 4, 5, 6, 7, 8, 9, 99, 11, 12, 13, 14, 15};
    data.SetDeviceNode(Json::Value());
    data.WriteSystemSettings(s);
    EXPECT_EQ(data.GetDeviceNode(), Parse(R"({
        "SystemStages":{"DoubleClickTime":1,"MouseSpeed":2,"PointerPrecision":3,
                        "ScorllPage":4,"WheelScorlllinse":5},
        "ReportStages":{"StageActive":6,"SilentAltitude":7,"Linear_Calibration":8,"Ripple":9,
                        "ble_sleep1":11,"ble_sleep2":12,"device_sleep1":13,"device_sleep2":14,
                        "key_debounce_time":15}})"));
    const MouseSystemSettings back = data.ReadSystemSettings();
    EXPECT_EQ(back.reserved, 0);  // never stored
    EXPECT_EQ(back.keyDebounceTime, 15);
    EXPECT_EQ(back.ripple, 9);
}

TEST(MouseProfile, ProfileSurvivesASaveAndLoadCycle) {
    TempDir dir;
    CMouseProfiledata data;
    data.SetProfilePath(dir / "p.Json");
    LightSetting light{};
    light.effect = 2;
    light.multiColour = 1;
    data.WriteLightSetting(light);
    data.WriteDpiStages({DpiStage{1, 0, 20, 20, 1, 2, 3}});
    data.SetActiveDpiStage(0);
    data.WriteSystemSettings(MouseSystemSettings{500, 10, 1, 0, 3, 2});
    ASSERT_TRUE(data.SaveCurrent());

    CMouseProfiledata again;
    again.SetProfilePath(dir / "p.Json");
    again.LoadDeviceNode(dir / "p.Json");
    EXPECT_EQ(again.ReadLightSetting().effect, 2);
    EXPECT_EQ(again.ReadLightSetting().multiColour, 1);
    ASSERT_EQ(again.ReadDpiStages().size(), 1u);
    EXPECT_EQ(again.GetDpiStages()[0].blue, 3);
    EXPECT_EQ(again.ReadSystemSettings().reportRate, 2);
}

TEST(KeyboardProfile, CustomColoursCreateMissingGroupsAndEntries) {
    CKeyboardProfiledata data;
    const auto colours = data.ReadCustomColours(2, 170);
    ASSERT_EQ(colours.size(), 170u);
    for (const KeyColour& c : colours) {
        EXPECT_EQ(c.red | c.green | c.blue | c.alpha, 0);
    }
    const Json::Value& groups = data.GetDeviceNode()["CustomLightMode"]["LightColorInfo"];
    ASSERT_EQ(groups.size(), 3u);
    ASSERT_EQ(groups[2].size(), 170u);
    EXPECT_EQ(groups[2][169], Parse(R"({"Red":0,"Green":0,"Blue":0,"Alpha":0})"));

    // Existing entries are read, cut to 8 bits; a short group is filled up.
    data.SetDeviceNode(Parse(R"({"CustomLightMode":{"LightColorInfo":[
        [{"Red":255,"Green":256,"Blue":"1","Alpha":1}, 7]]}})"));
    const auto read = data.ReadCustomColours(0, 3);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].red, 255);
    EXPECT_EQ(read[0].green, 0);
    EXPECT_EQ(read[0].blue, 0);
    EXPECT_EQ(read[0].alpha, 1);
    EXPECT_EQ(data.GetDeviceNode()["CustomLightMode"]["LightColorInfo"][0].size(), 3u);
    EXPECT_TRUE(data.GetDeviceNode()["CustomLightMode"]["LightColorInfo"][0][1].isObject());

    // Requests far outside what a keyboard has change nothing.
    const Json::Value before = data.GetDeviceNode();
    EXPECT_TRUE(data.ReadCustomColours(-1, 5).empty());
    EXPECT_TRUE(data.ReadCustomColours(1000000, 5).empty());
    EXPECT_TRUE(data.ReadCustomColours(0, 1 << 30).empty());
    EXPECT_EQ(data.GetDeviceNode(), before);
}

TEST(KeyboardProfile, CustomColoursGroupIndexAndSystemWordsWriteBack) {
    CKeyboardProfiledata data;
    data.WriteCustomColours({KeyColour{1, 2, 3, 4}, KeyColour{5, 6, 7, 8}}, 1);
    EXPECT_EQ(data.GetDeviceNode()["CustomLightMode"]["LightColorInfo"][1][1],
              Parse(R"({"Red":5,"Green":6,"Blue":7,"Alpha":8})"));
    EXPECT_EQ(data.GetCustomGroupIndex(), 0);
    data.SetCustomGroupIndex(3);
    EXPECT_EQ(data.GetCustomGroupIndex(), 3);

    EXPECT_EQ(data.ReadKeyboardSystemSettings(), (KeyboardSystemSettings{}));
    data.WriteKeyboardSystemSettings({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(data.GetDeviceNode()["SystemStages"],
              Parse(R"({"Repeat":1,"RepeatDelay":2,"Key6Flag":3,"PollingRate":4,
                       "WFlag":5,"WinFlag":6})"));
    EXPECT_EQ(data.ReadKeyboardSystemSettings(), (KeyboardSystemSettings{1, 2, 3, 4, 5, 6}));
}

TEST(Va6533Profile, EqBandsTypeMappingAndNodeCreation) {
    TempDir dir;
    CVa6533Profiledata data;
    data.SetProfilePath(dir / "hd.Json");
    Json::Value node;
    for (int t = 0; t <= 2; ++t) {
        Json::Value bands;
        for (int i = 0; i < 10; ++i) {
            bands[i]["value"] = t * 100 + i;
        }
        node["EQHzValueInfo"][t] = bands;
    }
    data.SetDeviceNode(node);
    const std::vector<int32_t> type1 = data.ReadEqBands(1);
    ASSERT_EQ(type1.size(), 10u);
    EXPECT_EQ(type1[9], 109);
    EXPECT_EQ(data.ReadEqBands(0), type1);
    EXPECT_EQ(data.ReadEqBands(14), type1);
    EXPECT_EQ(data.ReadEqBands(2)[0], 200);
    EXPECT_TRUE(data.ReadEqBands(13).empty());
    EXPECT_EQ(data.GetDeviceNode()["EQHzValueInfo"].size(), 3u);  // type 13 created nothing

    // A type the file lacks reads as ten zeros and leaves ten "value": 0 entries to be saved.
    EXPECT_EQ(data.ReadEqBands(7), std::vector<int32_t>(10, 0));
    ASSERT_TRUE(data.SaveCurrent());
    const Json::Value saved = JsonFileStore().ReadJsonFile(dir / "hd.Json")["Device"][0];
    ASSERT_EQ(saved["EQHzValueInfo"][7].size(), 10u);
    EXPECT_EQ(saved["EQHzValueInfo"][7][9], Parse(R"({"value":0})"));

    data.WriteEqBands(12, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    EXPECT_EQ(data.GetDeviceNode()["EQHzValueInfo"][12].size(), 10u);
    EXPECT_EQ(data.ReadEqBands(12)[9], 10);
    const Json::Value before = data.GetDeviceNode();
    data.WriteEqBands(13, {5});
    EXPECT_EQ(data.GetDeviceNode(), before);
}

TEST(Va6533Profile, SettingsCustomNamesAndCustomBands) {
    CVa6533Profiledata data;
    EXPECT_EQ(data.ReadHeadsetSettings(), (HeadsetSettings{}));
    data.WriteHeadsetSettings({1, 2, 13, 1, 1, 80, 0, -5});
    EXPECT_EQ(data.GetDeviceNode()["SystemSetStages"],
              Parse(R"({"MagicEnable":1,"MagicType":2,"EqType":13,"CustomEqSeletIndex":1,
                       "MicInSelect":1,"MicInValue":80,"MicMoniterSelect":0,
                       "MicMoniterValue":-5})"));
    EXPECT_EQ(data.ReadHeadsetSettings(), (HeadsetSettings{1, 2, 13, 1, 1, 80, 0, -5}));

    data.WriteCustomEqNames({L"Bass 低音", L"Voice"});
    EXPECT_EQ(data.GetDeviceNode()["CustomEQNameInfo"][0]["Name"].asString(), "Bass 低音");
    EXPECT_EQ(data.ReadCustomEqNames(), (std::vector<std::wstring>{L"Bass 低音", L"Voice"}));

    EXPECT_EQ(data.ReadCustomEqBands(1), std::vector<int32_t>(10, 0));
    EXPECT_EQ(data.GetDeviceNode()["CustomEQHzValueInfo"][1].size(), 10u);
    data.WriteCustomEqBands(0, {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0});
    EXPECT_EQ(data.ReadCustomEqBands(0)[4], -11);
    EXPECT_TRUE(data.ReadCustomEqBands(-1).empty());
    EXPECT_TRUE(data.ReadCustomEqBands(100000).empty());

    data.SetDeviceNode(Parse(R"({"CustomEQNameInfo":[{"Name":5},{},{"Name":"ok"}]})"));
    EXPECT_EQ(data.ReadCustomEqNames(), (std::vector<std::wstring>{L"", L"", L"ok"}));
}
