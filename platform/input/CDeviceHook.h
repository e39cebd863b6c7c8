#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/MessageTarget.h"
#include "platform/input/IInputSource.h"

namespace q840::input {

// The input hook: while installed, every key event and (when asked) every mouse button event of
// the input source goes to the target window as the registered message of the hook mode, sent
// synchronously with the key or mouse message as wParam and a pointer to the event's record as
// lParam. Keys do not reach other programs meanwhile (the lock keys excepted).
//
// Modes and their messages (keyboard / mouse):
//   1  single key capture    "WM_HOOK_KEY_SINGLEKEY_MSG" / none
//   4  record at the end     "WM_HOOK_KEY_KBMACRO_MSG" / "WM_HOOK_KEY_MSMACRO_MSG"
//   8  record before         "WM_HOOK_KEY_KBMACROPREVIOUS_MSG" / "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"
//   16 record after          "WM_HOOK_KEY_KBMACROLATER_MSG" / "WM_HOOK_KEY_MSMACROLATER_MSG"
//   32 replace a step        "WM_HOOK_KEY_KBMACROSINGLE_MSG" / "WM_HOOK_KEY_MSMACROSINGLE_MSG"
//   2, 256, 512, 1024        "WM_HOOK_KEY_HITKEY_MSG", "WM_HOOK_MOU_SINGLEKEY_MSG",
//                            "WM_HOOK_MOU_HITKEY_MSG", "WM_HOOK_MOU_KBMACRO_MSG" / none
// The main window owns the one hook of the process; everything runs on its thread.
class CDeviceHook : private IInputSink {
public:
    enum Mode { kSingleKey = 1, kAppend = 4, kBefore = 8, kAfter = 16, kReplace = 32 };
    // Makes the source a capture uses; nullptr (with the reason) when there is none here.
    using SourceFactory = std::function<std::unique_ptr<IInputSource>(std::string* why)>;

    CDeviceHook();
    virtual ~CDeviceHook();

    // Tests and the benchmark bring their own source.
    void SetSourceFactory(SourceFactory factory);

    // Removes what is installed, then captures keys (`keyboard`) and mouse buttons (`mouse`)
    // for `target` in `mode`. False, with nothing installed, when the keys cannot be captured
    // (Error() says why); a source without mouse buttons still records the keys.
    bool Start(int mode, HWND target, bool keyboard, bool mouse);
    void Stop();
    bool IsInstalled() const;
    int GetMode() const { return m_mode; }
    std::string Error() const { return m_error; }
    // What the last started source reaches (the editor tells the user when it is only this
    // program's windows).
    InputReach Reach() const { return m_reach; }
    IInputSource* Source() const { return m_source.get(); }

    // The keyboard and mouse messages of a mode (0 for none).
    static UINT KeyboardMessage(int mode);
    static UINT MouseMessage(int mode);
    // Whether `message` is one of the hook's messages (of any mode): their lParam points at a
    // record in this process, so they never come from outside it.
    static bool IsHookMessage(UINT message);

private:
    void OnKey(UINT keyMessage, const KeyHookRecord& record) override;
    void OnMouse(UINT mouseMessage, const MouseHookRecord& record) override;

    SourceFactory m_factory;
    std::unique_ptr<IInputSource> m_source;
    HWND m_target = nullptr;
    int m_mode = 0;
    bool m_installed = false;
    InputReach m_reach = InputReach::Desktop;
    std::string m_error;
};

}  // namespace q840::input
