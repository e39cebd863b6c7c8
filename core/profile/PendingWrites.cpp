#include "core/profile/PendingWrites.h"

#include <json/value.h>

#include <array>
#include <system_error>

#include "core/base/DebugLine.h"
#include "core/profile/JsonAccess.h"
#include "core/profile/JsonFileStore.h"

namespace q840::profile {

namespace {

struct AreaKey {
    PendingArea area;
    const char* key;
};
constexpr std::array<AreaKey, 4> kAreaKeys = {{
    {PendingArea::Settings, "Settings"},
    {PendingArea::KeyTable, "KeyTable"},
    {PendingArea::MacroArea, "MacroArea"},
    {PendingArea::ShootArea, "ShootArea"},
}};

}  // namespace

std::filesystem::path PendingWrites::MarkFileOf(const std::filesystem::path& profilePath) {
    std::filesystem::path file = profilePath;
    return file.replace_extension(".pending");
}

void PendingWrites::Load(const std::filesystem::path& profilePath) {
    m_marks = 0;
    m_file.clear();
    if (profilePath.empty()) {
        return;
    }
    m_file = MarkFileOf(profilePath);
    const Json::Value root = JsonFileStore().ReadJsonFile(m_file);
    for (const AreaKey& entry : kAreaKeys) {
        if (json::MemberFlag(root, entry.key)) {
            m_marks |= Bit(entry.area);
        }
    }
}

bool PendingWrites::Mark(PendingArea area) {
    if (Has(area)) {
        return false;
    }
    m_marks |= Bit(area);
    Store();
    return true;
}

bool PendingWrites::Clear(PendingArea area) {
    if (!Has(area)) {
        return false;
    }
    m_marks &= uint8_t(~Bit(area));
    Store();
    return true;
}

void PendingWrites::Store() const {
    if (m_file.empty()) {
        return;
    }
    if (m_marks == 0) {
        std::error_code error;
        std::filesystem::remove(m_file, error);
        if (error) {
            DebugLine("pending write marks: %s", error.message().c_str());
        }
        return;
    }
    Json::Value root(Json::objectValue);
    for (const AreaKey& entry : kAreaKeys) {
        if (Has(entry.area)) {
            root[entry.key] = 1;
        }
    }
    // A mark that cannot be kept still holds in memory until the profile is loaded again.
    if (JsonFileStore().WriteJsonFile(m_file, root) != 0) {
        DebugLine("pending write marks could not be saved");
    }
}

}  // namespace q840::profile
