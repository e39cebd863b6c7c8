#include "platform/input/CDeviceHook.h"

#include "core/base/DebugLine.h"
#include "core/base/RegisteredMessage.h"
#include "platform/input/InputSourceChoice.h"

namespace q840::input {

namespace {

struct ModeMessages {
    int mode;
    const char* keyboard;
    const char* mouse;
};
constexpr ModeMessages kModes[] = {
    {1, "WM_HOOK_KEY_SINGLEKEY_MSG", nullptr},
    {2, "WM_HOOK_KEY_HITKEY_MSG", nullptr},
    {4, "WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_MSMACRO_MSG"},
    {8, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
    {16, "WM_HOOK_KEY_KBMACROLATER_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG"},
    {32, "WM_HOOK_KEY_KBMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG"},
    {256, "WM_HOOK_MOU_SINGLEKEY_MSG", nullptr},
    {512, "WM_HOOK_MOU_HITKEY_MSG", nullptr},
    {1024, "WM_HOOK_MOU_KBMACRO_MSG", nullptr},
};

const ModeMessages* FindMode(int mode) {
    for (const ModeMessages& row : kModes) {
        if (row.mode == mode) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

CDeviceHook::CDeviceHook() : m_factory(&CreateInputSource) {}

CDeviceHook::~CDeviceHook() {
    Stop();
}

void CDeviceHook::SetSourceFactory(SourceFactory factory) {
    Stop();
    m_source.reset();
    m_factory = std::move(factory);
}

UINT CDeviceHook::KeyboardMessage(int mode) {
    const ModeMessages* row = FindMode(mode);
    return row != nullptr ? RegisterWindowMessageW(row->keyboard) : 0;
}

bool CDeviceHook::IsHookMessage(UINT message) {
    if (message == 0) {
        return false;
    }
    for (const ModeMessages& row : kModes) {
        if (message == KeyboardMessage(row.mode) || message == MouseMessage(row.mode)) {
            return true;
        }
    }
    return false;
}

UINT CDeviceHook::MouseMessage(int mode) {
    const ModeMessages* row = FindMode(mode);
    return row != nullptr && row->mouse != nullptr ? RegisterWindowMessageW(row->mouse) : 0;
}

bool CDeviceHook::Start(int mode, HWND target, bool keyboard, bool mouse) {
    Stop();
    m_error.clear();
    if (!m_source && m_factory) {
        m_source = m_factory(&m_error);
    }
    if (!m_source) {
        if (m_error.empty()) {
            m_error = "no input source";
        }
        DebugLine("input hook not installed: %s", m_error.c_str());
        return false;
    }
    // Mouse buttons are only ever reported in the modes that have a mouse message.
    if (!m_source->Start(keyboard, mouse && MouseMessage(mode) != 0, this)) {
        m_error = m_source->Error();
        DebugLine("input hook not installed (%s): %s", m_source->Name(), m_error.c_str());
        return false;
    }
    m_target = target;
    m_mode = mode;
    m_installed = true;
    m_reach = m_source->Reach();
    DebugLine("input hook installed: mode %d through %s", mode, m_source->Name());
    return true;
}

void CDeviceHook::Stop() {
    if (m_source) {
        m_source->Stop();
    }
    if (m_installed) {
        DebugLine("input hook removed");
    }
    m_installed = false;
    m_mode = 0;
}

bool CDeviceHook::IsInstalled() const {
    return m_installed && m_source && m_source->IsStarted();
}

void CDeviceHook::OnKey(UINT keyMessage, const KeyHookRecord& record) {
    const UINT message = KeyboardMessage(m_mode);
    if (m_installed && message != 0 && IsWindow(m_target)) {
        KeyHookRecord copy = record;
        SendMessageW(m_target, message, keyMessage, reinterpret_cast<LPARAM>(&copy));
    }
}

void CDeviceHook::OnMouse(UINT mouseMessage, const MouseHookRecord& record) {
    const UINT message = MouseMessage(m_mode);
    if (m_installed && message != 0 && IsWindow(m_target)) {
        MouseHookRecord copy = record;
        SendMessageW(m_target, message, mouseMessage, reinterpret_cast<LPARAM>(&copy));
    }
}

}  // namespace q840::input
