#pragma once

// The key code tables: what the mouse's three-byte key assignment codes mean, which PC key each
// keyboard code stands for, and the language keys of their names. Read-only program data.
//
// A code is (group, byte 1, byte 0); the mouse receives it in that order. Every table row has the
// six-byte layout of a profile key assignment: a 16-bit first field, the group, byte 1, byte 0 and
// a reserved byte that is always 0. In the key code table the first field is the Windows
// virtual-key code of the key; in the function tables it is the row number.
//
// Names are language keys, kept in one ordered name table. Each table names its rows from a range
// of that table (name index = range start + row); the four gun key names stand just before
// index 0, so the name table is indexed from -4.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace q840::keys {

#pragma pack(push, 1)
struct CodeRow {
    uint16_t first = 0;  // virtual key (key code table) or row number (function tables)
    uint8_t group = 0;
    uint8_t byte1 = 0;
    uint8_t byte0 = 0;
    uint8_t reserved = 0;

    constexpr uint32_t Code() const {
        return (uint32_t(group) << 16) | (uint32_t(byte1) << 8) | byte0;
    }
};
#pragma pack(pop)
static_assert(sizeof(CodeRow) == 6, "a row has the layout of a profile key assignment");

// Groups of the assignment codes that the tables name.
namespace group {
inline constexpr uint8_t kKeyboardPlain = 0x00;
inline constexpr uint8_t kMouseButton = 0x10;
inline constexpr uint8_t kSwingHorizontal = 0x11;
inline constexpr uint8_t kSwingVertical = 0x12;
inline constexpr uint8_t kSensitivity = 0x13;
inline constexpr uint8_t kFire = 0x14;
inline constexpr uint8_t kDpiShift = 0x16;
inline constexpr uint8_t kKeyboard = 0x20;
inline constexpr uint8_t kShortcut = 0x22;
inline constexpr uint8_t kShowWindow = 0x23;
inline constexpr uint8_t kMedia = 0x30;
inline constexpr uint8_t kSystem = 0x40;
inline constexpr uint8_t kMacro = 0x70;
inline constexpr uint8_t kMacroRepeat = 0x71;
inline constexpr uint8_t kGun = 0x72;
inline constexpr uint8_t kSpecial = 0xA0;
inline constexpr uint8_t kKeyboardMacroKey = 0xD0;
}  // namespace group

// --- the name table -----------------------------------------------------------------------------

struct NameRange {
    int first = 0;
    int count = 0;
    constexpr int End() const { return first + count; }
};

inline constexpr NameRange kGunNames{-4, 4};
inline constexpr NameRange kShortcutNames{0, 11};
inline constexpr NameRange kGroup22Names{11, 9};
inline constexpr NameRange kSpecialNames{20, 15};
inline constexpr NameRange kSystemNames{35, 3};
inline constexpr NameRange kMediaNames{38, 18};
inline constexpr NameRange kFireName{56, 1};
inline constexpr NameRange kSensitivityNames{57, 3};
inline constexpr NameRange kSwingNames{60, 4};      // up, down, left, right
inline constexpr NameRange kKeyCodeNames{64, 143};  // one more than the key code table has rows
inline constexpr NameRange kMouseButtonNames{207, 5};
inline constexpr NameRange kMacroMouseNames{212, 16};

inline constexpr int kFirstNameIndex = kGunNames.first;
inline constexpr int kNameCount = 228;  // indices 0-227; the gun names come on top

inline constexpr std::array<const char*, kNameCount - kFirstNameIndex> kNameTable = {
    // -4..-1: gun keys 0-3
    "gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt",
    // 0-10: shortcut table
    "custem_open", "custem_new", "custem_undo", "custem_save", "custem_copy", "custem_cut",
    "custem_paste", "custem_find", "custem_select_all", "custem_narrow", "custem_magnify",
    // 11-19: group 0x22 table, byte 0 = 0..8
    "custem_cut", "custem_copy", "custem_paste", "custem_undo", "custem_select_all", "custem_find",
    "custem_new", "custem_save", "custem_open",
    // 20-34: special function table
    "mouse_key_left", "mouse_key_right", "mouse_key_middle", "mouse_key_forward", "mouse_key_back",
    "mouse_key_fire_key", "mouse_key_show_desktop", "mouse_key_switch_window",
    "mouse_key_smart_key", "close_text", "mouse_key_DPI_add", "mouse_key_DPI_sub",
    "mouse_key_DPI_loop", "mouse_key_DPI_shift", "show_window",
    // 35-37: system table
    "system_sleep", "system_wake_up", "system_power",
    // 38-55: media table
    "media_text", "media_play", "media_stop", "media_prev", "media_next", "media_vol_sub",
    "media_vol_add", "media_mute", "web_text", "web_refresh", "wed_stop", "wed_back", "wed_forward",
    "wed_favorite", "web_search", "media_mypc", "media_calc", "media_mail",
    // 56: fire key
    "mouse_key_fire_key",
    // 57-59: sensitivity table
    "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop",
    // 60-63: swing
    "mouse_key_up_Swing", "mouse_key_down_Swing", "mouse_key_left_Swing", "mouse_key_right_Swing",
    // 64-206: key code table, 64 + row
    "keyboard_key_LCtrl", "keyboard_key_LShift", "keyboard_key_LAlt", "keyboard_key_LWin",
    "keyboard_key_RCtrl", "keyboard_key_RShift", "keyboard_key_RAlt", "keyboard_key_RWin",
    "keyboard_key_A", "keyboard_key_B", "keyboard_key_C", "keyboard_key_D", "keyboard_key_E",
    "keyboard_key_F", "keyboard_key_G", "keyboard_key_H", "keyboard_key_I", "keyboard_key_J",
    "keyboard_key_K", "keyboard_key_L", "keyboard_key_M", "keyboard_key_N", "keyboard_key_O",
    "keyboard_key_P", "keyboard_key_Q", "keyboard_key_R", "keyboard_key_S", "keyboard_key_T",
    "keyboard_key_U", "keyboard_key_V", "keyboard_key_W", "keyboard_key_X", "keyboard_key_Y",
    "keyboard_key_Z", "keyboard_key_1", "keyboard_key_2", "keyboard_key_3", "keyboard_key_4",
    "keyboard_key_5", "keyboard_key_6", "keyboard_key_7", "keyboard_key_8", "keyboard_key_9",
    "keyboard_key_0", "keyboard_key_Enter", "keyboard_key_Esc", "keyboard_key_BackSpace",
    "keyboard_key_Tab", "keyboard_key_Space", "keyboard_key_-", "keyboard_key_=", "keyboard_key_[",
    "keyboard_key_]", "keyboard_key_xiegang", "keyboard_key_;", "keyboard_key_'", "keyboard_key_`",
    "keyboard_key_<", "keyboard_key_.", "keyboard_key_/", "keyboard_key_Caplk", "keyboard_key_F1",
    "keyboard_key_F2", "keyboard_key_F3", "keyboard_key_F4", "keyboard_key_F5", "keyboard_key_F6",
    "keyboard_key_F7", "keyboard_key_F8", "keyboard_key_F9", "keyboard_key_F10", "keyboard_key_F11",
    "keyboard_key_F12", "keyboard_key_Print Scr", "keyboard_key_Scroll Lock", "keyboard_key_Pause",
    "keyboard_key_Insert", "keyboard_key_Home", "keyboard_key_Page Up", "keyboard_key_Delete",
    "keyboard_key_End", "keyboard_key_Page Down", "keyboard_key_Right", "keyboard_key_Left",
    "keyboard_key_Down", "keyboard_key_Up", "keyboard_key_Num Lock", "keyboard_key_Num /",
    "keyboard_key_Num *", "keyboard_key_Num -", "keyboard_key_Num +", "keyboard_key_Num Enter",
    "keyboard_key_Num 1", "keyboard_key_Num 2", "keyboard_key_Num 3", "keyboard_key_Num 4",
    "keyboard_key_Num 5", "keyboard_key_Num 6", "keyboard_key_Num 7", "keyboard_key_Num 8",
    "keyboard_key_Num 9", "keyboard_key_Num 0", "keyboard_key_Decimal", "keyboard_key_App",
    "keyboard_key_K45", "keyboard_key_K56", "keyboard_key_K14", "keyboard_key_K107",
    "keyboard_key_K131", "keyboard_key_K132", "keyboard_key_K133", "keyboard_key_K150",
    "keyboard_key_K151", "keyboard_key_K42", "keyboard_key_Launch App2",
    "keyboard_key_Browaer Home", "keyboard_key_Media Play Pause", "keyboard_key_Browser Search",
    "keyboard_key_Launch Mail", "keyboard_key_Volume Up", "keyboard_key_Volume Mute",
    "keyboard_key_Media Stop", "keyboard_key_Volume Down", "keyboard_key_Browser Favorites",
    "keyboard_key_Browser ForWard", "keyboard_key_Browser Back", "keyboard_key_Media Prev Track",
    "keyboard_key_Media Next Track", "keyboard_key_Computer", "keyboard_key_Browser Refresh",
    "wed_stop", "keyboard_key_Launch Media Select", "keyboard_key_Power", "keyboard_key_Sleep",
    "keyboard_key_Wakeup", "keyboard_key_M1", "keyboard_key_M2", "keyboard_key_M3",
    "keyboard_key_M4", "keyboard_key_M5", "keyboard_key_FN", "keyboard_key_GM",
    "keyboard_key_COLOR",
    // 207-211: mouse button table
    "mouse_key_left", "mouse_key_middle", "mouse_key_right", "mouse_key_forward", "mouse_key_back",
    // 212-227: mouse steps of macros
    "mouse_key_left", "mouse_key_left", "mouse_key_right", "mouse_key_right", "mouse_key_middle",
    "mouse_key_middle", "mouse_key_forward", "mouse_key_forward", "mouse_key_back",
    "mouse_key_back", "mouse_move_to_left_text", "mouse_move_to_right_text",
    "mouse_move_to_up_text", "mouse_move_to_down_text", "mouse_cursor_text", "mouse_text"};

// The name key at a name index (-4..227); nullptr outside.
constexpr const char* NameKey(int index) {
    return index >= kFirstNameIndex && index < kNameCount
               ? kNameTable[size_t(index - kFirstNameIndex)]
               : nullptr;
}
// The name key of row `row` of the table named from `range`; nullptr outside the range.
constexpr const char* NameKey(NameRange range, int row) {
    return row >= 0 && row < range.count ? NameKey(range.first + row) : nullptr;
}

// --- the key code table -------------------------------------------------------------------------

// Virtual-key field of the keypad Enter: the Enter key's code with 0x100 added for the extended
// key. The power, sleep and wake-up rows follow the same convention.
inline constexpr uint16_t kExtendedVirtualKey = 0x100;

inline constexpr std::array<CodeRow, 142> kKeyCodeTable = {{
    // 0-7: modifiers, byte 1 = modifier bit
    {0xA2, 0x20, 0x01, 0},
    {0xA0, 0x20, 0x02, 0},
    {0xA4, 0x20, 0x04, 0},
    {0x5B, 0x20, 0x08, 0},
    {0xA3, 0x20, 0x10, 0},
    {0xA1, 0x20, 0x20, 0},
    {0xA5, 0x20, 0x40, 0},
    {0x5C, 0x20, 0x80, 0},
    // 8-33: A-Z
    {0x41, 0x20, 0, 0x04},
    {0x42, 0x20, 0, 0x05},
    {0x43, 0x20, 0, 0x06},
    {0x44, 0x20, 0, 0x07},
    {0x45, 0x20, 0, 0x08},
    {0x46, 0x20, 0, 0x09},
    {0x47, 0x20, 0, 0x0A},
    {0x48, 0x20, 0, 0x0B},
    {0x49, 0x20, 0, 0x0C},
    {0x4A, 0x20, 0, 0x0D},
    {0x4B, 0x20, 0, 0x0E},
    {0x4C, 0x20, 0, 0x0F},
    {0x4D, 0x20, 0, 0x10},
    {0x4E, 0x20, 0, 0x11},
    {0x4F, 0x20, 0, 0x12},
    {0x50, 0x20, 0, 0x13},
    {0x51, 0x20, 0, 0x14},
    {0x52, 0x20, 0, 0x15},
    {0x53, 0x20, 0, 0x16},
    {0x54, 0x20, 0, 0x17},
    {0x55, 0x20, 0, 0x18},
    {0x56, 0x20, 0, 0x19},
    {0x57, 0x20, 0, 0x1A},
    {0x58, 0x20, 0, 0x1B},
    {0x59, 0x20, 0, 0x1C},
    {0x5A, 0x20, 0, 0x1D},
    // 34-43: 1-9, 0
    {0x31, 0x20, 0, 0x1E},
    {0x32, 0x20, 0, 0x1F},
    {0x33, 0x20, 0, 0x20},
    {0x34, 0x20, 0, 0x21},
    {0x35, 0x20, 0, 0x22},
    {0x36, 0x20, 0, 0x23},
    {0x37, 0x20, 0, 0x24},
    {0x38, 0x20, 0, 0x25},
    {0x39, 0x20, 0, 0x26},
    {0x30, 0x20, 0, 0x27},
    // 44-48: Enter, Esc, Backspace, Tab, Space
    {0x0D, 0x20, 0, 0x28},
    {0x1B, 0x20, 0, 0x29},
    {0x08, 0x20, 0, 0x2A},
    {0x09, 0x20, 0, 0x2B},
    {0x20, 0x20, 0, 0x2C},
    // 49-59: - = [ ] \ ; ' ` , . /  (the non-US # usage 0x32 comes last, in row 113)
    {0xBD, 0x20, 0, 0x2D},
    {0xBB, 0x20, 0, 0x2E},
    {0xDB, 0x20, 0, 0x2F},
    {0xDD, 0x20, 0, 0x30},
    {0xDC, 0x20, 0, 0x31},
    {0xBA, 0x20, 0, 0x33},
    {0xDE, 0x20, 0, 0x34},
    {0xC0, 0x20, 0, 0x35},
    {0xBC, 0x20, 0, 0x36},
    {0xBE, 0x20, 0, 0x37},
    {0xBF, 0x20, 0, 0x38},
    // 60: Caps Lock
    {0x14, 0x20, 0, 0x39},
    // 61-72: F1-F12
    {0x70, 0x20, 0, 0x3A},
    {0x71, 0x20, 0, 0x3B},
    {0x72, 0x20, 0, 0x3C},
    {0x73, 0x20, 0, 0x3D},
    {0x74, 0x20, 0, 0x3E},
    {0x75, 0x20, 0, 0x3F},
    {0x76, 0x20, 0, 0x40},
    {0x77, 0x20, 0, 0x41},
    {0x78, 0x20, 0, 0x42},
    {0x79, 0x20, 0, 0x43},
    {0x7A, 0x20, 0, 0x44},
    {0x7B, 0x20, 0, 0x45},
    // 73-85: Print Screen, Scroll Lock, Pause, Insert, Home, Page Up, Delete, End, Page Down,
    // Right, Left, Down, Up
    {0x2C, 0x20, 0, 0x46},
    {0x91, 0x20, 0, 0x47},
    {0x13, 0x20, 0, 0x48},
    {0x2D, 0x20, 0, 0x49},
    {0x24, 0x20, 0, 0x4A},
    {0x21, 0x20, 0, 0x4B},
    {0x2E, 0x20, 0, 0x4C},
    {0x23, 0x20, 0, 0x4D},
    {0x22, 0x20, 0, 0x4E},
    {0x27, 0x20, 0, 0x4F},
    {0x25, 0x20, 0, 0x50},
    {0x28, 0x20, 0, 0x51},
    {0x26, 0x20, 0, 0x52},
    // 86-102: Num Lock, keypad / * - + Enter 1-9 0 .
    {0x90, 0x20, 0, 0x53},
    {0x6F, 0x20, 0, 0x54},
    {0x6A, 0x20, 0, 0x55},
    {0x6D, 0x20, 0, 0x56},
    {0x6B, 0x20, 0, 0x57},
    {0x0D + kExtendedVirtualKey, 0x20, 0, 0x58},
    {0x61, 0x20, 0, 0x59},
    {0x62, 0x20, 0, 0x5A},
    {0x63, 0x20, 0, 0x5B},
    {0x64, 0x20, 0, 0x5C},
    {0x65, 0x20, 0, 0x5D},
    {0x66, 0x20, 0, 0x5E},
    {0x67, 0x20, 0, 0x5F},
    {0x68, 0x20, 0, 0x60},
    {0x69, 0x20, 0, 0x61},
    {0x60, 0x20, 0, 0x62},
    {0x6E, 0x20, 0, 0x63},
    // 103: Application
    {0x5D, 0x20, 0, 0x65},
    // 104-112: international keys (0xFF: no virtual key of their own)
    {0xE2, 0x20, 0, 0x64},
    {0xC1, 0x20, 0, 0x87},
    {0xFF, 0x20, 0, 0x89},
    {0xC2, 0x20, 0, 0x85},
    {0xEB, 0x20, 0, 0x8B},
    {0xFF, 0x20, 0, 0x8A},
    {0xFF, 0x20, 0, 0x88},
    {0xE9, 0x20, 0, 0x91},
    {0xFF, 0x20, 0, 0x90},
    // 113: non-US #, on the virtual key of / (a search by virtual key finds row 59 first)
    {0xBF, 0x20, 0, 0x32},
    // 114-131: media keys, consumer usage = byte 1 + 256 * byte 0
    {0xB7, 0x30, 0x92, 0x01},
    {0xAC, 0x30, 0x23, 0x02},
    {0xB3, 0x30, 0xCD, 0x00},
    {0xAA, 0x30, 0x21, 0x02},
    {0xB4, 0x30, 0x8A, 0x01},
    {0xAF, 0x30, 0xE9, 0x00},
    {0xAD, 0x30, 0xE2, 0x00},
    {0xB2, 0x30, 0xB7, 0x00},
    {0xAE, 0x30, 0xEA, 0x00},
    {0xAB, 0x30, 0x2A, 0x02},
    {0xA7, 0x30, 0x25, 0x02},
    {0xA6, 0x30, 0x24, 0x02},
    {0xB1, 0x30, 0xB6, 0x00},
    {0xB0, 0x30, 0xB5, 0x00},
    {0xB6, 0x30, 0x94, 0x01},
    {0xA8, 0x30, 0x27, 0x02},
    {0xA9, 0x30, 0x26, 0x02},
    {0xB5, 0x30, 0x83, 0x01},
    // 132-134: power, sleep, wake up
    {0x103, 0x40, 0x01, 0},
    {0x104, 0x40, 0x02, 0},
    {0x105, 0x40, 0x04, 0},
    // 135-139: the keyboard's M1-M5 keys
    {0, 0xD0, 0xA2, 1},
    {0, 0xD0, 0xA2, 2},
    {0, 0xD0, 0xA2, 3},
    {0, 0xD0, 0xA2, 4},
    {0, 0xD0, 0xA2, 5},
    // 140-141: Fn, game mode
    {0, 0xA0, 0x01, 0},
    {0, 0xA0, 0x1B, 0},
}};
static_assert(kKeyCodeNames.count == int(kKeyCodeTable.size()) + 1,
              "the key code names end with the colour key, which has no row");

inline constexpr int kModifierRows = 8;    // rows 0-7
inline constexpr int kNonUsHashRow = 113;  // usage 0x32
inline constexpr int kFirstMediaKeyRow = 114;

// --- the macro key table ------------------------------------------------------------------------

// One key of the keyboard as the macro recorder sees it: the name key, its PC scan code (set 1
// make code) and whether that code carries the E0 prefix, and what a macro step stores for it:
// the modifier bit for the eight modifiers, the keyboard usage for every other key.
struct MacroKeyRow {
    const char* nameKey = nullptr;
    uint8_t scanCode = 0;
    bool extended = false;
    uint8_t modifier = 0;
    uint8_t usage = 0;
};

inline constexpr std::array<MacroKeyRow, 113> kMacroKeyTable = {{
    {"keyboard_key_LCtrl", 0x1D, false, 0x01, 0},
    {"keyboard_key_LShift", 0x2A, false, 0x02, 0},
    {"keyboard_key_LAlt", 0x38, false, 0x04, 0},
    {"keyboard_key_LWin", 0x5B, true, 0x08, 0},
    {"keyboard_key_RCtrl", 0x1D, true, 0x10, 0},
    {"keyboard_key_RShift", 0x36, false, 0x20, 0},
    {"keyboard_key_RAlt", 0x38, true, 0x40, 0},
    {"keyboard_key_RWin", 0x5C, true, 0x80, 0},
    {"keyboard_key_A", 0x1E, false, 0, 0x04},
    {"keyboard_key_B", 0x30, false, 0, 0x05},
    {"keyboard_key_C", 0x2E, false, 0, 0x06},
    {"keyboard_key_D", 0x20, false, 0, 0x07},
    {"keyboard_key_E", 0x12, false, 0, 0x08},
    {"keyboard_key_F", 0x21, false, 0, 0x09},
    {"keyboard_key_G", 0x22, false, 0, 0x0A},
    {"keyboard_key_H", 0x23, false, 0, 0x0B},
    {"keyboard_key_I", 0x17, false, 0, 0x0C},
    {"keyboard_key_J", 0x24, false, 0, 0x0D},
    {"keyboard_key_K", 0x25, false, 0, 0x0E},
    {"keyboard_key_L", 0x26, false, 0, 0x0F},
    {"keyboard_key_M", 0x32, false, 0, 0x10},
    {"keyboard_key_N", 0x31, false, 0, 0x11},
    {"keyboard_key_O", 0x18, false, 0, 0x12},
    {"keyboard_key_P", 0x19, false, 0, 0x13},
    {"keyboard_key_Q", 0x10, false, 0, 0x14},
    {"keyboard_key_R", 0x13, false, 0, 0x15},
    {"keyboard_key_S", 0x1F, false, 0, 0x16},
    {"keyboard_key_T", 0x14, false, 0, 0x17},
    {"keyboard_key_U", 0x16, false, 0, 0x18},
    {"keyboard_key_V", 0x2F, false, 0, 0x19},
    {"keyboard_key_W", 0x11, false, 0, 0x1A},
    {"keyboard_key_X", 0x2D, false, 0, 0x1B},
    {"keyboard_key_Y", 0x15, false, 0, 0x1C},
    {"keyboard_key_Z", 0x2C, false, 0, 0x1D},
    {"keyboard_key_1", 0x02, false, 0, 0x1E},
    {"keyboard_key_2", 0x03, false, 0, 0x1F},
    {"keyboard_key_3", 0x04, false, 0, 0x20},
    {"keyboard_key_4", 0x05, false, 0, 0x21},
    {"keyboard_key_5", 0x06, false, 0, 0x22},
    {"keyboard_key_6", 0x07, false, 0, 0x23},
    {"keyboard_key_7", 0x08, false, 0, 0x24},
    {"keyboard_key_8", 0x09, false, 0, 0x25},
    {"keyboard_key_9", 0x0A, false, 0, 0x26},
    {"keyboard_key_0", 0x0B, false, 0, 0x27},
    {"keyboard_key_Enter", 0x1C, false, 0, 0x28},
    {"keyboard_key_Esc", 0x01, false, 0, 0x29},
    {"keyboard_key_BackSpace", 0x0E, false, 0, 0x2A},
    {"keyboard_key_Tab", 0x0F, false, 0, 0x2B},
    {"keyboard_key_Space", 0x39, false, 0, 0x2C},
    {"keyboard_key_-", 0x0C, false, 0, 0x2D},
    {"keyboard_key_=", 0x0D, false, 0, 0x2E},
    {"keyboard_key_[", 0x1A, false, 0, 0x2F},
    {"keyboard_key_]", 0x1B, false, 0, 0x30},
    {"keyboard_key_xiegang", 0x2B, false, 0, 0x31},
    {"keyboard_key_;", 0x27, false, 0, 0x33},
    {"keyboard_key_'", 0x28, false, 0, 0x34},
    {"keyboard_key_`", 0x29, false, 0, 0x35},
    {"keyboard_key_<", 0x33, false, 0, 0x36},
    {"keyboard_key_.", 0x34, false, 0, 0x37},
    {"keyboard_key_/", 0x35, false, 0, 0x38},
    {"keyboard_key_Caplk", 0x3A, false, 0, 0x39},
    {"keyboard_key_F1", 0x3B, false, 0, 0x3A},
    {"keyboard_key_F2", 0x3C, false, 0, 0x3B},
    {"keyboard_key_F3", 0x3D, false, 0, 0x3C},
    {"keyboard_key_F4", 0x3E, false, 0, 0x3D},
    {"keyboard_key_F5", 0x3F, false, 0, 0x3E},
    {"keyboard_key_F6", 0x40, false, 0, 0x3F},
    {"keyboard_key_F7", 0x41, false, 0, 0x40},
    {"keyboard_key_F8", 0x42, false, 0, 0x41},
    {"keyboard_key_F9", 0x43, false, 0, 0x42},
    {"keyboard_key_F10", 0x44, false, 0, 0x43},
    {"keyboard_key_F11", 0x57, false, 0, 0x44},
    {"keyboard_key_F12", 0x58, false, 0, 0x45},
    {"keyboard_key_Print Scr", 0x37, true, 0, 0x46},
    {"keyboard_key_Scroll Lock", 0x46, false, 0, 0x47},
    {"keyboard_key_Pause", 0x45, false, 0, 0x48},
    {"keyboard_key_Insert", 0x52, true, 0, 0x49},
    {"keyboard_key_Home", 0x47, true, 0, 0x4A},
    {"keyboard_key_Page Up", 0x49, true, 0, 0x4B},
    {"keyboard_key_Delete", 0x53, true, 0, 0x4C},
    {"keyboard_key_End", 0x4F, true, 0, 0x4D},
    {"keyboard_key_Page Down", 0x51, true, 0, 0x4E},
    {"keyboard_key_Right", 0x4D, true, 0, 0x4F},
    {"keyboard_key_Left", 0x4B, true, 0, 0x50},
    {"keyboard_key_Down", 0x50, true, 0, 0x51},
    {"keyboard_key_Up", 0x48, true, 0, 0x52},
    {"keyboard_key_Num Lock", 0x45, true, 0, 0x53},
    {"keyboard_key_Num /", 0x35, true, 0, 0x54},
    {"keyboard_key_Num *", 0x37, false, 0, 0x55},
    {"keyboard_key_Num -", 0x4A, false, 0, 0x56},
    {"keyboard_key_Num +", 0x4E, false, 0, 0x57},
    {"keyboard_key_Num Enter", 0x1C, true, 0, 0x58},
    {"keyboard_key_Num 1", 0x4F, false, 0, 0x59},
    {"keyboard_key_Num 2", 0x50, false, 0, 0x5A},
    {"keyboard_key_Num 3", 0x51, false, 0, 0x5B},
    {"keyboard_key_Num 4", 0x4B, false, 0, 0x5C},
    {"keyboard_key_Num 5", 0x4C, false, 0, 0x5D},
    {"keyboard_key_Num 6", 0x4D, false, 0, 0x5E},
    {"keyboard_key_Num 7", 0x47, false, 0, 0x5F},
    {"keyboard_key_Num 8", 0x48, false, 0, 0x60},
    {"keyboard_key_Num 9", 0x49, false, 0, 0x61},
    {"keyboard_key_Num 0", 0x52, false, 0, 0x62},
    {"keyboard_key_Decimal", 0x53, false, 0, 0x63},
    {"keyboard_key_App", 0x5D, true, 0, 0x65},
    {"keyboard_key_K45", 0x56, false, 0, 0x64},
    {"keyboard_key_K56", 0x73, false, 0, 0x87},
    {"keyboard_key_K14", 0x7D, false, 0, 0x89},
    {"keyboard_key_K107", 0x7E, false, 0, 0x85},
    {"keyboard_key_K131", 0x7B, false, 0, 0x8B},
    {"keyboard_key_K132", 0x79, false, 0, 0x8A},
    {"keyboard_key_K133", 0x70, false, 0, 0x88},
    {"keyboard_key_K150", 0x71, false, 0, 0x91},
    {"keyboard_key_K151", 0x72, false, 0, 0x90},
}};

// --- the mouse event table ----------------------------------------------------------------------

// A mouse step of a macro: the mouse message it is recorded from (a move code for the moves), the
// button bits and the step's type byte, bit 7 set for a press ("down").
struct MouseEventRow {
    uint16_t message = 0;
    uint8_t button = 0;
    uint8_t type = 0;
    const char* nameKey = nullptr;
};

inline constexpr uint8_t kStepDownBit = 0x80;
inline constexpr int kMouseButtonEventRows = 10;  // rows 0-9
inline constexpr int kFirstMoveEventRow = 10;     // rows 10-13
inline constexpr int kMoveEventRows = 4;

inline constexpr std::array<MouseEventRow, 15> kMouseEventTable = {{
    {0x201, 1, 0x81, "mouse_key_left"},
    {0x202, 1, 0x01, "mouse_key_left"},
    {0x204, 2, 0x81, "mouse_key_right"},
    {0x205, 2, 0x01, "mouse_key_right"},
    {0x207, 4, 0x81, "mouse_key_middle"},
    {0x208, 4, 0x01, "mouse_key_middle"},
    {0x20B, 16, 0x81, "mouse_key_forward"},
    {0x20C, 16, 0x01, "mouse_key_forward"},
    {0x20B, 8, 0x81, "mouse_key_back"},
    {0x20C, 8, 0x01, "mouse_key_back"},
    {4, 0, 0x84, "mouse_move_to_left_text"},
    {4, 0, 0x04, "mouse_move_to_right_text"},
    {5, 0, 0x85, "mouse_move_to_up_text"},
    {5, 0, 0x05, "mouse_move_to_down_text"},
    {0x20A, 0, 0x00, "mouse_cursor_text"},  // not used by the recorder
}};

// --- the function tables ------------------------------------------------------------------------

// Mouse buttons: byte 1 is the button's bit in the mouse report.
inline constexpr std::array<CodeRow, 5> kMouseButtonTable = {{
    {0, 0x10, 0x01, 0},
    {1, 0x10, 0x04, 0},
    {2, 0x10, 0x02, 0},
    {3, 0x10, 0x10, 0},
    {4, 0x10, 0x08, 0},
}};

// DPI up, down and cycle.
inline constexpr std::array<CodeRow, 3> kSensitivityTable = {{
    {0, 0x13, 1, 0},
    {1, 0x13, 2, 0},
    {2, 0x13, 3, 0},
}};

// Sleep, wake up, power.
inline constexpr std::array<CodeRow, 3> kSystemTable = {{
    {0, 0x40, 0x01, 0},
    {1, 0x40, 0x02, 0},
    {2, 0x40, 0x04, 0},
}};

// Consumer-page usages, usage = byte 1 + 256 * byte 0.
inline constexpr std::array<CodeRow, 18> kMediaTable = {{
    {0, 0x30, 0x83, 0x01},
    {1, 0x30, 0xCD, 0x00},
    {2, 0x30, 0xB7, 0x00},
    {3, 0x30, 0xB6, 0x00},
    {4, 0x30, 0xB5, 0x00},
    {5, 0x30, 0xEA, 0x00},
    {6, 0x30, 0xE9, 0x00},
    {7, 0x30, 0xE2, 0x00},
    {8, 0x30, 0x23, 0x02},
    {9, 0x30, 0x27, 0x02},
    {10, 0x30, 0x26, 0x02},
    {11, 0x30, 0x24, 0x02},
    {12, 0x30, 0x2A, 0x02},
    {13, 0x30, 0x25, 0x02},
    {14, 0x30, 0x21, 0x02},
    {15, 0x30, 0x94, 0x01},
    {16, 0x30, 0x92, 0x01},
    {17, 0x30, 0x8A, 0x01},
}};

// Ctrl + a key (byte 1 = right Ctrl's modifier bit, byte 0 = the key's usage): open, new, undo,
// save, copy, cut, paste, find, select all, zoom out, zoom in.
inline constexpr std::array<CodeRow, 11> kShortcutTable = {{
    {0, 0x20, 0x10, 0x12},
    {1, 0x20, 0x10, 0x11},
    {2, 0x20, 0x10, 0x1D},
    {3, 0x20, 0x10, 0x16},
    {4, 0x20, 0x10, 0x06},
    {5, 0x20, 0x10, 0x1B},
    {6, 0x20, 0x10, 0x19},
    {7, 0x20, 0x10, 0x09},
    {8, 0x20, 0x10, 0x04},
    {9, 0x20, 0x10, 0x2D},
    {10, 0x20, 0x10, 0x2E},
}};

// The mouse's own shortcuts, byte 0 = 0..8: cut, copy, paste, undo, select all, find, new, save,
// open. The first field counts from 0x21.
inline constexpr std::array<CodeRow, 9> kGroup22Table = {{
    {0x21, 0x22, 0, 0},
    {0x22, 0x22, 0, 1},
    {0x23, 0x22, 0, 2},
    {0x24, 0x22, 0, 3},
    {0x25, 0x22, 0, 4},
    {0x26, 0x22, 0, 5},
    {0x27, 0x22, 0, 6},
    {0x28, 0x22, 0, 7},
    {0x29, 0x22, 0, 8},
}};

// The special functions the key editor offers in one list. Rows 8, 9, 13 and 14 are the codes
// only this table names; the others repeat codes the mouse button, fire, keyboard and
// sensitivity tables name, so that the list offers them in one place: the five mouse buttons,
// the fire key (its factory rate and count), show the desktop (left Win + D), switch windows
// (left Alt + Tab), and DPI up, down and cycle.
inline constexpr std::array<CodeRow, 15> kSpecialTable = {{
    {0, 0x10, 0x01, 0},
    {1, 0x10, 0x02, 0},
    {2, 0x10, 0x04, 0},
    {3, 0x10, 0x10, 0},
    {4, 0x10, 0x08, 0},
    {5, 0x14, 0x78, 0x02},
    {6, 0x20, 0x08, 0x07},
    {7, 0x20, 0x04, 0x2B},
    {8, 0xA0, 0x02, 0},
    {9, 0xA0, 0x00, 0},
    {10, 0x13, 1, 0},
    {11, 0x13, 2, 0},
    {12, 0x13, 3, 0},
    {13, 0x16, 0, 0},
    {14, 0x23, 0, 0},
}};

// Swing up, down, left, right: the direction is bit 7 of byte 0; byte 1 is left to the editor.
inline constexpr std::array<CodeRow, 4> kSwingTable = {{
    {0, 0x12, 0, 0x00},
    {1, 0x12, 0, 0x80},
    {2, 0x11, 0, 0x00},
    {3, 0x11, 0, 0x80},
}};
inline constexpr uint8_t kSwingSecondDirection = 0x80;

// Gun keys 0-3 (byte 1), named from kGunNames.
inline constexpr std::array<CodeRow, 4> kGunKeyTable = {{
    {0, 0x72, 0, 0},
    {1, 0x72, 1, 0},
    {2, 0x72, 2, 0},
    {3, 0x72, 3, 0},
}};

// The name keys of the mouse page's eleven key buttons, in key button order.
inline constexpr std::array<const char*, 11> kKeyButtonNames = {
    "mouse_key_left",  "mouse_key_right",   "mouse_key_middle",  "mouse_key_forward",
    "mouse_key_back",  "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop",
    "keyboard_key_GM", "mouse_key_M8_key",  "mouse_key_fire_key"};

// --- look-ups -----------------------------------------------------------------------------------

// Row `index` of a table; nullptr outside it.
constexpr const CodeRow* RowAt(std::span<const CodeRow> table, int index) {
    return index >= 0 && size_t(index) < table.size() ? &table[size_t(index)] : nullptr;
}

// The first row whose byte 1 and byte 0 equal the code's (the group is not compared); -1 for none.
constexpr int FindByBytes(std::span<const CodeRow> table, uint32_t code) {
    const auto byte1 = uint8_t(code >> 8), byte0 = uint8_t(code);
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i].byte1 == byte1 && table[i].byte0 == byte0) {
            return int(i);
        }
    }
    return -1;
}

// The first key code table row with this virtual key; -1 for none.
constexpr int FindKeyByVirtualKey(uint16_t virtualKey) {
    for (size_t i = 0; i < kKeyCodeTable.size(); ++i) {
        if (kKeyCodeTable[i].first == virtualKey) {
            return int(i);
        }
    }
    return -1;
}

// The first keyboard key (a row of the macro key table, which is also its key code table row)
// with this virtual key and extended flag; -1 for none. An extended key also matches a row whose
// virtual-key field carries the extended mark (the keypad Enter comes as Enter, extended).
constexpr int FindKeyByVirtualKey(uint16_t virtualKey, bool extended) {
    for (size_t i = 0; i < kMacroKeyTable.size(); ++i) {
        const uint16_t field = kKeyCodeTable[i].first;
        const bool same = field == virtualKey ||
                          (extended && field == uint16_t(virtualKey + kExtendedVirtualKey));
        if (same && kMacroKeyTable[i].extended == extended) {
            return int(i);
        }
    }
    return -1;
}

// The keyboard key with this scan code and extended flag (the recorder's look-up); -1 for none.
constexpr int FindKeyByScanCode(uint8_t scanCode, bool extended) {
    for (size_t i = 0; i < kMacroKeyTable.size(); ++i) {
        if (kMacroKeyTable[i].scanCode == scanCode && kMacroKeyTable[i].extended == extended) {
            return int(i);
        }
    }
    return -1;
}

// The name key of key code table row `row`; nullptr outside the table.
constexpr const char* KeyCodeNameKey(int row) {
    return row >= 0 && size_t(row) < kKeyCodeTable.size() ? NameKey(kKeyCodeNames, row) : nullptr;
}

// --- checks of the data -------------------------------------------------------------------------

namespace detail {

constexpr bool RangesFollowEachOther() {
    const NameRange ranges[] = {kGunNames,    kShortcutNames, kGroup22Names,     kSpecialNames,
                                kSystemNames, kMediaNames,    kFireName,         kSensitivityNames,
                                kSwingNames,  kKeyCodeNames,  kMouseButtonNames, kMacroMouseNames};
    int next = kFirstNameIndex;
    for (const NameRange& r : ranges) {
        if (r.first != next) {
            return false;
        }
        next = r.End();
    }
    return next == kNameCount;
}

constexpr bool Same(const char* a, const char* b) {
    return a != nullptr && b != nullptr && std::string_view(a) == std::string_view(b);
}

constexpr bool MacroKeysBeginTheKeyCodeTable() {
    for (size_t i = 0; i < kMacroKeyTable.size(); ++i) {
        const MacroKeyRow& m = kMacroKeyTable[i];
        const CodeRow& k = kKeyCodeTable[i];
        if (!Same(m.nameKey, KeyCodeNameKey(int(i))) || k.group != group::kKeyboard ||
            m.modifier != k.byte1 || m.usage != k.byte0 || (m.modifier == 0) == (m.usage == 0)) {
            return false;
        }
    }
    return true;
}

constexpr bool MouseEventsAreNamedFromTheirRange() {
    for (size_t i = 0; i < kMouseEventTable.size(); ++i) {
        if (!Same(kMouseEventTable[i].nameKey, NameKey(kMacroMouseNames, int(i)))) {
            return false;
        }
    }
    return true;
}

template <size_t N>
constexpr bool FirstFieldsCount(const std::array<CodeRow, N>& table, int from) {
    for (size_t i = 0; i < N; ++i) {
        if (table[i].first != from + int(i)) {
            return false;
        }
    }
    return true;
}

}  // namespace detail

static_assert(detail::RangesFollowEachOther(), "the name ranges tile the name table");
static_assert(kShortcutNames.count == int(kShortcutTable.size()));
static_assert(kGroup22Names.count == int(kGroup22Table.size()));
static_assert(kSpecialNames.count == int(kSpecialTable.size()));
static_assert(kSystemNames.count == int(kSystemTable.size()));
static_assert(kMediaNames.count == int(kMediaTable.size()));
static_assert(kSensitivityNames.count == int(kSensitivityTable.size()));
static_assert(kSwingNames.count == int(kSwingTable.size()));
static_assert(kMouseButtonNames.count == int(kMouseButtonTable.size()));
static_assert(kGunNames.count == int(kGunKeyTable.size()));
static_assert(detail::MacroKeysBeginTheKeyCodeTable(),
              "the macro keys are the first rows of the key code table, with the same names");
static_assert(detail::MouseEventsAreNamedFromTheirRange());
static_assert(detail::Same(NameKey(kKeyCodeNames, kNonUsHashRow), "keyboard_key_K42"));
static_assert(detail::Same(NameKey(kKeyCodeNames.End() - 1), "keyboard_key_COLOR"));
static_assert(detail::Same(NameKey(kSpecialNames, 9), "close_text"));
static_assert(detail::Same(NameKey(kSpecialNames, 13), "mouse_key_DPI_shift"));
static_assert(detail::FirstFieldsCount(kGroup22Table, 0x21));
static_assert(detail::FirstFieldsCount(kMediaTable, 0) &&
              detail::FirstFieldsCount(kSpecialTable, 0) &&
              detail::FirstFieldsCount(kShortcutTable, 0));

}  // namespace q840::keys
