#include "platform/input/CX11InputSource.h"

#include <QThread>
#include <QTimer>
#include <exception>
#include <map>

#include "core/base/DebugLine.h"
#include "platform/input/X11KeyTable.h"

// Xlib last: its macros (None, Bool, KeyPress, ...) would shadow names in the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

namespace q840::input {

namespace {

constexpr unsigned kLeftAltKeycode = 64;
constexpr unsigned kRightAltKeycode = 108;
// Another client may hold the keyboard for a moment (a menu closing): the grab is tried again
// for up to this long before the recording is refused.
constexpr int kGrabAttempts = 30;
constexpr int kGrabRetryMs = 10;

// Protocol errors of our own requests (a RECORD request the server refuses) must not end the
// program through Xlib's default handler; they are counted while one of our calls runs.
int g_protocolErrors = 0;
int CountError(Display*, XErrorEvent*) {
    ++g_protocolErrors;
    return 0;
}
class QuietErrors {
public:
    QuietErrors() : m_previous(XSetErrorHandler(CountError)) { g_protocolErrors = 0; }
    ~QuietErrors() { XSetErrorHandler(m_previous); }
    bool Any() const { return g_protocolErrors != 0; }

private:
    XErrorHandler m_previous;
};

void RecordCallback(XPointer self, XRecordInterceptData* data) {
    CX11InputSource::OnRecorded(self, data);
}

// Xlib's process-wide handler of a broken connection ends the program. For our own connections
// it only marks the capture lost; every other connection goes to the handler that was there
// before (the toolkit's, or Xlib's own).
std::map<Display*, CX11InputSource*> g_connections;
XIOErrorHandler g_previousIOHandler = nullptr;
bool g_ioHandlerInstalled = false;
int OnIOError(Display* dpy) {
    if (g_connections.count(dpy) != 0) {
        return 0;  // our per-connection handler follows
    }
    return g_previousIOHandler != nullptr ? g_previousIOHandler(dpy) : 0;
}

Display* Open(const std::string& name, CX11InputSource* owner, XIOErrorExitHandler lost) {
    Display* dpy = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (dpy == nullptr) {
        return nullptr;
    }
    if (!g_ioHandlerInstalled) {
        g_previousIOHandler = XSetIOErrorHandler(OnIOError);
        g_ioHandlerInstalled = true;
    }
    g_connections[dpy] = owner;
    XSetIOErrorExitHandler(dpy, lost, owner);
    return dpy;
}

void Close(Display* dpy) {
    g_connections.erase(dpy);
    XCloseDisplay(dpy);
}

}  // namespace

CX11InputSource::CX11InputSource(std::string display) : m_display(std::move(display)) {}

CX11InputSource::~CX11InputSource() {
    Stop();
}

bool CX11InputSource::ServerAnswers(const std::string& display) {
    Display* dpy = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (dpy == nullptr) {
        return false;
    }
    XCloseDisplay(dpy);
    return true;
}

int CX11InputSource::KeyConnectionFd() const {
    return m_keys != nullptr ? ConnectionNumber(m_keys) : -1;
}

bool CX11InputSource::Start(bool keys, bool mouse, IInputSink* sink) {
    Stop();
    m_error.clear();
    m_lost = false;
    if (sink == nullptr) {
        m_error = "nothing to deliver the input to";
        return false;
    }
    m_sink = sink;
    if (keys && !StartKeys()) {
        const std::string why = m_error;
        Stop();
        m_error = why;
        return false;
    }
    if (mouse && !StartMouse()) {
        // The mouse side is an extra: the keys are recorded without it.
        DebugLine("mouse buttons not recorded: %s", m_error.c_str());
    }
    return true;
}

bool CX11InputSource::StartKeys() {
    m_keys = Open(m_display, this, &CX11InputSource::OnConnectionLost);
    if (m_keys == nullptr) {
        m_error =
            "no X server answers at " + (m_display.empty() ? std::string("$DISPLAY") : m_display);
        return false;
    }
    Bool supported = False;
    XkbSetDetectableAutoRepeat(m_keys, True, &supported);
    int result = AlreadyGrabbed;
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
        result = XGrabKeyboard(m_keys, DefaultRootWindow(m_keys), False, GrabModeAsync,
                               GrabModeAsync, CurrentTime);
        if (result == GrabSuccess || (result != AlreadyGrabbed && result != GrabFrozen)) {
            break;
        }
        QThread::msleep(kGrabRetryMs);
    }
    if (result != GrabSuccess) {
        m_error = result == AlreadyGrabbed ? "another program holds the keyboard"
                                           : "the X server refused the keyboard grab";
        return false;
    }
    XSync(m_keys, False);
    m_keyNotifier = new QSocketNotifier(ConnectionNumber(m_keys), QSocketNotifier::Read, this);
    connect(m_keyNotifier, &QSocketNotifier::activated, this, [this] { ReadKeys(); });
    // Events Xlib has already read with the grab's reply wait in its queue.
    QTimer::singleShot(0, this, [this] { ReadKeys(); });
    return true;
}

bool CX11InputSource::StartMouse() {
    m_recordControl = Open(m_display, this, &CX11InputSource::OnConnectionLost);
    m_recordData = Open(m_display, this, &CX11InputSource::OnConnectionLost);
    if (m_recordControl == nullptr || m_recordData == nullptr) {
        m_error = "no second connection to the X server";
        return false;
    }
    int major = 0, minor = 0;
    if (!XRecordQueryVersion(m_recordControl, &major, &minor)) {
        m_error = "the X server has no RECORD extension";
        return false;
    }
    QuietErrors quiet;
    XRecordRange* range = XRecordAllocRange();
    if (range == nullptr) {
        m_error = "out of memory";
        return false;
    }
    range->device_events.first = ButtonPress;
    range->device_events.last = ButtonRelease;
    XRecordClientSpec clients = XRecordAllClients;
    m_context = XRecordCreateContext(m_recordControl, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(m_recordControl, False);
    if (m_context == 0 || quiet.Any()) {
        m_context = 0;
        m_error = "the X server refused a RECORD context";
        return false;
    }
    if (!XRecordEnableContextAsync(m_recordData, m_context, &RecordCallback,
                                   reinterpret_cast<XPointer>(this))) {
        m_error = "the X server refused to record";
        return false;
    }
    XFlush(m_recordData);
    m_recordNotifier =
        new QSocketNotifier(ConnectionNumber(m_recordData), QSocketNotifier::Read, this);
    connect(m_recordNotifier, &QSocketNotifier::activated, this, [this] { ReadRecord(); });
    return true;
}

void CX11InputSource::Stop() {
    m_sink = nullptr;
    for (QPointer<QSocketNotifier>* notifier : {&m_keyNotifier, &m_recordNotifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            (*notifier)->deleteLater();
            *notifier = nullptr;
        }
    }
    if (m_keys != nullptr) {
        if (!m_lost) {
            XUngrabKeyboard(m_keys, CurrentTime);
            XSync(m_keys, False);
        }
        Close(m_keys);
        m_keys = nullptr;
    }
    if (m_recordControl != nullptr) {
        if (m_context != 0 && !m_lost) {
            XRecordDisableContext(m_recordControl, m_context);
            XRecordFreeContext(m_recordControl, m_context);
            XSync(m_recordControl, False);
        }
        Close(m_recordControl);
        m_recordControl = nullptr;
    }
    m_context = 0;
    if (m_recordData != nullptr) {
        Close(m_recordData);
        m_recordData = nullptr;
    }
}

template <typename Call>
void CX11InputSource::Deliver(Call call) {
    if (m_sink == nullptr) {
        return;
    }
    try {
        call();
    } catch (const std::exception& e) {
        Fail(std::string("recording handler failed: ") + e.what());
    } catch (...) {
        Fail("recording handler failed");
    }
}

void CX11InputSource::Fail(const std::string& why) {
    DebugLine("input capture ends: %s", why.c_str());
    m_error = why;
    // The keyboard goes back at once; the connections are closed once Xlib is out of our way.
    if (m_keys != nullptr && !m_lost) {
        XUngrabKeyboard(m_keys, CurrentTime);
        XFlush(m_keys);
    }
    m_sink = nullptr;
    QTimer::singleShot(0, this, [this] {
        if (m_sink == nullptr) {
            Stop();
        }
    });
}

void CX11InputSource::ReadKeys() {
    if (m_reading) {
        return;  // a sink that runs the event loop comes back here
    }
    m_reading = true;
    while (m_keys != nullptr && !m_lost && XPending(m_keys) > 0) {
        XEvent event;
        XNextEvent(m_keys, &event);
        if (event.type != KeyPress && event.type != KeyRelease) {
            continue;
        }
        ++m_keyEventsRead;
        const bool press = event.type == KeyPress;
        const unsigned keycode = event.xkey.keycode;
        if (!press && XEventsQueued(m_keys, QueuedAfterReading) > 0) {
            // Without detectable auto-repeat a repeat is a release and a press at the same time:
            // the release is not the key's end.
            XEvent next;
            XPeekEvent(m_keys, &next);
            if (next.type == KeyPress && next.xkey.keycode == keycode &&
                next.xkey.time == event.xkey.time) {
                continue;
            }
        }
        const bool alt = (event.xkey.state & Mod1Mask) != 0 || keycode == kLeftAltKeycode ||
                         keycode == kRightAltKeycode;
        const UINT message = press ? (alt ? kSysKeyDown : kKeyDown) : (alt ? kSysKeyUp : kKeyUp);
        const KeyHookRecord record = MakeKeyRecord(keycode, press, uint32_t(event.xkey.time));
        Deliver([&] { m_sink->OnKey(message, record); });
    }
    m_reading = false;
    if (m_lost) {
        Fail("the X server closed the connection");
    }
}

void CX11InputSource::ReadRecord() {
    if (m_recordData == nullptr || m_lost) {
        return;
    }
    XRecordProcessReplies(m_recordData);
    if (m_lost) {
        Fail("the X server closed the connection");
    }
}

void CX11InputSource::OnRecorded(char* self, void* raw) {
    auto* source = reinterpret_cast<CX11InputSource*>(self);
    auto* data = static_cast<XRecordInterceptData*>(raw);
    if (data->category == XRecordFromServer && data->data_len * 4 >= sizeof(xEvent)) {
        const auto* event = reinterpret_cast<const xEvent*>(data->data);
        const int type = event->u.u.type & 0x7F;
        const int button = event->u.u.detail;
        const bool press = type == ButtonPress;
        UINT message = 0;
        uint32_t extra = 0;
        switch (button) {
            case 1:
                message = press ? kLeftDown : kLeftUp;
                break;
            case 2:
                message = press ? kMiddleDown : kMiddleUp;
                break;
            case 3:
                message = press ? kRightDown : kRightUp;
                break;
            case 8:
                message = press ? kExtraDown : kExtraUp;
                extra = kExtraBack;
                break;
            case 9:
                message = press ? kExtraDown : kExtraUp;
                extra = kExtraForward;
                break;
            default:
                break;  // the wheel (4-7) is not a button press
        }
        if (message != 0 && (type == ButtonPress || type == ButtonRelease)) {
            MouseHookRecord record;
            record.x = event->u.keyButtonPointer.rootX;
            record.y = event->u.keyButtonPointer.rootY;
            record.mouseData = extra << 16;
            source->Deliver([&] { source->m_sink->OnMouse(message, record); });
        }
    }
    XRecordFreeData(data);
}

void CX11InputSource::OnConnectionLost(_XDisplay* /*display*/, void* self) {
    // Called inside Xlib: nothing here may talk to the server. The reader that called Xlib ends
    // the capture when Xlib returns.
    static_cast<CX11InputSource*>(self)->m_lost = true;
}

}  // namespace q840::input
