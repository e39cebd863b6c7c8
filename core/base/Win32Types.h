#pragma once

// The handful of Win32 scalar types and message numbers the program's message handling is
// written in. Keeping the numbers lets the dispatch read like the window procedure it is.

#include <cstdint>

namespace q840 {

using UINT = uint32_t;
using WPARAM = uint64_t;
using LPARAM = int64_t;
using LRESULT = int64_t;
using BOOL = int;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_DISPLAYCHANGE = 0x007E;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSEHOVER = 0x02A1;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_POWERBROADCAST = 0x0218;
constexpr UINT WM_DPICHANGED = 0x02E0;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_USER = 0x0400;

constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_RESTORE = 0xF120;

constexpr WPARAM PBT_APMSUSPEND = 4;
constexpr WPARAM PBT_APMRESUMEAUTOMATIC = 18;

// Registered messages live in 0xC000..0xFFFF.
constexpr UINT kFirstRegisteredMessage = 0xC000;
constexpr UINT kLastRegisteredMessage = 0xFFFF;

// The payload of WM_COPYDATA: lParam points at one of these while the message is handled.
struct COPYDATASTRUCT {
    uint64_t dwData = 0;
    uint32_t cbData = 0;
    const void* lpData = nullptr;
};

}  // namespace q840
