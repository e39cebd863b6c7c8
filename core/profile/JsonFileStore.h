#pragma once

// The one component through which every stored file of the program is read and written.
//
// Stored form: JsonCpp's styled text (members in ascending byte order, three-space indentation,
// short arrays on one line within a 74-column margin), one extra line break at the end, CR LF line
// breaks on every platform, no byte-order mark. Text values are written as UTF-8 bytes.
//
// Reading never fails: a missing, unreadable, empty, short-read or malformed file gives null.
// Writing goes to a temporary file in the target's folder which is flushed to disk and then
// renamed over the target, so a crash or a full disk leaves either the old or the new file, never
// a half-written one.

#include <json/value.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace q840::profile {

class JsonFileStore {
public:
    // The parsed root, or null when the file is missing, unreadable, empty or not valid JSON.
    // Accepts CR LF and LF line breaks, with or without a UTF-8 byte-order mark.
    Json::Value ReadJsonFile(const std::filesystem::path& path) const;

    // The same, telling why a file gave null. Writers use it not to replace a file that exists
    // but could not be read (they would lose what it holds).
    enum class ReadStatus {
        Ok,          // parsed
        Missing,     // no such file
        Empty,       // a file of zero bytes
        Unreadable,  // exists but could not be read whole (permissions, I/O error, not a file)
        Malformed,   // read but not valid JSON
    };
    Json::Value ReadJsonFile(const std::filesystem::path& path, ReadStatus* status) const;

    // Replaces the file with the stored form of value. Returns 0 when the file was replaced and
    // -1 when it was not (the old file, if any, is then left as it was).
    int WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) const;
    // The same for bytes as they are (a file copied byte for byte), with the same guarantees.
    int WriteFileBytes(const std::filesystem::path& path, std::string_view data) const;

    // Local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d" (year, month, day, hour, minute, second,
    // millisecond). It names profile and macro files, so two calls in this process never return
    // the same text: a call within the millisecond of the previous one moves on by a millisecond.
    static std::string MakeTimestampId();
    // The same text for a given local time (no uniqueness bookkeeping).
    static std::string FormatTimestampId(const std::tm& localTime, int millisecond);

    // The exact bytes WriteJsonFile puts into a file.
    static std::string StoredText(const Json::Value& value);
    // Parses text the way ReadJsonFile does (null on any failure).
    static Json::Value ParseText(std::string_view text);

    // Whether writes wait until the new file's data is on the disk before the rename (default
    // on). Only the fuzz driver and benchmarks turn it off; the rename stays atomic either way.
    static void SetSyncToDisk(bool sync);

    // Test seam: called after the temporary file is complete and before it is renamed over the
    // target. Returning false simulates a crash at that point: the rename does not happen and the
    // write reports failure. Null restores normal writing. Not thread-safe; tests only.
    using BeforeRenameHook = bool (*)(const std::filesystem::path& temporary,
                                      const std::filesystem::path& target);
    static void SetBeforeRenameHook(BeforeRenameHook hook);
};

// Whether a name read from a stored file (a "Guid", a "profileUUID", a macro id) may be used as
// the base name of a file inside a folder: not empty, no path separator, no drive, no "..", no
// control characters or characters Windows forbids in names, not a Windows device name (CON,
// NUL, COM1, ...). Anything else is treated as missing by the readers.
bool IsSafeFileStem(std::string_view name);

// UTF-8 <-> wide conversions for names kept as wide strings in memory. Invalid sequences become
// U+FFFD rather than failing.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace q840::profile
