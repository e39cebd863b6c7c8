#pragma once

// X key codes as the recorder needs them: the PC set-1 make code with its E0 flag, and the
// virtual key of the key code tables. X servers with the evdev keymap (Xorg, Xvfb, Xwayland) and
// Qt's native scan codes on Wayland number a key as its Linux input code + 8.

#include <cstdint>
#include <optional>

#include "platform/input/HookRecords.h"

namespace q840::input {

struct X11KeyRow {
    uint8_t keycode;  // X key code (Linux input code + 8)
    uint8_t scanCode;
    bool extended;
};

// One row per key of the macro key table (all 113 of them), by X key code.
extern const X11KeyRow kX11KeyTable[113];

// The set-1 code of an X key code; nullopt for a key the table does not know.
std::optional<X11KeyRow> FindX11Key(unsigned keycode);

// The record of a key event: scan code, extended flag and virtual key from the tables; a key
// the tables do not know gets scan code and virtual key 0 (the recorder drops it).
KeyHookRecord MakeKeyRecord(unsigned keycode, bool press, uint32_t time);

}  // namespace q840::input
