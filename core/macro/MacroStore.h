#pragma once

// A device's macros: the index "macro.config" in the device's user folder and one macro file
// per macro, folder + Guid + ".mac" (both in the stored JSON form of JsonFileStore).
//
// Index:       {"MacroInfo": [{"Guid": ..., "MacroName": ...}, ...]}   in macro order
// Macro file:  {"Events": [step, ...], "Guid": ..., "MacroName": ..., "Version": 64}
//
// A macro's 0-based position in the index is its number: key assignments and the device's macro
// area name a macro by number, so an entry keeps its place even when its Guid is unusable (it
// then behaves as a macro without a file). Every operation reads the index again before
// changing it and writes through JsonFileStore (temporary file and rename); when a write fails
// the operation reports WriteFailed and leaves the index, the macro files and Entries() as they
// were.

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/macro/MacroEvent.h"
#include "core/profile/JsonFileStore.h"
#include "core/profile/ProfileRecords.h"

namespace q840::macro {

inline constexpr int kMaxMacros = 50;
inline constexpr int kMaxSavedSteps = 58;
inline constexpr int kMacroFileVersion = 64;
inline constexpr const char* kMacroIndexFileName = "macro.config";
inline constexpr const char* kMacroFileExtension = ".mac";
// A macro file larger than this is not imported (and not read): a real one with 58 steps is a
// few kilobytes.
inline constexpr std::uintmax_t kMaxMacroFileBytes = 1024 * 1024;

struct MacroEntry {
    std::string name;  // UTF-8; unique in the set without regard to (ASCII) letter case
    std::string guid;  // a safe file stem, or empty when the index held an unusable one
    bool operator==(const MacroEntry&) const = default;
};

// One row of the editor's step list: the step as JSON text and the text of its delay field,
// which is the authoritative delay.
struct MacroRow {
    std::string step;
    std::string delay;
};

enum class MacroResult {
    Done,
    LimitReached,  // create, import: 50 macros already
    BlankName,     // rename: nothing but white space
    NameInUse,     // rename: a macro (this one included) has that name in any letter case
    NoSelection,   // no macro with that number (or it has no file name)
    BadFile,       // import: not a regular file, too large, or not a macro file
    WriteFailed,   // a file could not be written: nothing changed
};

class MacroStore {
public:
    void SetFolder(const std::filesystem::path& folder) { m_folder = folder; }
    const std::filesystem::path& Folder() const { return m_folder; }

    // Reads the index: the entries in file order; empty when it is missing or not valid.
    const std::vector<MacroEntry>& LoadMacroIndex();
    const std::vector<MacroEntry>& Entries() const { return m_entries; }
    std::vector<std::string> Names() const;
    int Count() const { return static_cast<int>(m_entries.size()); }
    std::filesystem::path IndexFilePath() const;
    // Folder + Guid + ".mac"; empty for a number outside the list or an entry without Guid.
    std::filesystem::path MacroFilePath(int number) const;

    // Appends "macro_N", N the smallest number free; *name gets the new name. The new macro is
    // number Count() - 1 afterwards. No macro file is written until its first save.
    MacroResult CreateMacro(std::string* name);
    // Appends a macro named after the file's base name ("fire", "fire(2)", "fire(2)(3)", ...)
    // and copies the file byte for byte as its macro file.
    MacroResult ImportMacro(const std::filesystem::path& file, std::string* name);
    // Copies the macro file of `number` byte for byte to `target`.
    MacroResult ExportMacro(int number, const std::filesystem::path& target) const;
    // Gives macro `number` the name as typed (not trimmed).
    MacroResult RenameMacro(int number, const std::string& name);
    // Removes macro `number` from the index and deletes its file; later macros move up by one.
    MacroResult DeleteMacro(int number);

    // The steps of the macro file with that Guid, in order; empty when the Guid is not a safe
    // file stem or the file is missing, too large or not valid. Elements that are not steps are
    // left out.
    std::vector<MacroEvent> LoadMacroEvents(const std::string& guid) const;

    // Writes the rows as the steps of macro `number`. Returns 0 when written; k > 0 when the
    // rows hold 58 + k steps (nothing written); -1 when there is no such macro or it has no
    // Guid; -2 when the file could not be written (the old file stays).
    // Each row's delay text is made canonical (empty -> "0", "007" -> "7") and put back into the
    // row, and so is the step text with that delay. A row without step text ends the list; a
    // row whose text is not a step is skipped.
    int SaveMacroEvents(int number, std::vector<MacroRow>& rows) const;

    // "macro_1", "macro_2", ...: the first not in names (without regard to letter case).
    static std::string DefaultMacroName(const std::vector<std::string>& names);
    // base, then base + "(2)", base + "(2)(3)", ... while taken.
    static std::string ImportMacroName(std::string_view base,
                                       const std::vector<std::string>& names);
    // Whether two names are the same without regard to (ASCII) letter case.
    static bool SameName(std::string_view a, std::string_view b);
    // Whether a name holds nothing but white space.
    static bool IsBlankName(std::string_view name);

    const profile::JsonFileStore& Store() const { return m_store; }

private:
    std::filesystem::path FileOf(const std::string& guid) const;
    // The index as it is on disk now, with "MacroInfo" made an array, and its entries. False when
    // the file exists but cannot be read (replacing it would lose the macros it lists).
    bool ReadIndexForChange(Json::Value* root, std::vector<MacroEntry>* entries) const;
    bool WriteIndex(const Json::Value& root) const;
    // A time-based Guid that no entry uses and no file of the folder is named after.
    std::string NewGuid(const std::vector<MacroEntry>& entries) const;

    std::filesystem::path m_folder;
    std::vector<MacroEntry> m_entries;
    profile::JsonFileStore m_store;
};

// What deleting macro `deleted` does to a profile's key assignments: a key bound to it gets its
// default function back, a key bound to a later macro moves down by one. Macro keys are those
// whose current group is 0x70 or 0x71; param1 is the macro number. True when anything changed.
bool RenumberMacroKeys(std::vector<profile::KeyAssignmentPair>& pairs, int deleted);
// The same for the key assignments of a profile file (its device node `deviceIndex`); the file is
// written only when something changed. False when it had to be written and could not be.
bool RenumberMacroKeysInProfile(const std::filesystem::path& file, int deviceIndex, int deleted);
// Whether any key is bound to macro `number`.
bool UsesMacro(const std::vector<profile::KeyAssignmentPair>& pairs, int number);

}  // namespace q840::macro
