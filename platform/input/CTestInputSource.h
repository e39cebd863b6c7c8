#pragma once

#include <string>

#include "platform/input/IInputSource.h"

namespace q840::input {

// A source that tests drive: what they press and click goes to the sink while it is started.
class CTestInputSource : public IInputSource {
public:
    bool Start(bool keys, bool mouse, IInputSink* sink) override;
    void Stop() override;
    bool IsStarted() const override { return m_sink != nullptr; }
    InputReach Reach() const override { return m_reach; }
    std::string Error() const override { return m_error; }
    const char* Name() const override { return "test"; }

    // Start fails with this reason (empty: Start succeeds).
    void FailStarts(const std::string& why) { m_failWith = why; }
    void SetReach(InputReach reach) { m_reach = reach; }
    bool KeysWanted() const { return m_keys; }
    bool MouseWanted() const { return m_mouse; }
    int Starts() const { return m_starts; }

    // A key event as the hook reports it; false when nothing was listening.
    bool Key(UINT keyMessage, uint32_t scanCode, bool extended, uint32_t virtualKey = 0);
    bool Press(uint32_t scanCode, bool extended = false) {
        return Key(kKeyDown, scanCode, extended);
    }
    bool Release(uint32_t scanCode, bool extended = false) {
        return Key(kKeyUp, scanCode, extended);
    }
    bool Mouse(UINT mouseMessage, int x, int y, uint32_t extraButton = 0);

private:
    IInputSink* m_sink = nullptr;
    bool m_keys = false;
    bool m_mouse = false;
    int m_starts = 0;
    InputReach m_reach = InputReach::Desktop;
    std::string m_failWith;
    std::string m_error;
};

}  // namespace q840::input
