#include "core/profile/CBasicProfiledata.h"

#include "core/base/DebugLine.h"
#include "core/profile/JsonAccess.h"

namespace q840::profile {

using namespace json;

bool CBasicProfiledata::SaveCurrent() {
    return SaveNode(m_deviceNode, m_profilePath);
}

bool CBasicProfiledata::SaveNode(const Json::Value& value, const std::filesystem::path& path) {
    if (path.empty()) {
        return false;
    }
    JsonFileStore::ReadStatus status;
    Json::Value root = m_store.ReadJsonFile(path, &status);
    if (status == JsonFileStore::ReadStatus::Unreadable) {
        // Replacing a file we could not read would throw away its other members.
        DebugLine("SaveNode: %s cannot be read; not replaced", path.string().c_str());
        return false;
    }
    ElementAt(ArrayMember(root, "Device"), static_cast<Json::ArrayIndex>(m_deviceIndex)) = value;
    return m_store.WriteJsonFile(path, root) == 0;
}

bool CBasicProfiledata::SaveOtherNode(const std::filesystem::path& path) {
    return SaveNode(m_otherNode, path);
}

bool CBasicProfiledata::WriteFile(const Json::Value& value, const std::filesystem::path& path) {
    return m_store.WriteJsonFile(path, value) == 0;
}

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) {
        m_profilePath = path;
    }
}

void CBasicProfiledata::SetDefaultProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) {
        m_defaultProfilePath = path;
    }
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    // Pages pass 0; a wild index would make a huge "Device" array when the node is written.
    if (index >= 0 && index < 64) {
        m_deviceIndex = index;
    }
}

void CBasicProfiledata::SetCustomEffectSource(int lightListIndex, int customEffectBase) {
    m_lightListIndex = lightListIndex;
    m_customEffectBase = customEffectBase < 0 ? 0 : customEffectBase;
}

Json::Value CBasicProfiledata::LoadNodeWithRepair(const std::filesystem::path& path) {
    const auto index = static_cast<Json::ArrayIndex>(m_deviceIndex);
    JsonFileStore::ReadStatus status;
    Json::Value root = m_store.ReadJsonFile(path, &status);
    Json::Value node = Element(Member(root, "Device"), index);
    if (node.isNull()) {
        // No file, no "Device" or no element at the index: take the factory node and write it
        // into the file, keeping the file's other members (its name above all).
        const Json::Value defaults = m_store.ReadJsonFile(m_defaultProfilePath);
        node = Element(Member(defaults, "Device"), index);
        if (node.isNull()) {
            DebugLine("LoadDeviceNode: no default node in %s",
                      m_defaultProfilePath.string().c_str());
        }
        ElementAt(ArrayMember(root, "Device"), index) = node;
        if (!path.empty() && status != JsonFileStore::ReadStatus::Unreadable) {
            m_store.WriteJsonFile(path, root);
        }
    }
    return node;
}

Json::Value CBasicProfiledata::LoadDeviceNode(const std::filesystem::path& path) {
    m_deviceNode = LoadNodeWithRepair(path);
    return m_deviceNode;
}

Json::Value CBasicProfiledata::LoadOtherDeviceNode(const std::filesystem::path& path) {
    m_otherNode = LoadNodeWithRepair(path);
    return m_otherNode;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    m_lightConfig = m_store.ReadJsonFile(path);
    m_lightConfigLoadedFrom = path;
    return m_lightConfig;
}

LightSetting CBasicProfiledata::ReadLightSetting() {
    const Json::Value& info = Member(m_deviceNode, "LightInfo");
    LightSetting s{};
    if (info.isNull()) {
        s = m_fallbackLightSetting;
    } else {
        s = ReadLightInfo(info);
    }
    m_lightSetting = s;
    return s;
}

void CBasicProfiledata::WriteLightSetting(const LightSetting& s) {
    m_lightSetting = s;
    AsObject(m_deviceNode)["LightInfo"] = WriteLightInfo(s);
}

std::vector<LightSetting> CBasicProfiledata::ReadLightList() {
    std::vector<LightSetting> list;
    const Json::Value& arr = Member(m_deviceNode, "LightList");
    if (arr.isArray()) {
        list.reserve(arr.size());
        for (Json::ArrayIndex i = 0; i < arr.size(); ++i) {
            const Json::Value& e = arr[i];
            list.push_back(e.isObject() ? ReadLightListEntry(e) : LightSetting{});
        }
    }
    m_lightList = list;
    return list;
}

std::vector<LightEffectStep> CBasicProfiledata::ReadCustomEffectSteps() {
    std::vector<LightEffectStep> steps;
    const int item = m_lightSetting.effect;
    if (!m_lightConfig.isNull() && item >= m_customEffectBase) {
        const int listIndex = m_lightListIndex >= 0 ? m_lightListIndex : m_deviceIndex;
        const Json::Value& effect =
            Element(Element(Member(m_lightConfig, "LightInfo"), Json::ArrayIndex(listIndex)),
                    Json::ArrayIndex(item - m_customEffectBase));
        const std::string guid = String(Member(effect, "Guid"));
        if (IsSafeFileStem(guid)) {
            const std::filesystem::path folder = !m_customEffectFolder.empty()
                                                     ? m_customEffectFolder
                                                     : m_lightConfigLoadedFrom.parent_path();
            const Json::Value file = m_store.ReadJsonFile(folder / (guid + ".light"));
            const Json::Value& list = Member(file, "LEDEffectList");
            if (list.isArray()) {
                for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
                    const Json::Value& e = list[i];
                    LightEffectStep st{};
                    st.mode = MemberByte(e, "LEDREGMode");
                    st.brightness = MemberByte(e, "LEDBrightness");
                    st.speed = MemberByte(e, "LEDSpeed");
                    st.direction = MemberByte(e, "LEDDirection");
                    st.multiColour = MemberByte(e, "LEDMultiColor");
                    st.red = MemberByte(e, "red");
                    st.green = MemberByte(e, "green");
                    st.blue = MemberByte(e, "blue");
                    st.time = MemberInt32(e, "Time");
                    st.repetitions = MemberInt32(e, "Cyle");
                    steps.push_back(st);
                }
            }
        } else if (!guid.empty()) {
            DebugLine("ReadCustomEffectSteps: ignoring unsafe Guid \"%s\"", guid.c_str());
        }
    }
    m_customSteps = steps;
    return steps;
}

AudioLightSetting CBasicProfiledata::ReadAudioLightSetting() {
    const Json::Value& info = Member(m_deviceNode, "AudioLightInfo");
    AudioLightSetting a{};
    a.audioMode = MemberByte(info, "AudioMode");
    a.bkRed = MemberByte(info, "BkColorR");
    a.bkGreen = MemberByte(info, "BkColorG");
    a.bkBlue = MemberByte(info, "BkColorB");
    a.fgRed = MemberByte(info, "FgColorR");
    a.fgGreen = MemberByte(info, "FgColorG");
    a.fgBlue = MemberByte(info, "FgColorB");
    a.sevenColourFlags = MemberByte(info, "7ColorFlags");
    a.colourTypeFlags = MemberByte(info, "ColorTypeFlags");
    m_audioLightSetting = a;
    return a;
}

void CBasicProfiledata::WriteAudioLightSetting(const AudioLightSetting& a) {
    m_audioLightSetting = a;
    Json::Value& info = ObjectMember(m_deviceNode, "AudioLightInfo");
    info["AudioMode"] = a.audioMode;
    info["BkColorR"] = a.bkRed;
    info["BkColorG"] = a.bkGreen;
    info["BkColorB"] = a.bkBlue;
    info["FgColorR"] = a.fgRed;
    info["FgColorG"] = a.fgGreen;
    info["FgColorB"] = a.fgBlue;
    info["7ColorFlags"] = a.sevenColourFlags;
    info["ColorTypeFlags"] = a.colourTypeFlags;
}

std::vector<KeyAssignmentPair> CBasicProfiledata::ReadKeyList(const Json::Value& node) {
    std::vector<KeyAssignmentPair> pairs;
    const Json::Value& list = Member(node, "KeyList");
    if (list.isArray()) {
        pairs.reserve(list.size());
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            KeyAssignmentPair p;
            p.current.keyIndex = static_cast<uint16_t>(i);
            p.defaults.keyIndex = static_cast<uint16_t>(i);
            p.current.SetCode(static_cast<uint32_t>(Int(Member(list[i], "Assignment"))));
            p.defaults.SetCode(static_cast<uint32_t>(Int(Member(list[i], "DefaultAssignment"))));
            pairs.push_back(p);
        }
    }
    return pairs;
}

void CBasicProfiledata::WriteKeyList(Json::Value& node,
                                     const std::vector<KeyAssignmentPair>& pairs) {
    Json::Value& list = ArrayMember(node, "KeyList");
    for (size_t i = 0; i < pairs.size(); ++i) {
        AsObject(ElementAt(list, static_cast<Json::ArrayIndex>(i)))["Assignment"] =
            static_cast<Json::Int>(pairs[i].current.Code());
    }
}

std::vector<KeyAssignmentPair> CBasicProfiledata::ReadKeyAssignments() {
    m_keyPairs = ReadKeyList(m_deviceNode);
    return m_keyPairs;
}

std::vector<KeyAssignmentPair> CBasicProfiledata::ReadOtherKeyAssignments() {
    m_otherKeyPairs = ReadKeyList(m_otherNode);
    return m_otherKeyPairs;
}

void CBasicProfiledata::WriteKeyAssignments(const std::vector<KeyAssignmentPair>& pairs) {
    m_keyPairs = pairs;
    WriteKeyList(m_deviceNode, pairs);
}

void CBasicProfiledata::WriteOtherKeyAssignments(const std::vector<KeyAssignmentPair>& pairs) {
    m_otherKeyPairs = pairs;
    WriteKeyList(m_otherNode, pairs);
}

}  // namespace q840::profile
