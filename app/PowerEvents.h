#pragma once

#include <QDBusConnection>
#include <QObject>

#include "platform/MessageTarget.h"

namespace q840 {

// Suspend and resume of the machine reach the main window as WM_POWERBROADCAST: logind's
// PrepareForSleep(true) becomes PBT_APMSUSPEND, PrepareForSleep(false) PBT_APMRESUMEAUTOMATIC.
// Without a system bus (or logind) nothing arrives and the program simply stays awake.
class PowerEvents : public QObject {
    Q_OBJECT
public:
    explicit PowerEvents(HWND target, QObject* parent = nullptr);
    // Listens on the given bus (the system bus in the program); false when it cannot.
    bool Listen(QDBusConnection bus);

public slots:
    void OnPrepareForSleep(bool sleeping);

private:
    HWND m_target;
};

}  // namespace q840
