#include "platform/MessageTarget.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <mutex>
#include <unordered_set>

namespace q840 {

namespace {
// Live targets, so that a worker thread holding a stale handle cannot reach a destroyed object.
std::mutex g_targetsMutex;
std::unordered_set<const CMessageTarget*> g_targets;
}  // namespace

CMessageTarget::CMessageTarget(QObject* parent) : QObject(parent) {
    std::lock_guard<std::mutex> lock(g_targetsMutex);
    g_targets.insert(this);
}

CMessageTarget::~CMessageTarget() {
    std::lock_guard<std::mutex> lock(g_targetsMutex);
    g_targets.erase(this);
}

void CMessageTarget::ServeWaitingSenders() {
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool IsWindow(HWND target) {
    if (target == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(g_targetsMutex);
    return g_targets.count(target) != 0;
}

LRESULT SendMessageW(HWND target, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(target)) {
        return 0;
    }
    if (target->thread() == QThread::currentThread()) {
        return target->HandleMessage(msg, wParam, lParam);
    }
    // The QPointer turns a target destroyed while the call waited in the queue into a no-op.
    QPointer<CMessageTarget> guard(target);
    LRESULT result = 0;
    QMetaObject::invokeMethod(
        target,
        [guard, msg, wParam, lParam, &result] {
            if (guard && !guard->RefusesMessages()) {
                result = guard->HandleMessage(msg, wParam, lParam);
            }
        },
        Qt::BlockingQueuedConnection);
    return result;
}

bool PostMessageW(HWND target, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(target)) {
        return false;
    }
    QPointer<CMessageTarget> guard(target);
    return QMetaObject::invokeMethod(
        target,
        [guard, msg, wParam, lParam] {
            if (guard && !guard->RefusesMessages()) {
                guard->HandleMessage(msg, wParam, lParam);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace q840
