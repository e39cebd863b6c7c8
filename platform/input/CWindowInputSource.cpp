#include "platform/input/CWindowInputSource.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "platform/input/X11KeyTable.h"

namespace q840::input {

CWindowInputSource::CWindowInputSource() = default;

CWindowInputSource::~CWindowInputSource() {
    Stop();
}

bool CWindowInputSource::Start(bool keys, bool mouse, IInputSink* sink) {
    Stop();
    if (sink == nullptr || QGuiApplication::instance() == nullptr) {
        m_error = "no application window to record from";
        return false;
    }
    m_error.clear();
    m_sink = sink;
    m_keys = keys;
    m_mouse = mouse;
    QGuiApplication::instance()->installEventFilter(this);
    return true;
}

void CWindowInputSource::Stop() {
    if (m_sink != nullptr && QGuiApplication::instance() != nullptr) {
        QGuiApplication::instance()->removeEventFilter(this);
    }
    m_sink = nullptr;
}

bool CWindowInputSource::eventFilter(QObject* watched, QEvent* event) {
    // Every input event reaches the window first and then the widget under it: taken at the
    // window, each one is seen once.
    if (m_sink == nullptr || !watched->isWindowType()) {
        return false;
    }
    const QEvent::Type type = event->type();
    if (m_keys && (type == QEvent::KeyPress || type == QEvent::KeyRelease)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool press = type == QEvent::KeyPress;
        const KeyHookRecord record =
            MakeKeyRecord(key->nativeScanCode(), press, static_cast<uint32_t>(key->timestamp()));
        const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
        const UINT message = press ? (alt ? kSysKeyDown : kKeyDown) : (alt ? kSysKeyUp : kKeyUp);
        m_sink->OnKey(message, record);
        return !IsLockKey(record.vkCode);
    }
    if (m_mouse && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool press = type == QEvent::MouseButtonPress;
        UINT message = 0;
        uint32_t extra = 0;
        switch (mouse->button()) {
            case Qt::LeftButton:
                message = press ? kLeftDown : kLeftUp;
                break;
            case Qt::RightButton:
                message = press ? kRightDown : kRightUp;
                break;
            case Qt::MiddleButton:
                message = press ? kMiddleDown : kMiddleUp;
                break;
            case Qt::BackButton:
                message = press ? kExtraDown : kExtraUp;
                extra = kExtraBack;
                break;
            case Qt::ForwardButton:
                message = press ? kExtraDown : kExtraUp;
                extra = kExtraForward;
                break;
            default:
                break;
        }
        if (message != 0) {
            MouseHookRecord record;
            const QPoint at = mouse->globalPosition().toPoint();
            record.x = at.x();
            record.y = at.y();
            record.mouseData = extra << 16;
            m_sink->OnMouse(message, record);
        }
    }
    return false;
}

}  // namespace q840::input
