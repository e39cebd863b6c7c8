#include "platform/input/CTestInputSource.h"

namespace q840::input {

bool CTestInputSource::Start(bool keys, bool mouse, IInputSink* sink) {
    Stop();
    if (!m_failWith.empty() || sink == nullptr) {
        m_error = m_failWith;
        return false;
    }
    m_error.clear();
    m_keys = keys;
    m_mouse = mouse;
    m_sink = sink;
    ++m_starts;
    return true;
}

void CTestInputSource::Stop() {
    m_sink = nullptr;
    m_keys = m_mouse = false;
}

bool CTestInputSource::Key(UINT keyMessage, uint32_t scanCode, bool extended, uint32_t virtualKey) {
    if (m_sink == nullptr || !m_keys) {
        return false;
    }
    KeyHookRecord record;
    record.vkCode = virtualKey;
    record.scanCode = scanCode;
    record.flags = (extended ? kKeyFlagExtended : 0) | (IsKeyPress(keyMessage) ? 0 : kKeyFlagUp);
    m_sink->OnKey(keyMessage, record);
    return true;
}

bool CTestInputSource::Mouse(UINT mouseMessage, int x, int y, uint32_t extraButton) {
    if (m_sink == nullptr || !m_mouse) {
        return false;
    }
    MouseHookRecord record;
    record.x = x;
    record.y = y;
    record.mouseData = extraButton << 16;
    m_sink->OnMouse(mouseMessage, record);
    return true;
}

}  // namespace q840::input
