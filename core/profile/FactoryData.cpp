#include "core/profile/FactoryData.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace q840::profile {

namespace {

Json::Value Object() {
    return Json::Value(Json::objectValue);
}
Json::Value Array() {
    return Json::Value(Json::arrayValue);
}

Json::Value Profile(const Json::Value& node) {
    Json::Value root = Object();
    root["profilename"] = "Profile1";
    root["profileUUID"] = "";
    root["Device"] = Array();
    root["Device"].append(node);
    return root;
}

Json::Value LightInfo(int selectItem, int light, int speed, int fx, int multi, int r, int g,
                      int b) {
    Json::Value info = Object();
    info["SelectItem"] = selectItem;
    info["Light"] = light;
    info["Speed"] = speed;
    info["Fx"] = fx;
    info["MultiColor"] = multi;
    info["Red"] = r;
    info["Green"] = g;
    info["Blue"] = b;
    info["ZZCCLedMode"] = 0;
    info["CustomGroup"] = 0;
    info["OldLedmode"] = 0;
    return info;
}

// One null per LED: no LED has a light setting of its own.
Json::Value EmptyLightList(int leds) {
    Json::Value list = Array();
    for (int i = 0; i < leds; ++i) {
        list.append(Json::Value());
    }
    return list;
}

Json::Value KeyList(const std::vector<uint32_t>& codes) {
    Json::Value list = Array();
    for (const uint32_t code : codes) {
        Json::Value key = Object();
        key["Assignment"] = static_cast<Json::Int>(code);
        key["DefaultAssignment"] = static_cast<Json::Int>(code);
        list.append(key);
    }
    return list;
}

constexpr uint32_t Code(uint32_t group, uint32_t p1, uint32_t p2) {
    return (group << 16) | (p1 << 8) | p2;
}

// The mouse's eleven buttons keep the functions by which the page recognises them in the key
// table: left, right, middle, forward, back, the three sensitivity steps, the "fire" key, and
// the two keyboard functions of the side buttons.
Json::Value MouseNode() {
    Json::Value node = Object();
    node["LightInfo"] = LightInfo(3, 3, 2, 0, 1, 255, 0, 0);
    node["LightList"] = EmptyLightList(15);
    node["KeyList"] =
        KeyList({Code(0x10, 0x01, 0x00), Code(0x10, 0x02, 0x00), Code(0x10, 0x04, 0x00),
                 Code(0x10, 0x10, 0x00), Code(0x10, 0x08, 0x00), Code(0x13, 0x01, 0x00),
                 Code(0x13, 0x02, 0x00), Code(0x13, 0x03, 0x00), Code(0xA0, 0x1B, 0x00),
                 Code(0x16, 0x90, 0x01), Code(0x14, 0x78, 0x02)});
    // Sensor indices in 50 DPI steps (index i = 50 i + 50 DPI): 400, 800, 1200, 1600, 2400,
    // 3200 and 4800 DPI, each with its indicator colour.
    struct Stage {
        int index, r, g, b;
    };
    const Stage stages[7] = {{7, 255, 0, 0},     {15, 0, 255, 0},   {23, 0, 0, 255},
                             {31, 255, 255, 0},  {47, 0, 255, 255}, {63, 255, 0, 255},
                             {95, 255, 255, 255}};
    Json::Value dpi = Object();
    dpi["StageActive"] = 1;
    dpi["StageDPIs"] = Array();
    for (const Stage& s : stages) {
        Json::Value e = Object();
        e["StageActive"] = 1;
        e["StageXY"] = 0;
        e["StageDPIX"] = s.index;
        e["StageDPIY"] = s.index;
        e["StageColorR"] = s.r;
        e["StageColorG"] = s.g;
        e["StageColorB"] = s.b;
        dpi["StageDPIs"].append(e);
    }
    node["DPIStages"] = dpi;
    Json::Value sys = Object();
    sys["DoubleClickTime"] = 500;
    sys["MouseSpeed"] = 10;
    sys["PointerPrecision"] = 1;
    sys["ScorllPage"] = 0;
    sys["WheelScorlllinse"] = 3;
    node["SystemStages"] = sys;
    Json::Value rep = Object();
    rep["StageActive"] = 3;  // report rate option 3: 1000 Hz
    rep["SilentAltitude"] = 0;
    rep["Linear_Calibration"] = 0;
    rep["Ripple"] = 0;
    rep["ble_sleep1"] = 1;
    rep["ble_sleep2"] = 10;
    rep["device_sleep1"] = 1;
    rep["device_sleep2"] = 10;
    rep["key_debounce_time"] = 1;
    node["ReportStages"] = rep;
    return node;
}

// The keyboard's 170 keys by their identifying functions (type 0x20 keyboard keys with the
// modifier bit or HID usage, 0xA0/0xD0 special functions), in UI key order.
std::vector<uint32_t> KeyboardCodes() {
    std::vector<uint32_t> c(170, Code(0x20, 0, 0));
    auto run = [&c](int first, int last, uint32_t group, uint32_t p1, uint32_t p2) {
        for (int k = first; k <= last; ++k) {
            c[size_t(k)] = Code(group, p1, p2 + uint32_t(k - first));
        }
    };
    run(0, 0, 0x20, 0, 0x29);
    run(1, 15, 0x20, 0, 0x3A);
    run(16, 16, 0xA0, 0x1B, 0);
    run(17, 17, 0xA0, 0x24, 0);
    run(21, 21, 0x20, 0, 0x35);
    run(22, 31, 0x20, 0, 0x1E);
    run(32, 33, 0x20, 0, 0x2D);
    run(34, 34, 0x20, 0, 0x2A);
    run(35, 37, 0x20, 0, 0x49);
    run(38, 41, 0x20, 0, 0x53);
    run(42, 42, 0x20, 0, 0x2B);
    run(43, 43, 0x20, 0, 0x14);
    run(44, 44, 0x20, 0, 0x1A);
    run(45, 45, 0x20, 0, 0x08);
    run(46, 46, 0x20, 0, 0x15);
    run(47, 47, 0x20, 0, 0x17);
    run(48, 48, 0x20, 0, 0x1C);
    run(49, 49, 0x20, 0, 0x18);
    run(50, 50, 0x20, 0, 0x0C);
    run(51, 52, 0x20, 0, 0x12);
    run(53, 55, 0x20, 0, 0x2F);
    run(56, 58, 0x20, 0, 0x4C);
    run(59, 61, 0x20, 0, 0x5F);
    run(62, 62, 0x20, 0, 0x32);
    run(63, 63, 0x20, 0, 0x39);
    run(64, 64, 0x20, 0, 0x04);
    run(65, 65, 0x20, 0, 0x16);
    run(66, 66, 0x20, 0, 0x07);
    run(67, 69, 0x20, 0, 0x09);
    run(70, 72, 0x20, 0, 0x0D);
    run(73, 74, 0x20, 0, 0x33);
    run(75, 75, 0x20, 0, 0x28);
    run(76, 78, 0x20, 0, 0x5C);
    run(79, 80, 0x20, 0, 0x8A);
    run(81, 82, 0x20, 0, 0x90);
    run(83, 83, 0x20, 0, 0x88);
    run(84, 84, 0x20, 0x02, 0);
    run(85, 85, 0x20, 0, 0x1D);
    run(86, 86, 0x20, 0, 0x1B);
    run(87, 87, 0x20, 0, 0x06);
    run(88, 88, 0x20, 0, 0x19);
    run(89, 89, 0x20, 0, 0x05);
    run(90, 90, 0x20, 0, 0x11);
    run(91, 91, 0x20, 0, 0x10);
    run(92, 94, 0x20, 0, 0x36);
    run(95, 95, 0x20, 0x20, 0);
    run(96, 96, 0x20, 0, 0x52);
    run(97, 99, 0x20, 0, 0x59);
    run(100, 100, 0x20, 0, 0x87);
    run(101, 101, 0x20, 0, 0x89);
    run(102, 102, 0x20, 0, 0x64);
    run(103, 103, 0x20, 0, 0x85);
    run(105, 105, 0x20, 0x01, 0);
    run(106, 106, 0x20, 0x08, 0);
    run(107, 107, 0x20, 0x04, 0);
    run(108, 108, 0x20, 0, 0x2C);
    run(109, 109, 0x20, 0x40, 0);
    run(110, 110, 0xA0, 0x01, 0);
    run(111, 111, 0x20, 0, 0x65);
    run(112, 112, 0x20, 0x10, 0);
    run(113, 114, 0x20, 0, 0x50);
    run(115, 115, 0x20, 0, 0x4F);
    run(116, 117, 0x20, 0, 0x62);
    run(118, 118, 0x20, 0, 0x58);
    run(119, 119, 0x20, 0, 0x57);
    run(120, 124, 0xD0, 0xA2, 0x01);
    run(125, 125, 0x20, 0x80, 0);
    return c;
}

Json::Value KeyboardNode() {
    Json::Value node = Object();
    node["LightInfo"] = LightInfo(3, 3, 2, 0, 1, 255, 255, 255);
    node["LightList"] = EmptyLightList(170);
    node["KeyList"] = KeyList(KeyboardCodes());
    Json::Value audio = Object();
    audio["AudioMode"] = 0;
    audio["BkColorR"] = 0;
    audio["BkColorG"] = 0;
    audio["BkColorB"] = 255;
    audio["FgColorR"] = 255;
    audio["FgColorG"] = 0;
    audio["FgColorB"] = 0;
    audio["7ColorFlags"] = 1;
    audio["ColorTypeFlags"] = 1;
    node["AudioLightInfo"] = audio;
    // Five custom colour groups of 170 keys: the first all white, the others dark.
    Json::Value custom = Object();
    custom["CustomLightModeGroupIndex"] = 0;
    custom["LightColorInfo"] = Array();
    for (int g = 0; g < 5; ++g) {
        Json::Value group = Array();
        const int level = g == 0 ? 255 : 0;
        for (int k = 0; k < 170; ++k) {
            Json::Value c = Object();
            c["Red"] = level;
            c["Green"] = level;
            c["Blue"] = level;
            c["Alpha"] = 255;
            group.append(c);
        }
        custom["LightColorInfo"].append(group);
    }
    node["CustomLightMode"] = custom;
    Json::Value sys = Object();
    sys["Repeat"] = 2;
    sys["RepeatDelay"] = 2;
    sys["Key6Flag"] = 0;
    sys["PollingRate"] = 3;
    sys["WFlag"] = 0;
    sys["WinFlag"] = 0;
    node["SystemStages"] = sys;
    return node;
}

Json::Value MousePadNode() {
    Json::Value node = Object();
    node["LightInfo"] = LightInfo(0, 3, 2, 1, 1, 255, 0, 0);
    node["LightList"] = EmptyLightList(15);
    return node;
}

// Ten band values for each built-in equaliser type 1 to 12; the array is indexed by type, so
// entry 0 (no equaliser) is flat.
constexpr std::array<std::array<int, 10>, 13> kEqTable = {{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
    {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
}};

Json::Value HeadsetNode() {
    Json::Value node = Object();
    node["LightInfo"] = LightInfo(0, 3, 2, 1, 1, 255, 0, 0);
    node["LightList"] = EmptyLightList(13);
    Json::Value set = Object();
    set["MagicEnable"] = 0;
    set["MagicType"] = 0;
    set["EqType"] = 5;  // flat
    set["CustomEqSeletIndex"] = 0;
    set["MicInSelect"] = 1;
    set["MicInValue"] = 80;
    set["MicMoniterSelect"] = 0;
    set["MicMoniterValue"] = 50;
    node["SystemSetStages"] = set;
    Json::Value eq = Array();
    for (const auto& row : kEqTable) {
        Json::Value bands = Array();
        for (const int v : row) {
            Json::Value band = Object();
            band["value"] = v;
            bands.append(band);
        }
        eq.append(bands);
    }
    node["EQHzValueInfo"] = eq;
    node["CustomEQNameInfo"] = Array();
    node["CustomEQHzValueInfo"] = Array();
    return node;
}

struct Effect {
    const char* key;
    int visible;
    int value;
};

Json::Value EffectList(std::initializer_list<Effect> effects) {
    Json::Value list = Array();
    for (const Effect& e : effects) {
        Json::Value entry = Object();
        entry["LightName"] = e.key;
        entry["visible"] = e.visible;
        entry["value"] = e.value;
        list.append(entry);
    }
    return list;
}

Json::Value AreaList(std::initializer_list<const char*> names) {
    Json::Value list = Array();
    for (const char* name : names) {
        Json::Value entry = Object();
        entry["LightName"] = name;
        list.append(entry);
    }
    return list;
}

// Effect lists by light list index: keyboard 0, mouse 1, mouse pad 2, headset 3. An entry's
// position is the select item; "value" is the effect's code on the device.
Json::Value DefaultLight() {
    Json::Value root = Object();
    root["DefaultLightName"] = Array();
    root["DefaultLightName"].append(EffectList({
        {"Light_Wave", 1, 1},          {"Light_Ripple_Wave", 1, 2}, {"Light_Spin", 1, 3},
        {"Light_Spectrum", 1, 4},      {"Light_Breath", 1, 5},      {"Light_Static", 1, 6},
        {"Light_Reactive", 1, 7},      {"Light_Ripple", 1, 8},      {"Light_Rain", 1, 9},
        {"Light_Key_Fade", 1, 10},     {"Light_Secondary", 1, 11},  {"Light_Snake", 1, 12},
        {"Light_Custom", 1, 20},       {"Light_Flow", 1, 13},       {"Light_Rotate", 1, 14},
        {"Light_Marquee", 1, 15},      {"Light_Off", 1, 28},        {"Light_Audio", 1, 29},
        {"Light_Audio_Colour", 1, 30},
    }));
    // The mouse: effect 9 plays the steps of a custom effect, which the page offers by name
    // after the built-in ones, and 11 is reserved; both stay in the list to keep the indices.
    root["DefaultLightName"].append(EffectList({
        {"Light_Static", 1, 0},
        {"Light_Breath", 1, 1},
        {"Light_Wave", 1, 2},
        {"Light_Spectrum", 1, 3},
        {"Light_Ripple", 1, 4},
        {"Light_Breath_Four", 1, 5},
        {"Light_Blink", 1, 6},
        {"Light_Reactive", 1, 7},
        {"Light_Blink_Four", 1, 8},
        {"Light_Custom", 0, 9},
        {"Light_Off", 1, 10},
        {"Light_Reserved", 0, 11},
    }));
    const std::initializer_list<Effect> padEffects = {
        {"Light_Wave", 1, 0},   {"Light_Spectrum", 1, 1}, {"Light_Breath", 1, 2},
        {"Light_Static", 1, 3}, {"Light_Blink", 1, 4},    {"Light_Neon", 1, 5},
        {"Light_Flow", 1, 6},   {"Light_Meteor", 1, 7},   {"Light_Off", 1, 8},
    };
    root["DefaultLightName"].append(EffectList(padEffects));
    root["DefaultLightName"].append(EffectList(padEffects));
    root["AreaLightName"] = Array();
    root["AreaLightName"].append(AreaList({"Area_All_Keys"}));
    root["AreaLightName"].append(AreaList({"Area_Logo", "Area_Wheel", "Area_Side"}));
    root["AreaLightName"].append(AreaList({"Area_Edge"}));
    root["AreaLightName"].append(AreaList({"Area_Earcup"}));
    return root;
}

Json::Value AudioFile() {
    Json::Value style = Object();
    style["nAudioStyle"] = 0;
    const char* names[4] = {"第一组", "第二组", "第三组", "第四组"};
    const int levels[4][3] = {{5, 5, 5}, {9, 3, 1}, {1, 3, 9}, {3, 9, 3}};
    for (int p = 0; p < 4; ++p) {
        style["nStyleName" + std::to_string(p + 1)] = names[p];
        style["nStyleR" + std::to_string(p)] = levels[p][0];
        style["nStyleG" + std::to_string(p)] = levels[p][1];
        style["nStyleB" + std::to_string(p)] = levels[p][2];
    }
    Json::Value root = Object();
    root["Device"] = Object();
    root["Device"]["AudioLightInfo"] = style;
    return root;
}

// An example light configuration with one custom mouse effect (a red pulse followed by a blue
// flash) so that the custom effect path can be tried: copy both files into the mouse's folder.
Json::Value ExampleLightConfig() {
    Json::Value root = Object();
    root["LightInfo"] = Array();
    for (int i = 0; i < 4; ++i) {
        root["LightInfo"].append(Array());
    }
    Json::Value effect = Object();
    effect["LightName"] = "Red pulse";
    effect["Guid"] = "Q840_Example_RedPulse";
    root["LightInfo"][1].append(effect);
    return root;
}

Json::Value ExampleLightEffect() {
    struct Step {
        int mode, brightness, speed, r, g, b, time, cycles;
    };
    const Step steps[3] = {{1, 4, 3, 255, 0, 0, 2000, 3},
                           {6, 4, 4, 0, 0, 255, 1000, 2},
                           {0, 2, 0, 255, 0, 0, 1000, 1}};
    Json::Value list = Array();
    for (const Step& s : steps) {
        Json::Value e = Object();
        e["LEDREGMode"] = s.mode;
        e["LEDBrightness"] = s.brightness;
        e["LEDSpeed"] = s.speed;
        e["LEDDirection"] = 0;
        e["LEDMultiColor"] = 0;
        e["red"] = s.r;
        e["green"] = s.g;
        e["blue"] = s.b;
        e["Time"] = s.time;
        e["Cyle"] = s.cycles;
        list.append(e);
    }
    Json::Value root = Object();
    root["LEDEffectList"] = list;
    return root;
}

Json::Value MacroEvent(const char* action, int button, int delay, int type) {
    Json::Value e = Object();
    e["Action"] = action;
    e["Button"] = button;
    e["Delay"] = delay;
    e["Type"] = type;
    return e;
}

// Factory shoot pattern of gun n: 30 bullets of six steps each (left press for 10 ms, release,
// horizontal move then 5 ms, vertical move then the pause, two zero moves). The pull is downwards
// ("up" on the vertical axis), growing over the first bullets as recoil builds up, with a small
// sideways correction later in the burst.
Json::Value ShootFile(int gun) {
    struct Gun {
        int basePull, maxPull, pause, driftFrom;
    };
    const Gun guns[4] = {{2, 6, 85, 10}, {1, 4, 50, 15}, {3, 7, 70, 8}, {1, 3, 120, 30}};
    const Gun& g = guns[gun];
    Json::Value events = Array();
    for (int b = 0; b < 30; ++b) {
        const int pull = std::min(g.maxPull, g.basePull + b / 3);
        const int drift = b >= g.driftFrom ? 1 : 0;
        const char* xDirection = (b / 5) % 2 == 0 ? "down" : "up";  // left, then right
        events.append(MacroEvent("down", 1, 10, 1));
        events.append(MacroEvent("up", 1, 0, 1));
        events.append(MacroEvent(xDirection, drift, 5, 4));
        events.append(MacroEvent("up", pull, g.pause, 5));
        events.append(MacroEvent(xDirection, 0, 0, 4));
        events.append(MacroEvent("up", 0, 0, 5));
    }
    Json::Value root = Object();
    root["Events"] = events;
    return root;
}

// Colour picker palette: 20 preset colours (AARRGGBB, upper case) and 20 empty collection slots.
Json::Value Palette() {
    const char* presets[20] = {"FFFF0000", "FFFF4000", "FFFF8000", "FFFFC000", "FFFFFF00",
                               "FF80FF00", "FF00FF00", "FF00FF80", "FF00FFFF", "FF0080FF",
                               "FF0000FF", "FF4000FF", "FF8000FF", "FFC000FF", "FFFF00FF",
                               "FFFF0080", "FFFFFFFF", "FFC0C0C0", "FF808080", "FF404040"};
    Json::Value info = Object();
    info["palletDialogcoloroption"] = Array();
    info["palletDialogcollectcoloroption"] = Array();
    for (int i = 0; i < 20; ++i) {
        Json::Value preset = Object();
        preset["color"] = presets[i];
        info["palletDialogcoloroption"].append(preset);
        Json::Value slot = Object();
        // An empty slot has the colour of a raised control, so that it reads as empty (not as
        // a kept white) on the dark window.
        slot["color"] = "FF272B34";
        slot["UserData"] = "0";
        info["palletDialogcollectcoloroption"].append(slot);
    }
    info["palletDialogcoloroption_selectitem"] = 0;
    info["palletDialogcollectcoloroption_selectitem"] = 0;
    Json::Value root = Object();
    root["coloroptioninfo"] = info;
    return root;
}

}  // namespace

std::vector<FactoryFile> BuildFactoryFiles() {
    return {
        {"mouse.Json", Profile(MouseNode())},
        {"keyboard.Json", Profile(KeyboardNode())},
        {"MousePad.Json", Profile(MousePadNode())},
        {"HD.Json", Profile(HeadsetNode())},
        {"default_light.json", DefaultLight()},
        {"AudioFile.json", AudioFile()},
        {"ShootData_0.Shoot", ShootFile(0)},
        {"ShootData_1.Shoot", ShootFile(1)},
        {"ShootData_2.Shoot", ShootFile(2)},
        {"ShootData_3.Shoot", ShootFile(3)},
        {"color_option_info.config", Palette()},
        {"examples/zelta_light.config", ExampleLightConfig()},
        {"examples/Q840_Example_RedPulse.light", ExampleLightEffect()},
    };
}

const std::vector<FactoryText>& FactoryTexts() {
    static const std::vector<FactoryText> texts = {
        {"Light_Static", "Static", "常亮"},
        {"Light_Breath", "Breathing", "呼吸"},
        {"Light_Wave", "Wave", "波浪"},
        {"Light_Spectrum", "Spectrum cycle", "七彩循环"},
        {"Light_Ripple", "Ripple", "涟漪"},
        {"Light_Ripple_Wave", "Ripple wave", "波纹"},
        {"Light_Breath_Four", "Four-colour breathing", "四色呼吸"},
        {"Light_Blink", "Flashing", "闪烁"},
        {"Light_Blink_Four", "Four-colour flashing", "四色闪烁"},
        {"Light_Reactive", "Reactive", "触发"},
        {"Light_Custom", "Custom", "自定义"},
        {"Light_Off", "Off", "关闭"},
        {"Light_Reserved", "Reserved", "保留"},
        {"Light_Spin", "Spin", "旋转"},
        {"Light_Rain", "Rain", "雨滴"},
        {"Light_Key_Fade", "Key fade", "按键渐隐"},
        {"Light_Secondary", "Secondary effects", "二级灯效"},
        {"Light_Snake", "Snake", "贪吃蛇"},
        {"Light_Flow", "Flow", "流光"},
        {"Light_Rotate", "Rotate", "转动"},
        {"Light_Marquee", "Marquee", "跑马灯"},
        {"Light_Audio", "Music spectrum", "音乐频谱"},
        {"Light_Audio_Colour", "Music colour", "音乐变色"},
        {"Light_Neon", "Neon", "霓虹"},
        {"Light_Meteor", "Meteor", "流星"},
        {"Area_All_Keys", "All keys", "全部按键"},
        {"Area_Logo", "Logo", "标志"},
        {"Area_Wheel", "Wheel", "滚轮"},
        {"Area_Side", "Side", "侧边"},
        {"Area_Edge", "Edge", "边缘"},
        {"Area_Earcup", "Ear cups", "耳罩"},
    };
    return texts;
}

}  // namespace q840::profile
