#include "core/profile/CVa6533Profiledata.h"

#include "core/profile/JsonAccess.h"

namespace q840::profile {

using namespace json;

namespace {
constexpr const char* kSettingKeys[8] = {"MagicEnable",        "MagicType",      "EqType",
                                         "CustomEqSeletIndex", "MicInSelect",    "MicInValue",
                                         "MicMoniterSelect",   "MicMoniterValue"};
}  // namespace

HeadsetSettings CVa6533Profiledata::ReadHeadsetSettings() {
    HeadsetSettings s{};
    const Json::Value& stages = Member(m_deviceNode, "SystemSetStages");
    for (size_t i = 0; i < s.size(); ++i) {
        s[i] = MemberInt32(stages, kSettingKeys[i]);
    }
    m_settings = s;
    return s;
}

void CVa6533Profiledata::WriteHeadsetSettings(const HeadsetSettings& s) {
    m_settings = s;
    Json::Value& stages = ObjectMember(m_deviceNode, "SystemSetStages");
    for (size_t i = 0; i < s.size(); ++i) {
        stages[kSettingKeys[i]] = s[i];
    }
}

int CVa6533Profiledata::EqIndexOfType(int type) {
    if (type == kCustomEqType) {
        return -1;
    }
    if (type >= 1 && type <= 12) {
        return type;
    }
    return 1;
}

std::vector<int32_t> CVa6533Profiledata::ReadBands(Json::Value& sets, int index) {
    std::vector<int32_t> values;
    Json::Value& bands = AsArray(ElementAt(AsArray(sets), static_cast<Json::ArrayIndex>(index)));
    for (int i = 0; i < kBandCount; ++i) {
        Json::Value& band = ElementAt(bands, static_cast<Json::ArrayIndex>(i));
        Json::Value& value = AsObject(band)["value"];
        if (value.isNull()) {
            value = 0;
        }
        values.push_back(Int32(value));
    }
    return values;
}

void CVa6533Profiledata::WriteBands(Json::Value& sets, int index,
                                    const std::vector<int32_t>& values) {
    Json::Value& bands = AsArray(ElementAt(AsArray(sets), static_cast<Json::ArrayIndex>(index)));
    for (size_t i = 0; i < values.size() && i < size_t(kBandCount); ++i) {
        AsObject(ElementAt(bands, static_cast<Json::ArrayIndex>(i)))["value"] = values[i];
    }
}

std::vector<int32_t> CVa6533Profiledata::ReadEqBands(int type) {
    const int u = EqIndexOfType(type);
    if (u < 0) {
        m_eqBands.clear();
        return {};
    }
    m_eqBands = ReadBands(ArrayMember(m_deviceNode, "EQHzValueInfo"), u);
    return m_eqBands;
}

void CVa6533Profiledata::WriteEqBands(int type, const std::vector<int32_t>& values) {
    const int u = EqIndexOfType(type);
    if (u < 0) {
        return;
    }
    WriteBands(ArrayMember(m_deviceNode, "EQHzValueInfo"), u, values);
}

std::vector<std::wstring> CVa6533Profiledata::ReadCustomEqNames() {
    std::vector<std::wstring> names;
    const Json::Value& list = Member(m_deviceNode, "CustomEQNameInfo");
    if (list.isArray()) {
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            names.push_back(Utf8ToWide(String(Member(list[i], "Name"))));
        }
    }
    m_customEqNames = names;
    return names;
}

void CVa6533Profiledata::WriteCustomEqNames(const std::vector<std::wstring>& names) {
    m_customEqNames = names;
    Json::Value list(Json::arrayValue);
    for (const std::wstring& name : names) {
        Json::Value e(Json::objectValue);
        e["Name"] = WideToUtf8(name);
        list.append(e);
    }
    AsObject(m_deviceNode)["CustomEQNameInfo"] = list;
}

std::vector<int32_t> CVa6533Profiledata::ReadCustomEqBands(int k) {
    if (k < 0 || k >= kMaxCustomEq) {
        return {};
    }
    m_customEqBands = ReadBands(ArrayMember(m_deviceNode, "CustomEQHzValueInfo"), k);
    return m_customEqBands;
}

void CVa6533Profiledata::WriteCustomEqBands(int k, const std::vector<int32_t>& values) {
    if (k < 0 || k >= kMaxCustomEq) {
        return;
    }
    WriteBands(ArrayMember(m_deviceNode, "CustomEQHzValueInfo"), k, values);
}

}  // namespace q840::profile
