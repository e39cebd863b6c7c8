#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "core/profile/BuiltInEffects.h"
#include "core/profile/CKeyboardProfiledata.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/CVa6533Profiledata.h"
#include "core/profile/FactoryData.h"
#include "core/profile/JsonAccess.h"
#include "core/profile/MouseOptions.h"
#include "tests/profile/ProfileTestSupport.h"

using namespace q840::profile;
using q840::test::ReadBytes;
using q840::test::TempDir;

namespace {

std::filesystem::path SourceDir() {
    const char* dir = std::getenv("Q840_SOURCE_DIR");
    return dir ? std::filesystem::path(dir) : std::filesystem::path(Q840_TEST_SOURCE_DIR);
}
std::filesystem::path DefaultData() {
    return SourceDir() / "DefaultData";
}

template <class Data>
void LoadFactory(Data& data, const TempDir& dir, const std::string& kind) {
    // A fresh profile made from the factory file, the way a new profile starts.
    data.SetDefaultProfilePath(DefaultData() / (kind + ".Json"));
    const auto profile = dir / (kind + "-new.Json");
    data.SetProfilePath(profile);
    data.SetDeviceIndex(0);
    ASSERT_FALSE(data.LoadDeviceNode(profile).isNull()) << kind;
}

}  // namespace

TEST(FactoryData, ShippedFilesAreTheGeneratedOnesInStoredForm) {
    for (const FactoryFile& file : BuildFactoryFiles()) {
        const auto path = DefaultData() / file.relativePath;
        ASSERT_TRUE(std::filesystem::exists(path)) << path;
        EXPECT_EQ(ReadBytes(path), JsonFileStore::StoredText(file.content))
            << file.relativePath << ": run q840_make_factory_data DefaultData skin";
        EXPECT_EQ(JsonFileStore().ReadJsonFile(path), file.content) << file.relativePath;
    }
}

TEST(FactoryData, MouseProfileLoadsIntoCompleteRecords) {
    TempDir dir;
    CMouseProfiledata data;
    LoadFactory(data, dir, "mouse");
    const Json::Value before = data.GetDeviceNode();

    const auto stages = data.ReadDpiStages();
    ASSERT_EQ(stages.size(), 7u);
    std::set<int> distinct;
    for (const DpiStage& s : stages) {
        EXPECT_EQ(s.enabled, 1);
        EXPECT_EQ(+s.dpiX, +s.dpiY);
        EXPECT_GT(s.red + s.green + s.blue, 0);
        distinct.insert(s.dpiX);
    }
    EXPECT_EQ(distinct.size(), 7u);
    EXPECT_LT(data.GetActiveDpiStage(), 7);

    // The eleven buttons carry the functions by which the page finds them in the key table.
    const uint32_t identification[11] = {0x100100, 0x100200, 0x100400, 0x101000, 0x100800, 0x130100,
                                         0x130200, 0x130300, 0xA01B00, 0x169001, 0x147802};
    const auto keys = data.ReadKeyAssignments();
    ASSERT_EQ(keys.size(), 11u);
    for (size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(keys[i].current.Code(), identification[i]) << i;
        EXPECT_EQ(keys[i].defaults.Code(), identification[i]) << i;
    }

    const LightSetting light = data.ReadLightSetting();
    EXPECT_LT(light.effect, 12);
    EXPECT_LE(light.brightness, 4);
    EXPECT_LE(light.speed, 4);
    EXPECT_EQ(data.ReadLightList().size(), 15u);

    const MouseSystemSettings sys = data.ReadSystemSettings();
    EXPECT_GT(sys.doubleClickTime, 0);
    EXPECT_GT(sys.mouseSpeed, 0);
    EXPECT_GT(sys.wheelScrollLines, 0);
    EXPECT_LE(sys.reportRate, 3);
    const Json::Value& report = data.GetDeviceNode()["ReportStages"];
    EXPECT_EQ(report.getMemberNames().size(), 9u);
    EXPECT_EQ(data.GetDeviceNode()["SystemStages"].getMemberNames().size(), 5u);
    EXPECT_EQ(data.GetDeviceNode(), before);  // reading created nothing: the node is complete
}

TEST(FactoryData, KeyboardProfileLoadsIntoCompleteRecords) {
    TempDir dir;
    CKeyboardProfiledata data;
    LoadFactory(data, dir, "keyboard");
    const Json::Value before = data.GetDeviceNode();
    const auto keys = data.ReadKeyAssignments();
    ASSERT_EQ(keys.size(), 170u);
    EXPECT_EQ(keys[0].defaults.Code(), 0x200029u);    // Esc
    EXPECT_EQ(keys[15].defaults.Code(), 0x200048u);   // end of the F-key run
    EXPECT_EQ(keys[110].defaults.Code(), 0xA00100u);  // Fn
    EXPECT_EQ(keys[124].defaults.Code(), 0xD0A205u);
    EXPECT_EQ(keys[169].defaults.Code(), 0x200000u);
    for (int g = 0; g < 5; ++g) {
        EXPECT_EQ(data.ReadCustomColours(g, 170).size(), 170u);
    }
    EXPECT_EQ(data.GetCustomGroupIndex(), 0);
    EXPECT_NE(data.ReadKeyboardSystemSettings(), (KeyboardSystemSettings{}));
    EXPECT_EQ(data.ReadLightList().size(), 170u);
    EXPECT_NE(data.ReadAudioLightSetting().fgRed, 0);
    EXPECT_EQ(data.GetDeviceNode(), before);
}

TEST(FactoryData, HeadsetAndMousePadProfilesLoadIntoCompleteRecords) {
    TempDir dir;
    CVa6533Profiledata hd;
    LoadFactory(hd, dir, "HD");
    const Json::Value before = hd.GetDeviceNode();
    const HeadsetSettings s = hd.ReadHeadsetSettings();
    EXPECT_GE(s[2], 1);
    EXPECT_LE(s[2], 12);
    EXPECT_EQ(hd.ReadEqBands(1), (std::vector<int32_t>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(hd.ReadEqBands(12), (std::vector<int32_t>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    for (int t = 0; t <= 14; ++t) {
        hd.ReadEqBands(t);
    }
    EXPECT_TRUE(hd.ReadCustomEqNames().empty());
    EXPECT_EQ(hd.ReadLightList().size(), 13u);
    EXPECT_EQ(hd.GetDeviceNode(), before);

    CBasicProfiledata pad;
    LoadFactory(pad, dir, "MousePad");
    EXPECT_EQ(pad.ReadLightList().size(), 15u);
    EXPECT_LE(pad.ReadLightSetting().effect, 8);
}

TEST(FactoryData, EffectNamesCoverEveryDeviceAndEveryLanguage) {
    const Json::Value light = JsonFileStore().ReadJsonFile(DefaultData() / "default_light.json");
    const Json::Value& lists = light["DefaultLightName"];
    ASSERT_EQ(lists.size(), 4u);
    EXPECT_EQ(lists[1].size(), 12u);  // the mouse: effects 0 to 11
    EXPECT_GE(lists[2].size(), 9u);   // mouse pad and headset: 0 to 8
    EXPECT_GE(lists[3].size(), 9u);
    ASSERT_EQ(light["AreaLightName"].size(), 4u);

    const std::string english = ReadBytes(SourceDir() / "skin/lan_en.d/profile.xml");
    const std::string chinese = ReadBytes(SourceDir() / "skin/lan_cn.d/profile.xml");
    auto hasKey = [](const std::string& xml, const std::string& key) {
        return xml.find("<Text key=\"" + key + "\">") != std::string::npos;
    };
    for (Json::ArrayIndex d = 0; d < 4; ++d) {
        std::set<int> codes;
        for (const Json::Value& e : lists[d]) {
            const std::string key = e["LightName"].asString();
            EXPECT_TRUE(hasKey(english, key)) << key;
            EXPECT_TRUE(hasKey(chinese, key)) << key;
            EXPECT_TRUE(e["visible"].isInt());
            EXPECT_TRUE(codes.insert(e["value"].asInt()).second) << "duplicate code in " << d;
        }
        for (const Json::Value& e : light["AreaLightName"][d]) {
            EXPECT_TRUE(hasKey(english, e["LightName"].asString()));
            EXPECT_TRUE(hasKey(chinese, e["LightName"].asString()));
        }
    }
    // Effects whose positions the lighting editor and the synchronised lighting rely on.
    EXPECT_EQ(lists[1][10]["LightName"].asString(), "Light_Off");
    EXPECT_EQ(lists[2][8]["LightName"].asString(), "Light_Off");
    EXPECT_EQ(lists[0][16]["value"].asInt(), 28);
}

TEST(FactoryData, MouseEffectListAndOptionsAreThoseThePageShows) {
    const Json::Value light = JsonFileStore().ReadJsonFile(DefaultData() / kBuiltInLightFile);
    const auto effects = ReadBuiltInEffects(light, 1);
    ASSERT_EQ(effects.size(), 12u);
    EXPECT_EQ(effects[4].nameKey, "Light_Ripple");
    EXPECT_EQ(effects[4].code, 4);
    EXPECT_TRUE(effects[4].visible);
    EXPECT_FALSE(effects[9].visible) << "custom effects are offered by their own names";
    EXPECT_TRUE(ReadBuiltInEffects(light, 4).empty());
    EXPECT_TRUE(ReadBuiltInEffects(light, -1).empty());

    // The layout's choices, item by item, are the tables q840ctl offers.
    const std::string power = ReadBytes(SourceDir() / "skin/XML/DeviceXml/mouse_power.xml");
    const std::string dpi = ReadBytes(SourceDir() / "skin/XML/DeviceXml/mouse_dpi.xml");
    auto items = [](const std::string& xml, const std::string& combo, const char* attribute) {
        std::vector<std::string> values;
        const size_t start = xml.find("<Combo name=\"" + combo + "\"");
        const size_t end = xml.find("</Combo>", start);
        const std::string key = std::string(attribute) + "=\"";
        for (size_t at = xml.find(key, start); at < end; at = xml.find(key, at)) {
            at += key.size();
            values.push_back(xml.substr(at, xml.find('"', at) - at));
        }
        return values;
    };
    auto numbers = [](const auto& table) {
        std::vector<std::string> values;
        for (const int v : table) {
            values.push_back(std::to_string(v));
        }
        return values;
    };
    for (const char* combo : {"ble_sleep1_combo", "device_sleep1_combo"}) {
        EXPECT_EQ(items(power, combo, "userdata"), numbers(kLightsOffMinutes)) << combo;
    }
    for (const char* combo : {"ble_sleep2_combo", "device_sleep2_combo"}) {
        EXPECT_EQ(items(power, combo, "userdata"), numbers(kSleepMinutes)) << combo;
    }
    std::vector<std::string> debounce;
    for (const int ms : kDebounceMs) {
        debounce.push_back("mouse_ms_" + std::to_string(ms));
    }
    EXPECT_EQ(items(dpi, "Anti_Shake_combo_timeSelect", "text"), debounce);
    for (size_t i = 0; i < kReportRatesHz.size(); ++i) {
        EXPECT_NE(dpi.find("name=\"polling_rate_option_" + std::to_string(i) +
                           "\" group=\"polling_rate\" class=\"segment\" text=\"mouse_rate_" +
                           std::to_string(kReportRatesHz[i]) + "\""),
                  std::string::npos)
            << i;
    }
}

TEST(FactoryData, AudioPresetsAreComplete) {
    const Json::Value audio = JsonFileStore().ReadJsonFile(DefaultData() / "AudioFile.json");
    const Json::Value& style = audio["Device"]["AudioLightInfo"];
    ASSERT_TRUE(style.isObject());
    EXPECT_EQ(style.getMemberNames().size(), 1u + 4u + 12u);
    for (int p = 0; p < 4; ++p) {
        EXPECT_FALSE(style["nStyleName" + std::to_string(p + 1)].asString().empty());
        for (const char* c : {"nStyleR", "nStyleG", "nStyleB"}) {
            const int level = style[c + std::to_string(p)].asInt();
            EXPECT_GE(level, 0);
            EXPECT_LE(level, 9);
        }
    }
}

TEST(FactoryData, ShootPatternsHoldThirtyBulletsOfSixSteps) {
    for (int gun = 0; gun < 4; ++gun) {
        const Json::Value shoot = JsonFileStore().ReadJsonFile(
            DefaultData() / ("ShootData_" + std::to_string(gun) + ".Shoot"));
        const Json::Value& events = shoot["Events"];
        ASSERT_EQ(events.size(), 180u) << gun;
        for (Json::ArrayIndex b = 0; b < 30; ++b) {
            const Json::Value& press = events[6 * b];
            EXPECT_EQ(press["Action"].asString(), "down");
            EXPECT_EQ(press["Type"].asInt(), 1);
            EXPECT_EQ(events[6 * b + 1]["Action"].asString(), "up");
            EXPECT_EQ(events[6 * b + 2]["Type"].asInt(), 4);
            EXPECT_EQ(events[6 * b + 3]["Type"].asInt(), 5);
            EXPECT_GT(events[6 * b + 3]["Delay"].asInt(), 0);
            EXPECT_EQ(events[6 * b + 4]["Button"].asInt(), 0);
            EXPECT_EQ(events[6 * b + 5]["Button"].asInt(), 0);
            for (int k = 0; k < 6; ++k) {
                EXPECT_TRUE(events[6 * b + k]["Delay"].isInt());
                EXPECT_LE(events[6 * b + k]["Button"].asInt(), 255);
            }
        }
    }
}

TEST(FactoryData, ExampleCustomEffectPlaysThroughTheMouseProfile) {
    TempDir dir;
    CMouseProfiledata data;
    LoadFactory(data, dir, "mouse");
    data.LoadLightConfig(DefaultData() / "examples/zelta_light.config");
    data.SetCustomEffectSource(1, 12);
    LightSetting s = data.ReadLightSetting();
    s.effect = 12;
    data.WriteLightSetting(s);
    const auto steps = data.ReadCustomEffectSteps();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].red, 255);
    EXPECT_GT(steps[0].time, 0);
    EXPECT_GT(steps[0].repetitions, 0);
}
