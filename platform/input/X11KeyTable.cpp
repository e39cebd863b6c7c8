#include "platform/input/X11KeyTable.h"

#include "core/keys/KeyTables.h"

namespace q840::input {

// clang-format off
const X11KeyRow kX11KeyTable[113] = {
    {  9, 0x01, false},  // Esc
    { 10, 0x02, false},  // 1
    { 11, 0x03, false},  // 2
    { 12, 0x04, false},  // 3
    { 13, 0x05, false},  // 4
    { 14, 0x06, false},  // 5
    { 15, 0x07, false},  // 6
    { 16, 0x08, false},  // 7
    { 17, 0x09, false},  // 8
    { 18, 0x0A, false},  // 9
    { 19, 0x0B, false},  // 0
    { 20, 0x0C, false},  // -
    { 21, 0x0D, false},  // =
    { 22, 0x0E, false},  // BackSpace
    { 23, 0x0F, false},  // Tab
    { 24, 0x10, false},  // Q
    { 25, 0x11, false},  // W
    { 26, 0x12, false},  // E
    { 27, 0x13, false},  // R
    { 28, 0x14, false},  // T
    { 29, 0x15, false},  // Y
    { 30, 0x16, false},  // U
    { 31, 0x17, false},  // I
    { 32, 0x18, false},  // O
    { 33, 0x19, false},  // P
    { 34, 0x1A, false},  // [
    { 35, 0x1B, false},  // ]
    { 36, 0x1C, false},  // Enter
    { 37, 0x1D, false},  // left Ctrl
    { 38, 0x1E, false},  // A
    { 39, 0x1F, false},  // S
    { 40, 0x20, false},  // D
    { 41, 0x21, false},  // F
    { 42, 0x22, false},  // G
    { 43, 0x23, false},  // H
    { 44, 0x24, false},  // J
    { 45, 0x25, false},  // K
    { 46, 0x26, false},  // L
    { 47, 0x27, false},  // ;
    { 48, 0x28, false},  // '
    { 49, 0x29, false},  // `
    { 50, 0x2A, false},  // left Shift
    { 51, 0x2B, false},  // backslash
    { 52, 0x2C, false},  // Z
    { 53, 0x2D, false},  // X
    { 54, 0x2E, false},  // C
    { 55, 0x2F, false},  // V
    { 56, 0x30, false},  // B
    { 57, 0x31, false},  // N
    { 58, 0x32, false},  // M
    { 59, 0x33, false},  // ,
    { 60, 0x34, false},  // .
    { 61, 0x35, false},  // /
    { 62, 0x36, false},  // right Shift
    { 63, 0x37, false},  // Num *
    { 64, 0x38, false},  // left Alt
    { 65, 0x39, false},  // Space
    { 66, 0x3A, false},  // Caps Lock
    { 67, 0x3B, false},  // F1
    { 68, 0x3C, false},  // F2
    { 69, 0x3D, false},  // F3
    { 70, 0x3E, false},  // F4
    { 71, 0x3F, false},  // F5
    { 72, 0x40, false},  // F6
    { 73, 0x41, false},  // F7
    { 74, 0x42, false},  // F8
    { 75, 0x43, false},  // F9
    { 76, 0x44, false},  // F10
    { 77, 0x45, true },  // Num Lock
    { 78, 0x46, false},  // Scroll Lock
    { 79, 0x47, false},  // Num 7
    { 80, 0x48, false},  // Num 8
    { 81, 0x49, false},  // Num 9
    { 82, 0x4A, false},  // Num -
    { 83, 0x4B, false},  // Num 4
    { 84, 0x4C, false},  // Num 5
    { 85, 0x4D, false},  // Num 6
    { 86, 0x4E, false},  // Num +
    { 87, 0x4F, false},  // Num 1
    { 88, 0x50, false},  // Num 2
    { 89, 0x51, false},  // Num 3
    { 90, 0x52, false},  // Num 0
    { 91, 0x53, false},  // Num .
    { 94, 0x56, false},  // 102nd key
    { 95, 0x57, false},  // F11
    { 96, 0x58, false},  // F12
    { 97, 0x73, false},  // Ro
    {100, 0x79, false},  // Henkan
    {101, 0x70, false},  // Katakana/Hiragana
    {102, 0x7B, false},  // Muhenkan
    {104, 0x1C, true },  // Num Enter
    {105, 0x1D, true },  // right Ctrl
    {106, 0x35, true },  // Num /
    {107, 0x37, true },  // Print Screen
    {108, 0x38, true },  // right Alt
    {110, 0x47, true },  // Home
    {111, 0x48, true },  // Up
    {112, 0x49, true },  // Page Up
    {113, 0x4B, true },  // Left
    {114, 0x4D, true },  // Right
    {115, 0x4F, true },  // End
    {116, 0x50, true },  // Down
    {117, 0x51, true },  // Page Down
    {118, 0x52, true },  // Insert
    {119, 0x53, true },  // Delete
    {127, 0x45, false},  // Pause
    {129, 0x7E, false},  // keypad comma
    {130, 0x72, false},  // Hangeul
    {131, 0x71, false},  // Hanja
    {132, 0x7D, false},  // Yen
    {133, 0x5B, true },  // left Windows
    {134, 0x5C, true },  // right Windows
    {135, 0x5D, true },  // Menu (App)
};
// clang-format on

std::optional<X11KeyRow> FindX11Key(unsigned keycode) {
    for (const X11KeyRow& row : kX11KeyTable) {
        if (row.keycode == keycode) {
            return row;
        }
    }
    return std::nullopt;
}

KeyHookRecord MakeKeyRecord(unsigned keycode, bool press, uint32_t time) {
    KeyHookRecord record;
    record.time = time;
    record.flags = press ? 0 : kKeyFlagUp;
    const std::optional<X11KeyRow> row = FindX11Key(keycode);
    if (!row) {
        return record;
    }
    record.scanCode = row->scanCode;
    if (row->extended) {
        record.flags |= kKeyFlagExtended;
    }
    const int key = keys::FindKeyByScanCode(row->scanCode, row->extended);
    if (key >= 0) {
        // The keypad Enter's field carries the extended mark; the record has the flag instead.
        record.vkCode = keys::kKeyCodeTable[size_t(key)].first & 0xFF;
    }
    return record;
}

}  // namespace q840::input
