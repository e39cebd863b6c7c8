#pragma once

#include <QObject>
#include <string>

#include "platform/input/IInputSource.h"

namespace q840::input {

// Capture where the desktop offers no global one (Wayland): the keys and mouse buttons that
// reach this program's own windows. Keys are taken before the widgets see them (the lock keys
// excepted); mouse buttons go on to the widgets. Key codes are the windowing system's native
// scan codes (Linux input code + 8), translated with the X key table.
class CWindowInputSource : public QObject, public IInputSource {
    Q_OBJECT
public:
    CWindowInputSource();
    ~CWindowInputSource() override;

    bool Start(bool keys, bool mouse, IInputSink* sink) override;
    void Stop() override;
    bool IsStarted() const override { return m_sink != nullptr; }
    InputReach Reach() const override { return InputReach::OwnWindows; }
    std::string Error() const override { return m_error; }
    const char* Name() const override { return "window"; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IInputSink* m_sink = nullptr;
    bool m_keys = false;
    bool m_mouse = false;
    std::string m_error;
};

}  // namespace q840::input
