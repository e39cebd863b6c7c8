#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>

#include "core/base/Win32Types.h"

namespace q840 {

// Something that receives window messages on the thread it lives on (a window's UI thread).
//
// SendMessageW runs the handler on that thread and waits for its result; PostMessageW queues the
// message and returns at once. Messages posted from one thread arrive in the order they were
// posted. A message for a target that no longer exists is dropped (result 0 / false).
class CMessageTarget : public QObject {
    Q_OBJECT
public:
    explicit CMessageTarget(QObject* parent = nullptr);
    ~CMessageTarget() override;

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    // From now on messages that come through the queue (posted, or sent from another thread)
    // are taken and dropped instead of handled: a window that is going away can still release a
    // thread waiting in SendMessageW without running its handlers (ServeWaitingSenders).
    void RefuseMessages() { m_refusing.store(true); }
    bool RefusesMessages() const { return m_refusing.load(); }
    // Takes the messages waiting in the queue for this target now (on its own thread).
    void ServeWaitingSenders();

private:
    std::atomic<bool> m_refusing{false};
};

using HWND = CMessageTarget*;

LRESULT SendMessageW(HWND target, UINT msg, WPARAM wParam, LPARAM lParam);
bool PostMessageW(HWND target, UINT msg, WPARAM wParam, LPARAM lParam);
// True while the target exists (it may be destroyed right after on its own thread).
bool IsWindow(HWND target);

}  // namespace q840
