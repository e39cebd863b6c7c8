#include "core/macro/MacroStore.h"

#include "core/profile/CBasicProfiledata.h"

#include <json/writer.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/base/DebugLine.h"
#include "core/profile/JsonAccess.h"

namespace q840::macro {

namespace fs = std::filesystem;
namespace json = profile::json;
using profile::JsonFileStore;

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool NameTaken(std::string_view name, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(),
                       [name](const std::string& n) { return MacroStore::SameName(n, name); });
}

std::vector<std::string> NamesOf(const std::vector<MacroEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const MacroEntry& e : entries) {
        names.push_back(e.name);
    }
    return names;
}

// An entry of the index as the program uses it. Whatever an element holds, it stays an entry, so
// that the macros after it keep their numbers; a Guid that could name something outside the
// folder is dropped and the macro behaves as one without a file.
MacroEntry EntryOf(const Json::Value& element) {
    MacroEntry entry;
    entry.name = json::String(json::Member(element, "MacroName"));
    entry.guid = json::String(json::Member(element, "Guid"));
    if (!profile::IsSafeFileStem(entry.guid)) {
        entry.guid.clear();
    }
    return entry;
}

std::vector<MacroEntry> EntriesOf(const Json::Value& root) {
    std::vector<MacroEntry> entries;
    const Json::Value& list = json::Member(root, "MacroInfo");
    if (list.isArray()) {
        entries.reserve(list.size());
        for (const Json::Value& element : list) {
            entries.push_back(EntryOf(element));
        }
    }
    return entries;
}

// The file's bytes when it is a regular file (a symbolic link to one included) of at most
// kMaxMacroFileBytes; a FIFO or a device could block for ever, and a huge file is not a macro.
bool ReadMacroBytes(const fs::path& path, std::string* bytes) {
    std::error_code ec;
    if (path.empty() || fs::status(path, ec).type() != fs::file_type::regular) {
        return false;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxMacroFileBytes) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    // Read to the end in pieces: a file that grew past the limit since it was measured is
    // refused too, and a small file costs no buffer of the limit's size.
    std::string data;
    data.reserve(static_cast<size_t>(size));
    std::array<char, 64 * 1024> piece{};
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<size_t>(in.gcount());
        if (data.size() + got > kMaxMacroFileBytes) {
            return false;
        }
        data.append(piece.data(), got);
    }
    if (in.bad()) {
        return false;
    }
    *bytes = std::move(data);
    return true;
}

std::string CompactText(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, value);
}

// The file name without folder and extension ("fire" for ".../fire.mac"; "" for ".mac").
std::string BaseName(const fs::path& file) {
    std::string name = file.filename().string();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    // The name is shown and stored as UTF-8; a file name that is not becomes readable text.
    return profile::WideToUtf8(profile::Utf8ToWide(name));
}

constexpr bool IsMacroGroup(uint8_t group) {
    return group == 0x70 || group == 0x71;
}

}  // namespace

// --- names ------------------------------------------------------------------------------------

bool MacroStore::SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

bool MacroStore::IsBlankName(std::string_view name) {
    return std::all_of(name.begin(), name.end(), IsSpace);
}

std::string MacroStore::DefaultMacroName(const std::vector<std::string>& names) {
    for (int n = 1;; ++n) {
        std::string candidate = "macro_" + std::to_string(n);
        if (!NameTaken(candidate, names)) {
            return candidate;
        }
    }
}

std::string MacroStore::ImportMacroName(std::string_view base,
                                        const std::vector<std::string>& names) {
    std::string name(base);
    for (int n = 1; NameTaken(name, names);) {
        name += "(" + std::to_string(++n) + ")";
    }
    return name;
}

// --- the index --------------------------------------------------------------------------------

fs::path MacroStore::IndexFilePath() const {
    return m_folder / kMacroIndexFileName;
}

fs::path MacroStore::FileOf(const std::string& guid) const {
    return m_folder / (guid + kMacroFileExtension);
}

fs::path MacroStore::MacroFilePath(int number) const {
    if (number < 0 || number >= Count() || m_entries[size_t(number)].guid.empty()) {
        return {};
    }
    return FileOf(m_entries[size_t(number)].guid);
}

std::vector<std::string> MacroStore::Names() const {
    return NamesOf(m_entries);
}

const std::vector<MacroEntry>& MacroStore::LoadMacroIndex() {
    m_entries = EntriesOf(m_store.ReadJsonFile(IndexFilePath()));
    return m_entries;
}

bool MacroStore::ReadIndexForChange(Json::Value* root, std::vector<MacroEntry>* entries) const {
    JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Missing;
    *root = m_store.ReadJsonFile(IndexFilePath(), &status);
    if (status == JsonFileStore::ReadStatus::Unreadable) {
        // It exists but could not be read: writing a fresh one would lose every macro in it.
        DebugLine("macro index unreadable: %s", IndexFilePath().string().c_str());
        return false;
    }
    // A missing or broken index starts afresh; other members of a good one are kept.
    json::ArrayMember(json::AsObject(*root), "MacroInfo");
    *entries = EntriesOf(*root);
    return true;
}

bool MacroStore::WriteIndex(const Json::Value& root) const {
    if (m_store.WriteJsonFile(IndexFilePath(), root) != 0) {
        DebugLine("macro index could not be written: %s", IndexFilePath().string().c_str());
        return false;
    }
    return true;
}

std::string MacroStore::NewGuid(const std::vector<MacroEntry>& entries) const {
    // The time-based name is unique within this process; another program or an earlier run may
    // still have used it, so the folder and the index are asked too.
    for (;;) {
        std::string guid = JsonFileStore::MakeTimestampId();
        std::error_code ec;
        const bool onDisk = fs::symlink_status(FileOf(guid), ec).type() != fs::file_type::not_found;
        const bool listed = std::any_of(entries.begin(), entries.end(),
                                        [&guid](const MacroEntry& e) { return e.guid == guid; });
        if (!onDisk && !listed) {
            return guid;
        }
    }
}

MacroResult MacroStore::CreateMacro(std::string* name) {
    Json::Value root;
    std::vector<MacroEntry> entries;
    if (!ReadIndexForChange(&root, &entries)) {
        return MacroResult::WriteFailed;
    }
    if (entries.size() >= size_t(kMaxMacros)) {
        return MacroResult::LimitReached;
    }
    // No macro file yet: the first save writes it.
    MacroEntry entry{DefaultMacroName(NamesOf(entries)), NewGuid(entries)};
    Json::Value element(Json::objectValue);
    element["MacroName"] = entry.name;
    element["Guid"] = entry.guid;
    root["MacroInfo"].append(element);
    if (!WriteIndex(root)) {
        return MacroResult::WriteFailed;
    }
    entries.push_back(entry);
    m_entries = std::move(entries);
    if (name) {
        *name = entry.name;
    }
    return MacroResult::Done;
}

MacroResult MacroStore::ImportMacro(const fs::path& file, std::string* name) {
    Json::Value root;
    std::vector<MacroEntry> entries;
    if (!ReadIndexForChange(&root, &entries)) {
        return MacroResult::WriteFailed;
    }
    if (entries.size() >= size_t(kMaxMacros)) {
        return MacroResult::LimitReached;
    }
    std::string bytes;
    if (!ReadMacroBytes(file, &bytes) || !JsonFileStore::ParseText(bytes).isObject()) {
        return MacroResult::BadFile;
    }
    std::string base = BaseName(file);
    const std::vector<std::string> names = NamesOf(entries);
    MacroEntry entry{IsBlankName(base) ? DefaultMacroName(names) : ImportMacroName(base, names),
                     NewGuid(entries)};
    // The file goes in first: an index entry never names a macro file that is not there.
    const fs::path copy = FileOf(entry.guid);
    if (m_store.WriteFileBytes(copy, bytes) != 0) {
        return MacroResult::WriteFailed;
    }
    Json::Value element(Json::objectValue);
    element["MacroName"] = entry.name;
    element["Guid"] = entry.guid;
    root["MacroInfo"].append(element);
    if (!WriteIndex(root)) {
        std::error_code ec;
        fs::remove(copy, ec);
        return MacroResult::WriteFailed;
    }
    entries.push_back(entry);
    m_entries = std::move(entries);
    if (name) {
        *name = entry.name;
    }
    return MacroResult::Done;
}

MacroResult MacroStore::ExportMacro(int number, const fs::path& target) const {
    const fs::path source = MacroFilePath(number);
    std::string bytes;
    if (source.empty() || target.empty() || !ReadMacroBytes(source, &bytes)) {
        return MacroResult::NoSelection;
    }
    return m_store.WriteFileBytes(target, bytes) == 0 ? MacroResult::Done
                                                      : MacroResult::WriteFailed;
}

MacroResult MacroStore::RenameMacro(int number, const std::string& name) {
    if (number < 0 || number >= Count()) {
        return MacroResult::NoSelection;
    }
    if (IsBlankName(name)) {
        return MacroResult::BlankName;
    }
    Json::Value root;
    std::vector<MacroEntry> entries;
    if (!ReadIndexForChange(&root, &entries)) {
        return MacroResult::WriteFailed;
    }
    if (number >= static_cast<int>(entries.size())) {
        return MacroResult::NoSelection;
    }
    // Its own name counts too: renaming "Fire" to "fire" is refused like any name in use.
    if (NameTaken(name, NamesOf(entries))) {
        return MacroResult::NameInUse;
    }
    json::AsObject(root["MacroInfo"][Json::ArrayIndex(number)])["MacroName"] = name;
    if (!WriteIndex(root)) {
        return MacroResult::WriteFailed;
    }
    entries[size_t(number)].name = name;
    m_entries = std::move(entries);
    return MacroResult::Done;
}

MacroResult MacroStore::DeleteMacro(int number) {
    if (number < 0 || number >= Count()) {
        return MacroResult::NoSelection;
    }
    Json::Value root;
    std::vector<MacroEntry> entries;
    if (!ReadIndexForChange(&root, &entries)) {
        return MacroResult::WriteFailed;
    }
    if (number >= static_cast<int>(entries.size())) {
        return MacroResult::NoSelection;
    }
    Json::Value removed;
    root["MacroInfo"].removeIndex(Json::ArrayIndex(number), &removed);
    // The index goes first: a macro file left behind by a failed removal is only wasted space,
    // an index entry without its file would be a macro that lost its steps.
    if (!WriteIndex(root)) {
        return MacroResult::WriteFailed;
    }
    const MacroEntry gone = entries[size_t(number)];
    entries.erase(entries.begin() + number);
    // Macros made in the same millisecond by earlier versions may share one file: it stays while
    // another macro uses it.
    const bool shared = std::any_of(entries.begin(), entries.end(),
                                    [&gone](const MacroEntry& e) { return e.guid == gone.guid; });
    if (!gone.guid.empty() && !shared) {
        std::error_code ec;
        fs::remove(FileOf(gone.guid), ec);
    }
    m_entries = std::move(entries);
    return MacroResult::Done;
}

// --- steps ------------------------------------------------------------------------------------

std::vector<MacroEvent> MacroStore::LoadMacroEvents(const std::string& guid) const {
    std::vector<MacroEvent> events;
    if (!profile::IsSafeFileStem(guid)) {
        return events;
    }
    std::string bytes;
    if (!ReadMacroBytes(FileOf(guid), &bytes)) {
        return events;
    }
    const Json::Value root = JsonFileStore::ParseText(bytes);
    const Json::Value& list = json::Member(root, "Events");
    if (list.isArray()) {
        for (const Json::Value& element : list) {
            if (std::optional<MacroEvent> event = MacroEvent::FromJson(element)) {
                events.push_back(std::move(*event));
            }
        }
    }
    return events;
}

int MacroStore::SaveMacroEvents(int number, std::vector<MacroRow>& rows) const {
    if (rows.size() > size_t(kMaxSavedSteps)) {
        return static_cast<int>(std::min<size_t>(rows.size() - kMaxSavedSteps, 0x7FFFFFFF));
    }
    const fs::path file = MacroFilePath(number);
    if (file.empty()) {
        return -1;
    }
    const MacroEntry& entry = m_entries[size_t(number)];
    Json::Value root(Json::objectValue);
    root["MacroName"] = entry.name;
    root["Guid"] = entry.guid;
    // Steps are appended, not stored at their row's position: a skipped row leaves no hole
    // (a null the device upload would have to step over).
    Json::Value& events = root["Events"] = Json::Value(Json::arrayValue);
    for (MacroRow& row : rows) {
        row.delay = CanonicalDelay(row.delay);
        if (row.step.empty()) {
            break;
        }
        std::optional<MacroEvent> event = MacroEvent::FromJson(JsonFileStore::ParseText(row.step));
        if (!event) {
            continue;
        }
        event->delay = row.delay;
        const Json::Value step = event->ToJson();
        events.append(step);
        row.step = CompactText(step);
    }
    root["Version"] = kMacroFileVersion;
    return m_store.WriteJsonFile(file, root) == 0 ? 0 : -2;
}

// --- key assignments --------------------------------------------------------------------------

bool RenumberMacroKeys(std::vector<profile::KeyAssignmentPair>& pairs, int deleted) {
    if (deleted < 0) {
        return false;
    }
    bool changed = false;
    for (profile::KeyAssignmentPair& pair : pairs) {
        if (!IsMacroGroup(pair.current.group)) {
            continue;
        }
        if (pair.current.param1 == deleted) {
            // The key's own function comes back; its index and padding stay.
            pair.current.SetCode(pair.defaults.Code());
            changed = true;
        } else if (pair.current.param1 > deleted) {
            pair.current.param1 = static_cast<uint8_t>(pair.current.param1 - 1);
            changed = true;
        }
    }
    return changed;
}

bool RenumberMacroKeysInProfile(const fs::path& file, int deviceIndex, int deleted) {
    JsonFileStore store;
    const Json::Value root = store.ReadJsonFile(file);
    profile::CBasicProfiledata data;
    data.SetDeviceIndex(deviceIndex);
    data.SetDeviceNode(json::Element(json::Member(root, "Device"), Json::ArrayIndex(deviceIndex)));
    std::vector<profile::KeyAssignmentPair> pairs = data.ReadKeyAssignments();
    if (!RenumberMacroKeys(pairs, deleted)) {
        return true;
    }
    data.WriteKeyAssignments(pairs);
    return data.SaveNode(data.GetDeviceNode(), file);
}

bool UsesMacro(const std::vector<profile::KeyAssignmentPair>& pairs, int number) {
    return std::any_of(pairs.begin(), pairs.end(), [number](const profile::KeyAssignmentPair& p) {
        return IsMacroGroup(p.current.group) && p.current.param1 == number;
    });
}

}  // namespace q840::macro
