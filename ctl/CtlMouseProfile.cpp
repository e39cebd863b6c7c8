#include "ctl/CtlMouseProfile.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "core/base/UserFolders.h"
#include "core/catalogue/Catalogue.h"

namespace q840::ctl {

namespace fs = std::filesystem;

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

MouseFolders MouseFoldersOf(const std::string& userFolder) {
    const char* kind = "mouse";
    for (const catalogue::DeviceTypeRow& row : catalogue::kDeviceTypeTable) {
        if (row.typeCode == catalogue::kTypeMouse) {
            kind = row.kindName;
        }
    }
    return {fs::path(userFolder) / kind,
            fs::path(ExecutableFolder()) / "DefaultData" / (std::string(kind) + ".Json")};
}

bool MouseProfiles::LoadList(const MouseFolders& folders, std::string* why) {
    std::error_code error;
    fs::create_directories(folders.device, error);
    list.SetDeviceType(catalogue::kTypeMouse);
    list.SetPaths(folders.device, folders.factoryProfile);
    list.Init();
    if (list.Count() == 0) {
        *why = "the mouse has no profile in " + folders.device.string();
        return false;
    }
    return true;
}

bool MouseProfiles::LoadCurrent(const MouseFolders& folders, std::string* why) {
    const fs::path file = list.ProfileFilePath(list.StoredSelection());
    if (file.empty()) {
        *why = "the mouse has no profile in " + folders.device.string();
        return false;
    }
    data = profile::CMouseProfiledata();
    data.SetDefaultProfilePath(folders.factoryProfile);
    data.SetDeviceIndex(0);
    data.SetProfilePath(file);
    if (data.LoadDeviceNode(file).isNull()) {
        // Without a node the block would be all zeros: every DPI stage switched off.
        *why = "no settings to start from: neither " + file.string() + " nor the factory profile " +
               folders.factoryProfile.string() + " holds the mouse's";
        return false;
    }
    data.ReadLightSetting();
    data.ReadDpiStages();
    data.ReadSystemSettings();
    data.ReadKeyAssignments();
    pending = profile::PendingWrites();
    pending.Load(file);
    return true;
}

std::string MouseProfiles::CurrentName() const {
    const int selected = list.StoredSelection();
    return selected >= 0 && selected < list.Count() ? list.Entries()[size_t(selected)].name : "";
}

int FindProfile(const profile::ProfileList& list, const std::string& nameOrNumber,
                std::string* why) {
    const auto& entries = list.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (SameNameIgnoringCase(entries[i].name, nameOrNumber)) {
            return int(i);
        }
    }
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(nameOrNumber.c_str(), &end, 10);
    if (!nameOrNumber.empty() && errno == 0 && end != nullptr && *end == '\0' && number >= 1 &&
        number <= long(entries.size())) {
        return int(number - 1);
    }
    *why = "there is no profile \"" + nameOrNumber + "\": give its name or its number, 1 to " +
           std::to_string(entries.size()) + " (q840ctl profile list)";
    return -1;
}

ProgramLock::ProgramLock() {
    std::string file = RuntimeInstanceLockFile();
    if (file.empty()) {
        const std::string userFolder = DefaultUserDataFolder();
        if (userFolder.empty()) {
            return;
        }
        std::error_code error;
        fs::create_directories(userFolder, error);
        file = userFolder + kInstanceLockInUserFolder;
    }
    m_lock = std::make_unique<InstanceLock>(file);
    m_running = !m_lock->TryAcquire() && m_lock->Error().empty();
}

}  // namespace q840::ctl
