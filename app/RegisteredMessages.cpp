#include "app/RegisteredMessages.h"

#include <string>

#include "core/base/RegisteredMessage.h"
#include "platform/Paths.h"

namespace q840 {

namespace {
RegisteredMessages g_messages;

UINT Register(std::string_view name) {
    return RegisterWindowMessageW(std::string(name));
}
}  // namespace

const RegisteredMessages& Messages() {
    return g_messages;
}

void RegisterStaticMessages() {
    UINT* const entries[] = {
        &g_messages.WM_HOOK_KEY_SINGLEKEY_MSG,
        &g_messages.WM_HOOK_KEY_HITKEY_MSG,
        &g_messages.WM_HOOK_KEY_KBMACRO_MSG,
        &g_messages.WM_HOOK_KEY_MSMACRO_MSG,
        &g_messages.WM_HOOK_KEY_KBMACROSINGLE_MSG,
        &g_messages.WM_HOOK_KEY_KBMACROPREVIOUS_MSG,
        &g_messages.WM_HOOK_KEY_KBMACROLATER_MSG,
        &g_messages.WM_HOOK_MOU_SINGLEKEY_MSG,
        &g_messages.WM_HOOK_MOU_HITKEY_MSG,
        &g_messages.WM_HOOK_MOU_KBMACRO_MSG,
        &g_messages.WM_HOOK_MOU_MSMACRO_MSG,
        &g_messages.WM_HOOK_KEY_MSMACROSINGLE_MSG,
        &g_messages.WM_HOOK_KEY_MSMACROPREVIOUS_MSG,
        &g_messages.WM_HOOK_KEY_MSMACROLATER_MSG,
        &g_messages.UWM_MOUSERBUTTONDOWN_USER_MSG,
        &g_messages.UWM_MOUSELBUTTONUP_USER_MSG,
        &g_messages.UWM_MOUSELBUTTONDOWN_USER_MSG,
        &g_messages.UWM_MOUSERBUTTONUP_USER_MSG,
        &g_messages.UWM_MOUSERBUTTONDOWN_USER_MSG_2,
        &g_messages.UWM_MOUSEMOVE_USER_MSG,
        &g_messages.Game_Start,
        &g_messages.Game_End,
        &g_messages.Game_Kill,
        &g_messages.Game_Death,
    };
    static_assert(std::size(entries) == kStaticMessageNames.size());
    for (size_t i = 0; i < kStaticMessageNames.size(); ++i) {
        *entries[i] = Register(kStaticMessageNames[i]);
    }
}

std::vector<UINT> AdmittedMessages() {
    const RegisteredMessages& m = g_messages;
    return {m.UWM_APP_ACTIVATE_MSG,
            m.UWM_UPDATE_PROGRESS_MSG,
            m.UWM_LIGHT_OWNER_NOTIFY_MSG,
            m.UWM_WORKTOOL_QUERY_MSG,
            m.WM_HOOK_KEY_SINGLEKEY_MSG,
            m.WM_HOOK_KEY_HITKEY_MSG,
            m.WM_HOOK_KEY_KBMACRO_MSG,
            m.WM_HOOK_KEY_MSMACRO_MSG,
            m.WM_HOOK_KEY_KBMACROSINGLE_MSG,
            m.WM_HOOK_KEY_KBMACROPREVIOUS_MSG,
            m.WM_HOOK_KEY_KBMACROLATER_MSG,
            m.WM_HOOK_MOU_SINGLEKEY_MSG,
            m.WM_HOOK_MOU_HITKEY_MSG,
            m.WM_HOOK_MOU_KBMACRO_MSG,
            m.WM_HOOK_MOU_MSMACRO_MSG,
            m.WM_HOOK_KEY_MSMACROSINGLE_MSG,
            m.WM_HOOK_KEY_MSMACROPREVIOUS_MSG,
            m.WM_HOOK_KEY_MSMACROLATER_MSG,
            m.UWM_MOUSERBUTTONDOWN_USER_MSG,
            m.UWM_MOUSERBUTTONDOWN_USER_MSG_2,
            m.UWM_MOUSELBUTTONUP_USER_MSG,
            m.UWM_MOUSELBUTTONDOWN_USER_MSG,
            m.UWM_MOUSERBUTTONUP_USER_MSG,
            m.UWM_MOUSEMOVE_USER_MSG};
}

bool RegisterActivateMessage() {
    g_messages.UWM_APP_ACTIVATE_MSG = Register(kProductTitle);
    return g_messages.UWM_APP_ACTIVATE_MSG >= kFirstRegisteredMessage &&
           g_messages.UWM_APP_ACTIVATE_MSG <= kLastRegisteredMessage;
}

void RegisterGuidMessages() {
    g_messages.UWM_UPDATE_PROGRESS_MSG = Register(kGuidMessageNames[0]);
    g_messages.UWM_LIGHT_OWNER_NOTIFY_MSG = Register(kGuidMessageNames[1]);
    g_messages.UWM_LIGHT_OWNER_REQUEST_MSG = Register(kGuidMessageNames[2]);
    g_messages.UWM_WORKTOOL_QUERY_MSG = Register(kGuidMessageNames[3]);
    g_messages.UWM_AUDIO_WND_CMD_MSG = Register(kGuidMessageNames[4]);
}

}  // namespace q840
