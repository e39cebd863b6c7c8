#pragma once

#include <QObject>
#include <QPointer>

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
};

using HWND = CMessageTarget*;

LRESULT SendMessageW(HWND target, UINT msg, WPARAM wParam, LPARAM lParam);
bool PostMessageW(HWND target, UINT msg, WPARAM wParam, LPARAM lParam);
// True while the target exists (it may be destroyed right after on its own thread).
bool IsWindow(HWND target);

}  // namespace q840
