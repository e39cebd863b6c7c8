#pragma once

// A device's named profiles: the list file "ProfileList.ini" in the device's user folder (JSON
// despite its extension) and the profile files it names (user folder + identifier + ".Json").
//
// List file:
//   "profilelist"   the profiles in list order: "profilename" (UTF-8), "profileUUID" (a
//                   MakeTimestampId text naming the file), "profileislink" (written 0) and
//                   "profilelinkmame" (written "")
//   "profileselect" index of the current profile
//
// Every operation that changes something writes the profile file first and the list last, and
// takes back what it wrote when a later write fails, so a read-only or full disk leaves the list
// and the files as they were; the in-memory list changes only with the list file. The widget of
// the profile bar (CDeviceProfileUI) mirrors Entries() in its drop-down list.

#include <json/value.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/profile/JsonFileStore.h"

namespace q840::profile {

inline constexpr int kMaxProfiles = 50;
inline constexpr int kMaxProfileNameBytes = 16;
inline constexpr const char* kProfileListFileName = "ProfileList.ini";
// The profile file a program without a profile list kept its settings in: the first start with
// a list adopts it as the first profile instead of creating a fresh one beside it.
inline constexpr const char* kLegacyProfileId = "Profile1";
inline constexpr int kHeadsetDeviceType = 7;

struct ProfileEntry {
    std::string name;  // UTF-8
    std::string id;    // "profileUUID": a safe file stem
    bool operator==(const ProfileEntry&) const = default;
};

// Length of a profile name in the byte count of a double-byte ANSI code page: one byte for each
// ASCII character, two for every other UTF-16 unit (so a Chinese character takes two, a
// character outside the basic plane four). The same on every machine, whatever its locale.
int AnsiByteLength(std::string_view utf8);
// Whether the name holds a space or one of  " < > : / \ | ? # % & * =
bool HasForbiddenNameCharacter(std::string_view utf8);

// The checks the main window makes before a rename, in their order.
enum class NameCheck { Ok, Empty, TooLong, ForbiddenCharacter };
NameCheck CheckProfileName(std::string_view utf8);

// Names for new entries, given the names in the list (compared without regard to case).
// New: "Profile1", then "profile2", "profile3", ... (the first one free).
std::string NewProfileName(const std::vector<std::string>& names);
// Copy: base cut to 16 characters, then "base copy1", "base copy2", ...
std::string CopyProfileName(std::string_view base, const std::vector<std::string>& names);
// Import: the file's base name, with "(1)", "(2)", ... appended while it is taken; the suffixes
// add up ("gaming", "gaming(1)", "gaming(1)(2)").
std::string ImportProfileName(std::string_view base, const std::vector<std::string>& names);

enum class ProfileResult {
    Done,
    LimitReached,  // 50 profiles already (new, copy, import)
    NameInUse,     // rename: another profile has that name (in any letter case)
    BlankName,     // rename: the name is blank
    NothingToDo,   // no such profile, or delete of the last one
    BadFile,       // import: not a profile file; reset: no factory profile
    WriteFailed,   // a file could not be written: nothing changed
};

class ProfileList {
public:
    // Device type code: 1 keyboard, 2 mouse, 3 mouse pad, 6 mouse through the receiver,
    // 7 headset, 9 keyboard through the receiver.
    void SetDeviceType(int type) { m_deviceType = type; }
    int GetDeviceType() const { return m_deviceType; }
    void SetPaths(const std::filesystem::path& userFolder,
                  const std::filesystem::path& defaultProfile);

    // Loads the list, or makes one: the legacy "Profile1.Json" of the folder is adopted as the
    // only profile when it holds a profile; otherwise "Profile1" is made from the factory
    // profile. Entries whose identifier cannot name a file in the folder are left out.
    // False when a list had to be made and could not be written (the list is then kept in
    // memory only).
    bool Init();

    const std::vector<ProfileEntry>& Entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }
    std::vector<std::string> Names() const;
    // "profileselect" as stored, within the list.
    int StoredSelection() const { return m_selected; }
    // The current profile's identifier ("" before Init).
    const std::string& CurrentId() const { return m_currentId; }
    std::filesystem::path ListFilePath() const;
    // User folder + identifier + ".Json"; empty for an index out of the list.
    std::filesystem::path ProfileFilePath(int index) const;

    // Makes the profile at index current and stores it as "profileselect".
    ProfileResult Select(int index);
    // Appends a profile made from the factory profile. The current profile stays current.
    ProfileResult New();
    // Appends a copy of the profile at `selected`.
    ProfileResult Copy(int selected);
    // Appends a profile read from a file anywhere; it gets a new identifier and the file's base
    // name as its name. A file that is not a profile (see IsProfileFile) changes nothing.
    ProfileResult Import(const std::filesystem::path& file);
    // Writes the profile at `selected` to a file anywhere.
    ProfileResult Export(int selected, const std::filesystem::path& file) const;
    // Removes the profile at `selected` and its files; *newSelection is the index to make
    // current (the one before, or 0). The last profile is never removed.
    ProfileResult Delete(int selected, int* newSelection);
    ProfileResult Rename(int selected, const std::string& name);
    // Gives the profile at `selected` the factory settings; its name and identifier stay, and a
    // headset keeps its custom equalisers.
    ProfileResult Reset(int selected);

    // Whether the parsed file content is a profile an import accepts: an object whose
    // "profilename" and "profileUUID" are strings.
    static bool IsProfileFile(const Json::Value& root);

    const JsonFileStore& Store() const { return m_store; }

private:
    Json::Value ListValue(const std::vector<ProfileEntry>& entries, int selected) const;
    bool WriteList(const std::vector<ProfileEntry>& entries, int selected) const;
    std::filesystem::path FileOf(const std::string& id) const;
    // Writes content as the profile file of a new entry and appends the entry.
    ProfileResult Append(const std::string& name, Json::Value content);
    bool MakeFirstProfile();

    int m_deviceType = 0;
    std::filesystem::path m_userFolder;
    std::filesystem::path m_defaultProfile;
    JsonFileStore m_store;
    std::vector<ProfileEntry> m_entries;
    int m_selected = 0;
    std::string m_currentId;
};

}  // namespace q840::profile
