#pragma once

// What the message box, the about window and the other small windows share: the key and system
// command numbers their message handling is written in, the scales a window may run at, the
// window style sheet at a scale, and the default Enter/Escape handling.

#include <QString>

#include "core/base/Win32Types.h"

class QWidget;

namespace q840::ui {
class WindowImplBase;
}

namespace q840::windows {

constexpr UINT WM_KEYDOWN = 0x0100;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM SC_CLOSE = 0xF060;

// Sent by the main window after a language switch: the window re-reads its texts and relayouts.
constexpr UINT kMsgLanguageChanged = 3089;

// The logical DPI values a window may be set to (96 = 100 %).
bool IsSupportedScale(int dpi);

// Windows of ours that keep scale-dependent state of their own beyond the paint manager
// (their style sheet, their fitted size) and must refresh it when the scale changes.
class IScaledWindow {
public:
    virtual ~IScaledWindow() = default;
    virtual void OnScaleChanged() = 0;
};

// Sets the scale of every window of the process (every paint manager) to dpi.
void SetScaleOfAllWindows(int dpi);

// Lifts the fixed size a scale change leaves on a window (the paint manager scales the window's
// layout size like any control's), so that it can grow with its content or be maximised.
void ReleaseFixedSize(QWidget* window);

// Gives a window the skin's style sheets ("style.qss", then "windows/windows.qss") with every
// length scaled to dpi, so that a window at 144 looks right whatever scale the rest of the
// program runs at.
void ApplyWindowStyle(QWidget* window, int dpi);

// The default key handling of a window: Escape closes it (result 0); Enter does nothing.
// Returns 1 when the key was used, 0 otherwise.
LRESULT ResponseDefaultKeyEvent(ui::WindowImplBase& window, WPARAM key);

// The virtual key of a Qt key for the keys the windows handle (Enter, Escape); 0 for others.
WPARAM VirtualKeyOf(int qtKey);

}  // namespace q840::windows
