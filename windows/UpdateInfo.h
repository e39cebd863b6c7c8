#pragma once

// The data behind the settings window's update list: what the main window hands over per
// firmware or program entry, the nine row states as a table, the version numbers and the file
// that keeps the date of the last update.

#include <QDate>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace q840::windows {

// One entry of the update information list, from a row of the device model table.
struct UpdateEntry {
    int flag = 0;         // set: the version text is "V%04x" of the version number
    QString vendorWord;   // "ZELTA"
    QString modelCode;    // "TR28M07A"; "ALL" for the program itself
    QString shortName;    // "MS", "R40_BQ2_BQ1"
    QString displayName;  // "MS", "AP"
    QString versionText;  // the table's own version text (the program's "V0100")
    uint32_t versionNumber = 0;
    int state = 0;           // 0-8, as the rows show it
    QString newVersionText;  // the version an update brings (from the update process)
    QString userData;
    QString updateProgram;  // where the downloaded update program goes
};

// What a row shows in each state.
struct UpdateRowLook {
    const char* statusKey;  // language key of "update_status_text"
    bool progress;          // "update_status_ing" and "update_progress_value" shown
    bool ok;                // "update_status_ok" shown
    bool optionEnabled;     // "check_name_select" can be ticked
    uint32_t textColour;    // text and selected text of "check_name_select" (ARGB)
    uint32_t disabledColour;
};

constexpr int kUpdateStateCount = 9;
// clang-format off
constexpr std::array<UpdateRowLook, kUpdateStateCount> kUpdateRowLooks = {{
    {"LessUpdateText",   false, false, false, 0xFFFFFFFF, 0xFF666666},  // 0 nothing newer
    {"NeedUpdateText",   false, false, true,  0xFF0099FF, 0xFF0078C8},  // 1 an update exists
    {"NeedUpdateText",   false, false, true,  0xFF0099FF, 0xFF0078C8},  // 2
    {"DownloadWaitText", false, false, false, 0xFF0099FF, 0xFF0078C8},  // 3 queued
    {"DownloadIngText",  true,  false, false, 0xFF0099FF, 0xFF0078C8},  // 4 downloading
    {"DownloadOkText",   false, true,  false, 0xFF0099FF, 0xFF0078C8},  // 5 downloaded
    {"UpdateIngText",    true,  false, false, 0xFF0099FF, 0xFF0078C8},  // 6 installing
    {"UpdateOkText",     false, false, false, 0xFFFFFFFF, 0xFF666666},  // 7 done
    {"UpdateFailText",   false, false, true,  0xFF0099FF, 0xFF0078C8},  // 8 failed
}};
// clang-format on

constexpr bool IsUpdateState(int state) {
    return state >= 0 && state < kUpdateStateCount;
}
// Rows in these states are at work: the window does not close under them.
constexpr bool IsWorkingState(int state) {
    return state >= 3 && state <= 6;
}

// A version as the program's package gives it ("2.3.0.2") as a number: every '.' removed and the
// rest read as decimal (2302). 0 when what is left is not a number.
uint32_t VersionNumberFromText(const QString& text);

// The entry's version as its row shows it: "V%04x" of the number when the flag is set,
// otherwise the table's text.
QString RowVersionText(const UpdateEntry& entry);
// The name a row shows: "AP" for the program's entry, otherwise the display name.
QString RowName(const UpdateEntry& entry);

// "updatetime.config": {"updatelasttime": {"value": "2026-3-7"}}, year-month-day unpadded.
QString UpdateTimeFilePath();
// The stored date text; empty when the file is missing, not JSON or the value is not a text.
QString ReadLastUpdateDate(const QString& path);
// Writes `date` into the file (the rest of a sound file is kept); false when it cannot be written.
bool WriteLastUpdateDate(const QString& path, const QDate& date);
QString UpdateDateText(const QDate& date);
// The stored date, or today's written into the file first when none is stored.
QString LastUpdateDateOrToday(const QString& path, const QDate& today);

}  // namespace q840::windows
