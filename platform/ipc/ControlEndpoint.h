#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <utility>
#include <vector>

namespace q840::ipc {

class CBusLink;

// What the control interface asks of the program. Every call runs on the thread of the bus link
// (the UI thread) and answers before the next one is taken.
class IControlHandler {
public:
    // error empty: done, `text` is the reply; otherwise a control::kError* name and the message.
    struct Answer {
        QString error;
        QString text;
    };
    // What the interface's properties and signals follow; read without touching a device.
    struct State {
        int activeProfile = -1;  // the mouse's current profile, 0 the first; -1 without a mouse
        QString activeProfileName;
        int batteryLevel = -1;                             // percent as last read; -1 unknown
        std::vector<std::pair<QString, QString>> devices;  // kind and path of each device
    };
    virtual ~IControlHandler() = default;
    virtual Answer GetDevices() = 0;
    virtual Answer ReadInfo() = 0;
    virtual Answer ReadSettings() = 0;
    virtual Answer ReadBattery() = 0;
    virtual Answer SetSettings(const QStringList& words) = 0;
    virtual Answer ListProfiles(QStringList* names, int* current) = 0;
    virtual Answer SwitchProfile(uint index) = 0;
    virtual State CurrentState() = 0;
};

// The interface com.halvorn.Q840Vex.Control on the program's object (beside its messages
// interface, at the same path): other programs and q840ctl read and change the devices through
// it while the program runs. Arguments are checked here for their bounds and by the handler for
// their meaning before anything reaches a device; a wrong one gets a D-Bus error. One call runs
// at a time: a call that arrives while another waits for its device (a message box of the
// window can run a nested event loop) is refused as busy rather than queued.
class ControlEndpoint : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.halvorn.Q840Vex.Control")
    Q_PROPERTY(int ActiveProfile READ ActiveProfile)
    Q_PROPERTY(QString ActiveProfileName READ ActiveProfileName)
    Q_PROPERTY(int BatteryLevel READ BatteryLevel)

public:
    // How often the properties and the device list are compared with what was last announced.
    static constexpr int kWatchIntervalMs = 1000;

    // Attaches the interface to the link's object; null when the link has no bus.
    static ControlEndpoint* Attach(CBusLink& link, IControlHandler* handler);
    // Calls after this get "no device" errors (the program is ending).
    void DetachHandler() { m_handler = nullptr; }

    int ActiveProfile() const { return m_state.activeProfile; }
    QString ActiveProfileName() const { return m_state.activeProfileName; }
    int BatteryLevel() const { return m_state.batteryLevel; }

    // Compares the handler's state with the one last announced and signals the differences.
    void Refresh();

public Q_SLOTS:
    QString GetDevices(const QDBusMessage& message);
    QString ReadInfo(const QDBusMessage& message);
    QString ReadSettings(const QDBusMessage& message);
    QString ReadBattery(const QDBusMessage& message);
    QString SetSettings(const QStringList& words, const QDBusMessage& message);
    QStringList ListProfiles(const QDBusMessage& message, int& current);
    QString SwitchProfile(uint index, const QDBusMessage& message);

Q_SIGNALS:
    void DeviceArrived(const QString& kind, const QString& path);
    void DeviceLeft(const QString& kind, const QString& path);

private:
    ControlEndpoint(QObject* object, const QString& connectionName, IControlHandler* handler);
    // Runs one call of the handler, or answers the caller with the error.
    template <typename Call>
    QString Serve(const QDBusMessage& message, Call call);
    void Reply(const QDBusMessage& message, const QString& error, const QString& text);

    QString m_connectionName;
    IControlHandler* m_handler;
    IControlHandler::State m_state;
    QTimer m_watch;
    bool m_busy = false;
};

}  // namespace q840::ipc
