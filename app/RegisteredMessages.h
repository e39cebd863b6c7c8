#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "core/base/Win32Types.h"

namespace q840 {

// The process-wide registered message identifiers. Filled during start-up, read-only after.
struct RegisteredMessages {
    // Input hook and outside hook code.
    UINT WM_HOOK_KEY_SINGLEKEY_MSG = 0;
    UINT WM_HOOK_KEY_HITKEY_MSG = 0;
    UINT WM_HOOK_KEY_KBMACRO_MSG = 0;
    UINT WM_HOOK_KEY_MSMACRO_MSG = 0;
    UINT WM_HOOK_KEY_KBMACROSINGLE_MSG = 0;
    UINT WM_HOOK_KEY_KBMACROPREVIOUS_MSG = 0;
    UINT WM_HOOK_KEY_KBMACROLATER_MSG = 0;
    UINT WM_HOOK_MOU_SINGLEKEY_MSG = 0;
    UINT WM_HOOK_MOU_HITKEY_MSG = 0;
    UINT WM_HOOK_MOU_KBMACRO_MSG = 0;
    UINT WM_HOOK_MOU_MSMACRO_MSG = 0;
    UINT WM_HOOK_KEY_MSMACROSINGLE_MSG = 0;
    UINT WM_HOOK_KEY_MSMACROPREVIOUS_MSG = 0;
    UINT WM_HOOK_KEY_MSMACROLATER_MSG = 0;
    UINT UWM_MOUSERBUTTONDOWN_USER_MSG = 0;
    UINT UWM_MOUSELBUTTONUP_USER_MSG = 0;
    UINT UWM_MOUSELBUTTONDOWN_USER_MSG = 0;
    UINT UWM_MOUSERBUTTONUP_USER_MSG = 0;
    // The fifth mouse entry repeats the right-button-down name, so it carries the same id.
    UINT UWM_MOUSERBUTTONDOWN_USER_MSG_2 = 0;
    UINT UWM_MOUSEMOVE_USER_MSG = 0;
    // Game integration.
    UINT Game_Start = 0;
    UINT Game_End = 0;
    UINT Game_Kill = 0;
    UINT Game_Death = 0;

    // Registered by the entry function.
    UINT UWM_APP_ACTIVATE_MSG = 0;         // under the product title
    UINT UWM_UPDATE_PROGRESS_MSG = 0;      // ...EBF15
    UINT UWM_LIGHT_OWNER_NOTIFY_MSG = 0;   // ...EBF16
    UINT UWM_LIGHT_OWNER_REQUEST_MSG = 0;  // ...EBF17
    UINT UWM_WORKTOOL_QUERY_MSG = 0;       // ...EBF18
    UINT UWM_AUDIO_WND_CMD_MSG = 0;        // ...EBE19
};

// Names registered before anything else runs, in table order (the hook messages, the mouse
// messages with the repeated entry, the game messages).
inline constexpr std::array<std::string_view, 24> kStaticMessageNames = {
    "WM_HOOK_KEY_SINGLEKEY_MSG",
    "WM_HOOK_KEY_HITKEY_MSG",
    "WM_HOOK_KEY_KBMACRO_MSG",
    "WM_HOOK_KEY_MSMACRO_MSG",
    "WM_HOOK_KEY_KBMACROSINGLE_MSG",
    "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_KBMACROLATER_MSG",
    "WM_HOOK_MOU_SINGLEKEY_MSG",
    "WM_HOOK_MOU_HITKEY_MSG",
    "WM_HOOK_MOU_KBMACRO_MSG",
    "WM_HOOK_MOU_MSMACRO_MSG",
    "WM_HOOK_KEY_MSMACROSINGLE_MSG",
    "WM_HOOK_KEY_MSMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_MSMACROLATER_MSG",
    "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSELBUTTONUP_USER_MSG",
    "UWM_MOUSELBUTTONDOWN_USER_MSG",
    "UWM_MOUSERBUTTONUP_USER_MSG",
    "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSEMOVE_USER_MSG",
    "Game_Start",
    "Game_End",
    "Game_Kill",
    "Game_Death",
};

// The five messages registered after resource set-up, in order. The fifth breaks the pattern
// ("EBE19"); it is the name other programs use, so it stays.
inline constexpr std::array<std::string_view, 5> kGuidMessageNames = {
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}",
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}",
    "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}",
};

const RegisteredMessages& Messages();

// The registered messages the main window admits from other programs: the activation, update
// progress, light-owner notify and WorkTool query, then the twenty hook and mouse messages
// (both right-button-down entries). Light-owner requests, audio window commands and the game
// messages are not in the list.
std::vector<UINT> AdmittedMessages();

// Start-up steps (each idempotent).
void RegisterStaticMessages();
// False when the identifier is outside 0xC000..0xFFFF (registration failed).
bool RegisterActivateMessage();
void RegisterGuidMessages();

}  // namespace q840
