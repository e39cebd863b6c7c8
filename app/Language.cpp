#include "app/Language.h"

#include "core/base/DebugLine.h"
#include "core/profile/JsonFileStore.h"
#include "platform/AppSettings.h"
#include "platform/Paths.h"
#include "platform/ui/CResourceManager.h"

namespace q840 {

namespace {
constexpr uint32_t kNoStoredLanguage = 520;

QString Text(const Json::Value& value, const char* key) {
    const Json::Value& member = value[key];
    return member.isString() ? QString::fromStdString(member.asString()) : QString();
}
}  // namespace

std::vector<LanguageEntry> ReadLanguageList() {
    std::vector<LanguageEntry> list;
    const Json::Value root =
        profile::JsonFileStore().ReadJsonFile((DefaultsFolder() + "Language.config").toStdString());
    if (!root.isObject() || !root["Language"].isArray()) {
        return list;
    }
    for (const Json::Value& item : root["Language"]) {
        if (!item.isObject()) {
            continue;
        }
        LanguageEntry entry;
        entry.id = item["Language_ID"].isIntegral() ? item["Language_ID"].asInt() : 0;
        entry.name = Text(item, "Language_name");
        entry.file = Text(item, "Language_file");
        entry.text = Text(item, "Language_text");
        list.push_back(entry);
    }
    return list;
}

int ReadStoredLanguageIndex() {
    const uint32_t stored = AppSettings::ReadLanguage().value_or(kNoStoredLanguage);
    const std::vector<LanguageEntry> list = ReadLanguageList();
    for (size_t i = 0; i < list.size(); ++i) {
        if (static_cast<uint32_t>(list[i].id) == stored) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int FindLanguageIndex(const QString& file) {
    if (file.isEmpty()) {
        return -1;
    }
    const std::vector<LanguageEntry> list = ReadLanguageList();
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].file.compare(file, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ApplyLanguageIndex(int index, bool store) {
    const std::vector<LanguageEntry> list = ReadLanguageList();
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        return false;
    }
    const LanguageEntry& entry = list[static_cast<size_t>(index)];
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    resources.SetLanguage(entry.name);
    resources.LoadLanguage(entry.file);
    resources.ReloadText();
    if (store && AppSettings::WriteLanguage(static_cast<uint32_t>(entry.id))) {
        DebugLine("写成功！");
    }
    return true;
}

}  // namespace q840
