#include "windows/PaletteFile.h"

#include <QString>
#include <cstdio>

#include "core/profile/JsonAccess.h"
#include "core/profile/JsonFileStore.h"

namespace q840::windows {

namespace {

constexpr const char* kInfo = "coloroptioninfo";
constexpr const char* kPresets = "palletDialogcoloroption";
constexpr const char* kPresetSelected = "palletDialogcoloroption_selectitem";
constexpr const char* kCollected = "palletDialogcollectcoloroption";
constexpr const char* kCollectedSelected = "palletDialogcollectcoloroption_selectitem";

}  // namespace

std::string PaletteColourText(uint32_t argb) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", unsigned(argb));
    return text;
}

void EnsurePaletteFile(const std::filesystem::path& user, const std::filesystem::path& installed) {
    profile::JsonFileStore store;
    if (store.ReadJsonFile(user).isNull()) {
        const Json::Value copy = store.ReadJsonFile(installed);
        if (!copy.isNull()) {
            store.WriteJsonFile(user, copy);
        }
    }
}

CollectedColours ReadCollectedColours(const std::filesystem::path& file) {
    CollectedColours read;
    const Json::Value root = profile::JsonFileStore().ReadJsonFile(file);
    const Json::Value& info = profile::json::Member(root, kInfo);
    const Json::Value& list = profile::json::Member(info, kCollected);
    for (int i = 0; i < kPaletteSlots; ++i) {
        const Json::Value& entry = profile::json::Element(list, Json::ArrayIndex(i));
        const QString text = QString::fromStdString(
            profile::json::String(profile::json::Member(entry, "color")));
        bool ok = false;
        const uint32_t argb = text.toUInt(&ok, 16);
        if (ok) {
            // The mark as text (bytes that are not UTF-8 become replacement characters), so that
            // it writes back as it reads.
            const QString mark = QString::fromStdString(
                profile::json::String(profile::json::Member(entry, "UserData")));
            read.entries[size_t(i)] = CollectedColour{argb, mark.toStdString()};
        }
    }
    const Json::Value& selected = profile::json::Member(info, kCollectedSelected);
    if (selected.isIntegral()) {
        read.selected = int(profile::json::Int(selected));
    }
    return read;
}

bool WritePresetColours(const std::filesystem::path& file, const PresetColours& colours,
                        int selected) {
    profile::JsonFileStore store;
    Json::Value root = store.ReadJsonFile(file);
    Json::Value& info = profile::json::ObjectMember(root, kInfo);
    Json::Value& list = profile::json::ArrayMember(info, kPresets);
    for (int i = 0; i < kPaletteSlots; ++i) {
        if (const std::optional<uint32_t>& colour = colours[size_t(i)]) {
            profile::json::AsObject(profile::json::ElementAt(list, Json::ArrayIndex(i)))["color"] =
                PaletteColourText(*colour);
        }
    }
    info[kPresetSelected] = selected;
    return store.WriteJsonFile(file, root) == 0;
}

bool WriteCollectedColours(const std::filesystem::path& file, const CollectedSlots& entries,
                           int selected) {
    profile::JsonFileStore store;
    Json::Value root = store.ReadJsonFile(file);
    Json::Value& info = profile::json::ObjectMember(root, kInfo);
    Json::Value& list = profile::json::ArrayMember(info, kCollected);
    for (int i = 0; i < kPaletteSlots; ++i) {
        if (const std::optional<CollectedColour>& slot = entries[size_t(i)]) {
            Json::Value& entry =
                profile::json::AsObject(profile::json::ElementAt(list, Json::ArrayIndex(i)));
            entry["color"] = PaletteColourText(slot->argb);
            entry["UserData"] = slot->mark;
        }
    }
    info[kCollectedSelected] = selected;
    return store.WriteJsonFile(file, root) == 0;
}

}  // namespace q840::windows
