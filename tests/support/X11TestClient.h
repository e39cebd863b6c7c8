#pragma once

// Another X client of a test's own X server (tests/support/XvfbServer.h): it injects keys and
// buttons through XTEST, as the hardware would produce them, owns a window that takes the focus,
// and tries keyboard grabs, so a test can see what other programs on the desktop get.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/WaitFor.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace q840::test {

// Another program on the same desktop: it injects input, owns a window and tries grabs.
class OtherClient {
public:
    explicit OtherClient(const std::string& display) : m_dpy(XOpenDisplay(display.c_str())) {}
    ~OtherClient() {
        if (m_dpy != nullptr) {
            XCloseDisplay(m_dpy);
        }
    }
    Display* Dpy() const { return m_dpy; }
    // A window at the top left corner that takes the focus and listens to keys and buttons.
    void OpenWindow() {
        m_window = XCreateSimpleWindow(m_dpy, DefaultRootWindow(m_dpy), 0, 0, 300, 300, 0, 0, 0);
        XSelectInput(m_dpy, m_window,
                     KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                         StructureNotifyMask);
        XMapWindow(m_dpy, m_window);
        XSync(m_dpy, False);
        ASSERT_TRUE(WaitFor([&] { return Next(MapNotify) != 0; }));
        XSetInputFocus(m_dpy, m_window, RevertToParent, CurrentTime);
        XSync(m_dpy, False);
    }
    void Key(unsigned keycode, bool press) {
        XTestFakeKeyEvent(m_dpy, keycode, press ? True : False, 0);
        XSync(m_dpy, False);
    }
    void Tap(unsigned keycode) {
        Key(keycode, true);
        Key(keycode, false);
    }
    void Click(int button, int x, int y) {
        XTestFakeMotionEvent(m_dpy, 0, x, y, 0);
        XTestFakeButtonEvent(m_dpy, button, True, 0);
        XTestFakeButtonEvent(m_dpy, button, False, 0);
        XSync(m_dpy, False);
    }
    // The type of the next event of the window (0 for none yet); keycodes of key events go to
    // `keycodes`.
    int Next(int wanted = 0) {
        while (XPending(m_dpy) > 0) {
            XEvent event;
            XNextEvent(m_dpy, &event);
            if (event.type == KeyPress) {
                keyPresses.push_back(event.xkey.keycode);
            } else if (event.type == ButtonPress) {
                buttonPresses.push_back(int(event.xbutton.button));
            }
            if (wanted == 0 || event.type == wanted) {
                return event.type;
            }
        }
        return 0;
    }
    // Whether this client could take the keyboard now (it lets go of it at once).
    bool CanGrabKeyboard() {
        const int result = XGrabKeyboard(m_dpy, DefaultRootWindow(m_dpy), False, GrabModeAsync,
                                         GrabModeAsync, CurrentTime);
        if (result == GrabSuccess) {
            XUngrabKeyboard(m_dpy, CurrentTime);
            XSync(m_dpy, False);
        }
        return result == GrabSuccess;
    }
    bool CapsLocked() {
        XkbStateRec state;
        XkbGetState(m_dpy, XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    }
    std::vector<unsigned> keyPresses;
    std::vector<int> buttonPresses;

private:
    Display* m_dpy;
    Window m_window = 0;
};

}  // namespace q840::test
