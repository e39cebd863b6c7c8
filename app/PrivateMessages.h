#pragma once

#include "core/base/Win32Types.h"
#include "platform/PageMessages.h"

namespace q840 {

// Private messages of the main window (the pages' own are in platform/PageMessages.h).
constexpr UINT kMsgTrayIcon = 1025;     // tray icon callback; lParam = mouse message
constexpr UINT kMsgInputHook = 1054;    // wParam 1 install / 0 remove the input hook
constexpr UINT kMsgMenuCommand = 1145;  // wParam = MenuCmd* (released by the receiver)
constexpr UINT kMsgShowSettingProgress = 3072;
constexpr UINT kMsgLanguageChosen = 3089;  // wParam = language index
constexpr UINT kMsgDeviceArrived = 3090;   // 0x0C12, wParam = device list index
constexpr UINT kMsgDeviceRemoved = 3091;   // 0x0C13, wParam = device list index
constexpr UINT kMsgOpenSettings = 3093;
constexpr UINT kMsgClearUpdateBadge = 3094;
// From the scan thread, blocking: a supported device's node cannot be opened. wParam = the path,
// lParam = the reason (both const char*, valid while the call lasts).
constexpr UINT kMsgDeviceNodeDenied = 3095;
constexpr UINT kMsgIgnored = 3330;
constexpr UINT kMsgFirmwareCheck = 3332;

// Timers of the main window.
constexpr UINT kTimerScaleAdaptation = 1011;
constexpr UINT kTimerTrayMenu = 1032;
constexpr UINT kTimerProfileSwitch = 1055;
constexpr UINT kTimerGameLightRestore = 1066;
constexpr UINT kTimerLightWrite = 1077;  // a slider's light change, written at the mouse's pace

}  // namespace q840
