#include "core/profile/CKeyboardProfiledata.h"

#include "core/profile/JsonAccess.h"

namespace q840::profile {

using namespace json;

namespace {
constexpr const char* kSystemKeys[6] = {"Repeat",      "RepeatDelay", "Key6Flag",
                                        "PollingRate", "WFlag",       "WinFlag"};

Json::Value ZeroColour() {
    Json::Value c(Json::objectValue);
    c["Alpha"] = 0;
    c["Blue"] = 0;
    c["Green"] = 0;
    c["Red"] = 0;
    return c;
}
}  // namespace

KeyboardSystemSettings CKeyboardProfiledata::ReadKeyboardSystemSettings() {
    KeyboardSystemSettings words{};
    const Json::Value& sys = Member(m_deviceNode, "SystemStages");
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = MemberWord(sys, kSystemKeys[i]);
    }
    m_systemWords = words;
    return words;
}

void CKeyboardProfiledata::WriteKeyboardSystemSettings(const KeyboardSystemSettings& words) {
    m_systemWords = words;
    Json::Value& sys = ObjectMember(m_deviceNode, "SystemStages");
    for (size_t i = 0; i < words.size(); ++i) {
        sys[kSystemKeys[i]] = words[i];
    }
}

std::vector<KeyColour> CKeyboardProfiledata::ReadCustomColours(int group, int count) {
    std::vector<KeyColour> colours;
    if (group < 0 || group >= kMaxCustomGroups || count < 0 || count > kMaxCustomColours) {
        return colours;
    }
    Json::Value& groups =
        ArrayMember(ObjectMember(m_deviceNode, "CustomLightMode"), "LightColorInfo");
    Json::Value& entries = AsArray(ElementAt(groups, static_cast<Json::ArrayIndex>(group)));
    colours.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Json::Value& e = ElementAt(entries, static_cast<Json::ArrayIndex>(i));
        if (!e.isObject()) {
            e = ZeroColour();
        }
        KeyColour c;
        c.red = MemberByte(e, "Red");
        c.green = MemberByte(e, "Green");
        c.blue = MemberByte(e, "Blue");
        c.alpha = MemberByte(e, "Alpha");
        colours.push_back(c);
    }
    m_customColours = colours;
    return colours;
}

void CKeyboardProfiledata::WriteCustomColours(const std::vector<KeyColour>& colours, int group) {
    if (group < 0 || group >= kMaxCustomGroups) {
        return;
    }
    m_customColours = colours;
    Json::Value& groups =
        ArrayMember(ObjectMember(m_deviceNode, "CustomLightMode"), "LightColorInfo");
    Json::Value& entries = AsArray(ElementAt(groups, static_cast<Json::ArrayIndex>(group)));
    for (size_t i = 0; i < colours.size(); ++i) {
        Json::Value& e = AsObject(ElementAt(entries, static_cast<Json::ArrayIndex>(i)));
        e["Red"] = colours[i].red;
        e["Green"] = colours[i].green;
        e["Blue"] = colours[i].blue;
        e["Alpha"] = colours[i].alpha;
    }
}

void CKeyboardProfiledata::SetCustomGroupIndex(int group) {
    m_customGroupIndex = group;
    ObjectMember(m_deviceNode, "CustomLightMode")["CustomLightModeGroupIndex"] = group;
}

int CKeyboardProfiledata::GetCustomGroupIndex() {
    m_customGroupIndex =
        Int32(Member(Member(m_deviceNode, "CustomLightMode"), "CustomLightModeGroupIndex"));
    return m_customGroupIndex;
}

}  // namespace q840::profile
