#pragma once

// The key assignment editor's arithmetic, without any widget: which function page shows a code and
// what its controls show, the code the controls build, and what a captured key press makes of the
// keyboard page. The editor (editors/CKeySetControlUI) moves these values in and out of its
// controls; q840ctl and the tests use them alone.

#include <cstdint>
#include <span>

#include "core/keys/KeyTables.h"

namespace q840::keys {

// The editor's function pages. The skin's function list names them by these numbers.
enum EditorPage : int {
    kNoPage = -1,
    kPageDefault = 0,
    kPageMouseButton = 1,
    kPageSwingHorizontal = 2,
    kPageSwingVertical = 3,
    kPageSensitivity = 4,
    kPageFire = 5,
    kPageKeyboard = 6,
    kPageMedia = 7,
    kPageSystem = 8,
    kPageMacro = 9,
    kPageGun = 10,
    kPageShortcut = 11,
};
inline constexpr int kPageCount = 12;

// The table a list page chooses from (pages 1, 4, 7, 8 and 11: item i is row i, and the row gives
// the whole code), and the range of the name table that names its rows; empty for other pages.
std::span<const CodeRow> PageTable(int page);
NameRange PageTableNames(int page);

// Modifier options of the keyboard page: 0 none, 1 Ctrl, 2 Shift, 3 Alt, 4 Win; -1 none selected.
inline constexpr int kNoModifierOption = -1;
inline constexpr int kModifierOptions = 5;
// Play modes of a macro key: 0-3 go to the mouse as they are (group 0x70); 4 repeats the macro a
// number of times (group 0x71).
inline constexpr int kPlayModes = 5;
inline constexpr int kPlayModeRepeat = 4;

// What the numbers of the swing, fire and repeat fields can be. One field of a code cannot hold
// more, so a larger number is taken as the largest rather than cut to its low bits (a delay of 20
// would otherwise reach the mouse as 4). A swing moves at least one step: a wheel swing of 0 steps
// down would be written as 0x80, which the mouse reads as 128 steps.
inline constexpr int kSwingMaxCount = 0x7F;
inline constexpr int kSwingMinCount = 1;
inline constexpr int kSwingMaxNibble = 0x0F;  // delay and speed
inline constexpr int kByteMax = 0xFF;         // fire interval and count, repeat count

// A table page's choice: a row, nothing to change, or nothing selected.
inline constexpr int kKeepRow = -1;
inline constexpr int kClearRow = -2;

// What the editor shows for a code.
struct EditorView {
    int page = kNoPage;  // kNoPage: no page of the editor shows it (the editor hides itself)
    // Pages 1, 4, 7, 8 and 11: the row of the page's table, kKeepRow when none matches (the combo
    // box keeps its choice), kClearRow for nothing selected.
    int tableRow = kKeepRow;
    // Pages 2 and 3: direction 0 (left, up) or 1 (right, down), step count, delay and speed.
    int direction = 0;
    int count = 0;
    int delay = 0;
    int speed = 0;
    // Page 5: the fire interval and count.
    int interval = 0;
    int fireCount = 0;
    // Page 6: the modifier option (kNoModifierOption: none selected) and the key code table row
    // whose name the key field shows (-1: the field is empty).
    int modifier = kNoModifierOption;
    int keyRow = -1;
    // Page 9: the macro and its play mode (-1 each when the macro is not in the list: both
    // choices are cleared), the repeat count and whether its field shows.
    int macro = -1;
    int playMode = -1;
    int repeat = 0;
    bool repeatShown = false;
    // Page 10: the gun key.
    int gun = 0;
    // The code after showing it: a keyboard code whose key the tables do not know loses its key
    // and modifier bytes; every other code stays as it was.
    uint32_t code = 0;
};

// The page and controls that show `code` of a key whose default is `defaultCode`; `macroCount` is
// the number of macros the editor offers.
EditorView ViewOfCode(uint32_t code, uint32_t defaultCode, int macroCount);

// What the controls hold when a code is built.
struct EditorInput {
    int page = kPageDefault;  // the selected function page
    int tableRow = -1;        // pages 1, 4, 7, 8, 11: the selected row (-1 none)
    int direction = -1;       // pages 2, 3: -1 none selected (taken as the first direction)
    int count = 0;
    int delay = 0;
    int speed = 0;
    int interval = 0;  // page 5
    int fireCount = 0;
    int modifier = kNoModifierOption;  // page 6
    bool keyShown = false;             // page 6: the key field names a key
    int macro = -1;                    // page 9: selected macro (-1 none)
    int macroCount = 0;
    int playMode = -1;
    int repeat = 0;
    int gun = -1;  // page 10: selected gun key (-1 none)
};

// The code the controls build for a key whose current code is `current` and default `defaultCode`.
// Numbers beyond what their field holds are taken as the nearest the field holds (LimitField).
uint32_t BuildCode(const EditorInput& input, uint32_t current, uint32_t defaultCode);

// The fields with a limit of their own, and the number a field keeps of what was typed.
enum class EditorField { SwingCount, SwingDelay, SwingSpeed, FireInterval, FireCount, Repeat };
int LimitField(EditorField field, int typed);

// A key press captured for the keyboard page (`virtualKey`, `extended` as the keyboard hook gives
// them), with modifier option `modifier` selected.
struct CaptureResult {
    bool accepted = false;  // false: not a key the keyboard page takes; nothing changes
    int modifier = kNoModifierOption;
    int keyRow = -1;  // the row the key field names; -1 for a modifier key (the field is emptied)
    uint32_t code = 0;
};
CaptureResult CaptureKey(uint16_t virtualKey, bool extended, int modifier);

}  // namespace q840::keys
