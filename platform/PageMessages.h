#pragma once

#include "core/base/Win32Types.h"

namespace q840 {

// Messages a device page sends to the main window (SendMessageW, so they arrive on the UI
// thread and the page waits for them).
constexpr UINT kMsgProfileIndexRead = 0x0D00;  // wParam = profile index (after a settings re-read)
constexpr UINT kMsgBatteryRead = 0x0D01;      // wParam = byte 4 of the 6-byte battery record
constexpr UINT kMsgEntryReachable = 0x0D03;   // wParam = device type row, lParam 1/0
constexpr UINT kMsgDeviceInfoValid = 0x0D05;  // wParam 1 valid / 0 not

}  // namespace q840
