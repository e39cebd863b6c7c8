#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace q840::ipc {

// Notices on the desktop through the notification service of the session bus
// (org.freedesktop.Notifications), when there is one. Nothing here ever waits for the bus: the
// service is looked for and called asynchronously, and without a service (or a bus) a notice is
// simply not shown.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    static constexpr char kService[] = "org.freedesktop.Notifications";
    static constexpr char kPath[] = "/org/freedesktop/Notifications";

    // `connection` may be an unconnected one: every notice is then dropped.
    explicit DesktopNotifications(QDBusConnection connection, QObject* parent = nullptr);

    // Shows one notice from the program ("Halvorn Q840-VEX GAMING MOUSE", its icon) when the
    // service is on the bus or can be started by it. Returns at once.
    void Notify(const QString& summary, const QString& body);

Q_SIGNALS:
    // The service took the notice (its id), or the notice was dropped (no service, an error).
    void notified(uint id);
    void dropped(const QString& reason);

private:
    void Send(const QString& summary, const QString& body);

    QDBusConnection m_connection;
};

}  // namespace q840::ipc
