#include "app/PowerEvents.h"

#include "core/base/Win32Types.h"

namespace q840 {

PowerEvents::PowerEvents(HWND target, QObject* parent) : QObject(parent), m_target(target) {}

bool PowerEvents::Listen(QDBusConnection bus) {
    if (!bus.isConnected()) {
        return false;
    }
    return bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                       "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                       SLOT(OnPrepareForSleep(bool)));
}

void PowerEvents::OnPrepareForSleep(bool sleeping) {
    PostMessageW(m_target, WM_POWERBROADCAST, sleeping ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC,
                 0);
}

}  // namespace q840
