#pragma once

// What the input hook hands the main window with each message: the key or mouse message as
// wParam and, as lParam, a pointer to one of these records, valid while the message is handled.
// Their layouts are the ones the recorder reads (the low-level keyboard event record, and a mouse
// record with the screen point at offsets 0 and 4 and the mouse data word at offset 20).

#include <cstddef>
#include <cstdint>

#include "core/base/Win32Types.h"

namespace q840::input {

// Key messages (wParam of the keyboard hook messages).
constexpr UINT kKeyDown = 0x100;
constexpr UINT kKeyUp = 0x101;
constexpr UINT kSysKeyDown = 0x104;  // with Alt held, or Alt itself
constexpr UINT kSysKeyUp = 0x105;

// Mouse messages (wParam of the mouse hook messages).
constexpr UINT kLeftDown = 0x201;
constexpr UINT kLeftUp = 0x202;
constexpr UINT kRightDown = 0x204;
constexpr UINT kRightUp = 0x205;
constexpr UINT kMiddleDown = 0x207;
constexpr UINT kMiddleUp = 0x208;
constexpr UINT kExtraDown = 0x20B;
constexpr UINT kExtraUp = 0x20C;
// High half of the mouse data word of an extra button message.
constexpr uint32_t kExtraBack = 1;
constexpr uint32_t kExtraForward = 2;

// Virtual keys of the lock keys, which keep working while the keyboard is captured.
constexpr uint32_t kVirtualCapsLock = 0x14;
constexpr uint32_t kVirtualNumLock = 0x90;
constexpr uint32_t kVirtualScrollLock = 0x91;
inline bool IsLockKey(uint32_t virtualKey) {
    return virtualKey == kVirtualCapsLock || virtualKey == kVirtualNumLock ||
           virtualKey == kVirtualScrollLock;
}

constexpr uint32_t kKeyFlagExtended = 0x01;  // the make code carries the E0 prefix
constexpr uint32_t kKeyFlagUp = 0x80;

// One key event: the virtual key (Windows numbering, as the key code tables use it), the PC
// set-1 make code, flags (bit 0 extended, bit 7 release), the event time in ms.
struct KeyHookRecord {
    uint32_t vkCode = 0;
    uint32_t scanCode = 0;
    uint32_t flags = 0;
    uint32_t time = 0;
    uint64_t dwExtraInfo = 0;

    bool Extended() const { return (flags & kKeyFlagExtended) != 0; }
};
static_assert(offsetof(KeyHookRecord, scanCode) == 4 && offsetof(KeyHookRecord, flags) == 8);

// One mouse button event: the screen point, and the mouse data word whose high half names the
// extra button.
struct MouseHookRecord {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t hwnd = 0;
    uint32_t hitTest = 0;
    uint32_t extraInfo = 0;
    uint32_t mouseData = 0;
};
static_assert(offsetof(MouseHookRecord, y) == 4 && offsetof(MouseHookRecord, mouseData) == 20);

inline bool IsKeyPress(WPARAM message) {
    return message == kKeyDown || message == kSysKeyDown;
}

}  // namespace q840::input
