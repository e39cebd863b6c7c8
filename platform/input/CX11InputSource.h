#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <cstdint>
#include <string>

#include "platform/input/IInputSource.h"

struct _XDisplay;

namespace q840::input {

// Desktop-wide capture on an X server, over connections of its own (never the toolkit's):
// - keys: an active grab of the keyboard on the root window, so that the keys come to this
//   program only while recording; the server keeps the lock keys' state, so Caps Lock, Num Lock
//   and Scroll Lock still toggle. Auto-repeat comes as repeated presses, as the recorder expects.
// - mouse buttons: the RECORD extension, which reports every press and release on the desktop
//   without taking them from the windows they are meant for.
// Stop, the destructor, an exception thrown by the sink and a connection the server closes all
// give the grab back (a closed connection loses it at the server anyway). Xlib's fatal handler
// is replaced per connection, so a dead connection stops the capture instead of the program.
class CX11InputSource : public QObject, public IInputSource {
    Q_OBJECT
public:
    // `display`: the X display to use; empty for $DISPLAY.
    explicit CX11InputSource(std::string display = {});
    ~CX11InputSource() override;

    bool Start(bool keys, bool mouse, IInputSink* sink) override;
    void Stop() override;
    bool IsStarted() const override { return m_sink != nullptr; }
    InputReach Reach() const override { return InputReach::Desktop; }
    std::string Error() const override { return m_error; }
    const char* Name() const override { return "x11"; }

    // The socket of the grab connection (-1 when there is none); tests close it under the
    // source's feet.
    int KeyConnectionFd() const;
    // Key events read from the server, repeats included (tests wait for auto-repeat with it).
    uint64_t KeyEventsRead() const { return m_keyEventsRead; }

    // True when an X server answers at `display` (empty: $DISPLAY).
    static bool ServerAnswers(const std::string& display = {});
    // One recorded mouse event (RECORD's callback, with this source as `self`).
    static void OnRecorded(char* self, void* data);

private:
    bool StartKeys();
    bool StartMouse();
    void ReadKeys();
    void ReadRecord();
    // Lets the sink have one event; a sink that throws ends the capture.
    template <typename Call>
    void Deliver(Call call);
    // A connection the server closed: the capture ends, the program goes on.
    static void OnConnectionLost(_XDisplay* display, void* self);
    void Fail(const std::string& why);

    std::string m_display;
    IInputSink* m_sink = nullptr;
    std::string m_error;
    _XDisplay* m_keys = nullptr;
    _XDisplay* m_recordControl = nullptr;
    _XDisplay* m_recordData = nullptr;
    unsigned long m_context = 0;
    QPointer<QSocketNotifier> m_keyNotifier;
    QPointer<QSocketNotifier> m_recordNotifier;
    bool m_lost = false;
    bool m_reading = false;
    uint64_t m_keyEventsRead = 0;
};

}  // namespace q840::input
