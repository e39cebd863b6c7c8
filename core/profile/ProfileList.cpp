#include "core/profile/ProfileList.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "core/base/DebugLine.h"
#include "core/profile/JsonAccess.h"

namespace q840::profile {

namespace fs = std::filesystem;

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letter case is ignored for ASCII letters; other characters compare as they are.
bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

bool NameTaken(std::string_view name, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(),
                       [name](const std::string& n) { return SameName(n, name); });
}

std::string Trimmed(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

void RemoveQuietly(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
}

}  // namespace

int AnsiByteLength(std::string_view utf8) {
    int bytes = 0;
    for (const wchar_t c : Utf8ToWide(utf8)) {
        const auto code = static_cast<uint32_t>(c);
        bytes += code < 0x80 ? 1 : (code > 0xFFFF ? 4 : 2);
    }
    return bytes;
}

bool HasForbiddenNameCharacter(std::string_view utf8) {
    return utf8.find_first_of(" \"<>:/\\|?#%&*=") != std::string_view::npos;
}

NameCheck CheckProfileName(std::string_view utf8) {
    if (utf8.empty()) {
        return NameCheck::Empty;
    }
    if (AnsiByteLength(utf8) > kMaxProfileNameBytes) {
        return NameCheck::TooLong;
    }
    if (HasForbiddenNameCharacter(utf8)) {
        return NameCheck::ForbiddenCharacter;
    }
    return NameCheck::Ok;
}

std::string NewProfileName(const std::vector<std::string>& names) {
    std::string candidate = "Profile1";
    for (int n = 1; NameTaken(candidate, names);) {
        candidate = "profile" + std::to_string(++n);
    }
    return candidate;
}

std::string CopyProfileName(std::string_view base, const std::vector<std::string>& names) {
    std::wstring wide = Utf8ToWide(base);
    if (wide.size() > 16) {
        wide.resize(16);
    }
    const std::string cut = WideToUtf8(wide);
    for (int n = 1;; ++n) {
        std::string candidate = cut + " copy" + std::to_string(n);
        if (!NameTaken(candidate, names)) {
            return candidate;
        }
    }
}

std::string ImportProfileName(std::string_view base, const std::vector<std::string>& names) {
    std::string name(base);
    for (int n = 1; NameTaken(name, names); ++n) {
        name += "(" + std::to_string(n) + ")";
    }
    return name;
}

// --- the list -------------------------------------------------------------------------------

void ProfileList::SetPaths(const fs::path& userFolder, const fs::path& defaultProfile) {
    m_userFolder = userFolder;
    m_defaultProfile = defaultProfile;
}

fs::path ProfileList::ListFilePath() const {
    return m_userFolder / kProfileListFileName;
}

fs::path ProfileList::FileOf(const std::string& id) const {
    return m_userFolder / (id + ".Json");
}

fs::path ProfileList::ProfileFilePath(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return FileOf(m_entries[size_t(index)].id);
}

std::vector<std::string> ProfileList::Names() const {
    std::vector<std::string> names;
    names.reserve(m_entries.size());
    for (const ProfileEntry& e : m_entries) {
        names.push_back(e.name);
    }
    return names;
}

Json::Value ProfileList::ListValue(const std::vector<ProfileEntry>& entries, int selected) const {
    Json::Value root(Json::objectValue);
    Json::Value& list = root["profilelist"] = Json::Value(Json::arrayValue);
    for (const ProfileEntry& e : entries) {
        Json::Value element(Json::objectValue);
        element["profilename"] = e.name;
        element["profileUUID"] = e.id;
        element["profileislink"] = 0;
        element["profilelinkmame"] = "";
        list.append(element);
    }
    root["profileselect"] = selected;
    return root;
}

bool ProfileList::WriteList(const std::vector<ProfileEntry>& entries, int selected) const {
    if (m_store.WriteJsonFile(ListFilePath(), ListValue(entries, selected)) != 0) {
        DebugLine("profile list could not be written: %s", ListFilePath().string().c_str());
        return false;
    }
    return true;
}

bool ProfileList::MakeFirstProfile() {
    JsonFileStore::ReadStatus legacyStatus = JsonFileStore::ReadStatus::Missing;
    const Json::Value legacy = m_store.ReadJsonFile(FileOf(kLegacyProfileId), &legacyStatus);
    ProfileEntry first;
    bool writeProfile = false;
    Json::Value content;
    if (legacyStatus == JsonFileStore::ReadStatus::Ok && legacy.isObject()) {
        // The settings a user kept before profiles had names: they stay where they are and
        // become the first profile.
        first.id = kLegacyProfileId;
        first.name = json::String(json::Member(legacy, "profilename"));
        if (Trimmed(first.name).empty()) {
            first.name = "Profile1";
        }
    } else {
        first.id = JsonFileStore::MakeTimestampId();
        first.name = "Profile1";
        content = m_store.ReadJsonFile(m_defaultProfile);
        json::AsObject(content);
        content["profilename"] = first.name;
        content["profileUUID"] = first.id;
        writeProfile = true;
    }
    m_entries = {first};
    m_selected = 0;
    m_currentId = first.id;
    if (writeProfile && m_store.WriteJsonFile(FileOf(first.id), content) != 0) {
        DebugLine("first profile could not be written: %s", FileOf(first.id).string().c_str());
        return false;
    }
    return WriteList(m_entries, m_selected);
}

bool ProfileList::Init() {
    m_entries.clear();
    JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Missing;
    const Json::Value root = m_store.ReadJsonFile(ListFilePath(), &status);
    const Json::Value& list = json::Member(root, "profilelist");
    if (list.isArray()) {
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            const Json::Value& element = list[i];
            ProfileEntry e;
            e.id = json::String(json::Member(element, "profileUUID"));
            if (!IsSafeFileStem(e.id)) {
                // It names no file of this folder: nothing to show, nothing to touch.
                DebugLine("profile list entry %u left out: bad identifier", i);
                continue;
            }
            e.name = json::String(json::Member(element, "profilename"));
            if (e.name.empty()) {
                e.name = e.id;
            }
            m_entries.push_back(std::move(e));
        }
    }
    if (m_entries.size() > size_t(kMaxProfiles)) {
        m_entries.resize(size_t(kMaxProfiles));
    }
    if (m_entries.empty()) {
        if (status == JsonFileStore::ReadStatus::Unreadable) {
            // A list that exists but cannot be read is not replaced; the program works with a
            // profile in memory until it can.
            DebugLine("profile list unreadable: %s", ListFilePath().string().c_str());
        }
        return MakeFirstProfile();
    }
    const int64_t stored = json::Int(json::Member(root, "profileselect"));
    m_selected = (stored >= 0 && stored < Count()) ? static_cast<int>(stored) : 0;
    m_currentId = m_entries[size_t(m_selected)].id;
    return true;
}

ProfileResult ProfileList::Select(int index) {
    if (index < 0 || index >= Count()) {
        return ProfileResult::NothingToDo;
    }
    const std::string id = m_entries[size_t(index)].id;
    if (index != m_selected) {
        if (!WriteList(m_entries, index)) {
            // The profile is current for this run; the next start opens the previous one.
            m_currentId = id;
            return ProfileResult::WriteFailed;
        }
        m_selected = index;
    }
    m_currentId = id;
    return ProfileResult::Done;
}

ProfileResult ProfileList::Append(const std::string& name, Json::Value content) {
    if (Count() >= kMaxProfiles) {
        return ProfileResult::LimitReached;
    }
    const ProfileEntry entry{name, JsonFileStore::MakeTimestampId()};
    json::AsObject(content);
    content["profilename"] = entry.name;
    content["profileUUID"] = entry.id;
    const fs::path file = FileOf(entry.id);
    if (m_store.WriteJsonFile(file, content) != 0) {
        return ProfileResult::WriteFailed;
    }
    std::vector<ProfileEntry> entries = m_entries;
    entries.push_back(entry);
    if (!WriteList(entries, m_selected)) {
        RemoveQuietly(file);
        return ProfileResult::WriteFailed;
    }
    m_entries = std::move(entries);
    return ProfileResult::Done;
}

ProfileResult ProfileList::New() {
    if (Count() >= kMaxProfiles) {
        return ProfileResult::LimitReached;
    }
    return Append(NewProfileName(Names()), m_store.ReadJsonFile(m_defaultProfile));
}

ProfileResult ProfileList::Copy(int selected) {
    if (Count() >= kMaxProfiles) {
        return ProfileResult::LimitReached;
    }
    if (selected < 0 || selected >= Count()) {
        return ProfileResult::NothingToDo;
    }
    JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Missing;
    Json::Value content = m_store.ReadJsonFile(ProfileFilePath(selected), &status);
    if (status == JsonFileStore::ReadStatus::Unreadable) {
        // A copy of nothing would look like a copy; say it failed instead.
        return ProfileResult::WriteFailed;
    }
    return Append(CopyProfileName(m_entries[size_t(selected)].name, Names()), std::move(content));
}

bool ProfileList::IsProfileFile(const Json::Value& root) {
    return root.isObject() && json::Member(root, "profilename").isString() &&
           json::Member(root, "profileUUID").isString();
}

ProfileResult ProfileList::Import(const fs::path& file) {
    JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Missing;
    Json::Value content = m_store.ReadJsonFile(file, &status);
    if (status != JsonFileStore::ReadStatus::Ok || !IsProfileFile(content)) {
        return ProfileResult::BadFile;
    }
    if (Count() >= kMaxProfiles) {
        return ProfileResult::LimitReached;
    }
    std::string base = file.stem().string();
    if (Trimmed(base).empty()) {
        base = "Profile";
    }
    return Append(ImportProfileName(base, Names()), std::move(content));
}

ProfileResult ProfileList::Export(int selected, const fs::path& file) const {
    if (selected < 0 || selected >= Count() || file.empty()) {
        return ProfileResult::NothingToDo;
    }
    JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Missing;
    const Json::Value content = m_store.ReadJsonFile(ProfileFilePath(selected), &status);
    if (status != JsonFileStore::ReadStatus::Ok) {
        return ProfileResult::WriteFailed;
    }
    return m_store.WriteJsonFile(file, content) == 0 ? ProfileResult::Done
                                                      : ProfileResult::WriteFailed;
}

ProfileResult ProfileList::Delete(int selected, int* newSelection) {
    if (selected < 0 || selected >= Count() || Count() < 2) {
        return ProfileResult::NothingToDo;
    }
    const int next = selected > 0 ? selected - 1 : 0;
    const ProfileEntry gone = m_entries[size_t(selected)];
    std::vector<ProfileEntry> entries = m_entries;
    entries.erase(entries.begin() + selected);
    if (!WriteList(entries, next)) {
        return ProfileResult::WriteFailed;
    }
    m_entries = std::move(entries);
    m_selected = next;
    if (newSelection != nullptr) {
        *newSelection = next;
    }
    // The identifier passed IsSafeFileStem when the list was read: the file is in the folder.
    fs::path file = FileOf(gone.id);
    RemoveQuietly(file);
    RemoveQuietly(file.replace_extension(".pending"));
    return ProfileResult::Done;
}

ProfileResult ProfileList::Rename(int selected, const std::string& name) {
    if (selected < 0 || selected >= Count()) {
        return ProfileResult::NothingToDo;
    }
    if (Trimmed(name).empty()) {
        return ProfileResult::BlankName;
    }
    for (int i = 0; i < Count(); ++i) {
        if (i != selected && SameName(m_entries[size_t(i)].name, name)) {
            return ProfileResult::NameInUse;
        }
    }
    std::vector<ProfileEntry> entries = m_entries;
    entries[size_t(selected)].name = name;
    if (!WriteList(entries, m_selected)) {
        return ProfileResult::WriteFailed;
    }
    const fs::path file = ProfileFilePath(selected);
    JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Missing;
    Json::Value content = m_store.ReadJsonFile(file, &status);
    if (status == JsonFileStore::ReadStatus::Ok && content.isObject()) {
        content["profilename"] = name;
        if (m_store.WriteJsonFile(file, content) != 0) {
            WriteList(m_entries, m_selected);
            return ProfileResult::WriteFailed;
        }
    }
    m_entries = std::move(entries);
    return ProfileResult::Done;
}

ProfileResult ProfileList::Reset(int selected) {
    if (selected < 0 || selected >= Count()) {
        return ProfileResult::NothingToDo;
    }
    Json::Value content = m_store.ReadJsonFile(m_defaultProfile);
    if (!content.isObject()) {
        return ProfileResult::BadFile;
    }
    const ProfileEntry& entry = m_entries[size_t(selected)];
    content["profilename"] = entry.name;
    content["profileUUID"] = entry.id;
    const fs::path file = FileOf(entry.id);
    if (m_deviceType == kHeadsetDeviceType) {
        // The user's own equalisers are not factory settings: they stay.
        const Json::Value old = m_store.ReadJsonFile(file);
        const Json::Value& oldDevice = json::Element(json::Member(old, "Device"), 0);
        Json::Value& device = json::ElementAt(json::ArrayMember(content, "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = json::Member(oldDevice, key);
            if (!kept.isNull()) {
                json::AsObject(device)[key] = kept;
            }
        }
    }
    return m_store.WriteJsonFile(file, content) == 0 ? ProfileResult::Done
                                                      : ProfileResult::WriteFailed;
}

}  // namespace q840::profile
