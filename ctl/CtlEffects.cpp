#include "ctl/CtlEffects.h"

#include <cctype>

#include "core/base/UserFolders.h"
#include "core/catalogue/Catalogue.h"
#include "core/profile/FactoryData.h"
#include "core/profile/JsonFileStore.h"

namespace q840::ctl {

namespace {

Json::Value DefaultLightFile() {
    const std::string path =
        ExecutableFolder() + "DefaultData/" + std::string(profile::kBuiltInLightFile);
    Json::Value file = profile::JsonFileStore().ReadJsonFile(path);
    if (!file.isNull()) {
        return file;
    }
    // q840ctl without its data folder: the list the factory file is made from.
    for (const profile::FactoryFile& f : profile::BuildFactoryFiles()) {
        if (f.relativePath == profile::kBuiltInLightFile) {
            return f.content;
        }
    }
    return {};
}

std::string Folded(const std::string& text) {
    std::string folded;
    for (const char c : text) {
        if (c != ' ' && c != '-' && c != '_') {
            folded += char(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return folded;
}

}  // namespace

int LightListIndexOfType(uint16_t typeCode) {
    for (const catalogue::DeviceTypeRow& row : catalogue::kDeviceTypeTable) {
        if (row.typeCode == typeCode) {
            return row.lightListIndex;
        }
    }
    return -1;
}

std::string EnglishText(const std::string& key) {
    for (const profile::FactoryText& t : profile::FactoryTexts()) {
        if (key == t.key) {
            return t.english;
        }
    }
    return key;
}

EffectNames::EffectNames(int lightListIndex)
    : m_list(profile::ReadBuiltInEffects(DefaultLightFile(), lightListIndex)) {}

std::vector<int> EffectNames::Codes() const {
    std::vector<int> codes;
    for (const auto& e : m_list) {
        codes.push_back(e.code);
    }
    return codes;
}

std::string EffectNames::NameAt(int position) const {
    if (position < 0 || size_t(position) >= m_list.size()) {
        return {};
    }
    return EnglishText(m_list[size_t(position)].nameKey);
}

int EffectNames::FindOffered(const std::string& typed) const {
    const std::string wanted = Folded(typed);
    for (size_t i = 0; i < m_list.size(); ++i) {
        if (m_list[i].visible && !wanted.empty() && Folded(NameAt(int(i))) == wanted) {
            return int(i);
        }
    }
    return -1;
}

std::vector<std::string> EffectNames::OfferedNames() const {
    std::vector<std::string> names;
    for (size_t i = 0; i < m_list.size(); ++i) {
        if (m_list[i].visible) {
            names.push_back(NameAt(int(i)));
        }
    }
    return names;
}

}  // namespace q840::ctl
