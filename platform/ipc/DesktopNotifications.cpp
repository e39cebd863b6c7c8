#include "platform/ipc/DesktopNotifications.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include "core/base/DebugLine.h"

namespace q840::ipc {

namespace {
constexpr char kBusService[] = "org.freedesktop.DBus";
constexpr char kBusPath[] = "/org/freedesktop/DBus";
constexpr char kBusInterface[] = "org.freedesktop.DBus";
constexpr char kAppName[] = "Halvorn Q840-VEX GAMING MOUSE";
// The icon of the installed desktop entry.
constexpr char kAppIcon[] = "com.halvorn.Q840Vex";
constexpr int kExpireDefault = -1;
}  // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)) {}

void DesktopNotifications::Notify(const QString& summary, const QString& body) {
    if (!m_connection.isConnected()) {
        DebugLine("notice dropped: no session bus");
        emit dropped(QStringLiteral("no bus"));
        return;
    }
    // A service that is running, or one the bus starts on the first call. Asking first keeps a
    // bus without any from logging an activation failure for every notice.
    QDBusMessage hasOwner = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusInterface,
                                                           QStringLiteral("NameHasOwner"));
    hasOwner << QString::fromLatin1(kService);
    auto* ownerWatch = new QDBusPendingCallWatcher(m_connection.asyncCall(hasOwner), this);
    connect(ownerWatch, &QDBusPendingCallWatcher::finished, this,
            [this, summary, body](QDBusPendingCallWatcher* watch) {
                watch->deleteLater();
                const QDBusPendingReply<bool> owned = *watch;
                if (owned.isValid() && owned.value()) {
                    Send(summary, body);
                    return;
                }
                QDBusMessage list = QDBusMessage::createMethodCall(
                    kBusService, kBusPath, kBusInterface, QStringLiteral("ListActivatableNames"));
                auto* listWatch = new QDBusPendingCallWatcher(m_connection.asyncCall(list), this);
                connect(listWatch, &QDBusPendingCallWatcher::finished, this,
                        [this, summary, body](QDBusPendingCallWatcher* w) {
                            w->deleteLater();
                            const QDBusPendingReply<QStringList> names = *w;
                            if (names.isValid() &&
                                names.value().contains(QString::fromLatin1(kService))) {
                                Send(summary, body);
                            } else {
                                DebugLine("notice dropped: no notification service");
                                emit dropped(QStringLiteral("no service"));
                            }
                        });
            });
}

void DesktopNotifications::Send(const QString& summary, const QString& body) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kAppIcon));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));  // normal
    call << QString::fromLatin1(kAppName) << uint(0) << QString::fromLatin1(kAppIcon) << summary
         << body << QStringList() << hints << kExpireDefault;
    auto* watch = new QDBusPendingCallWatcher(m_connection.asyncCall(call), this);
    connect(watch, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isValid()) {
            emit notified(reply.value());
        } else {
            DebugLine("notice dropped: %s", reply.error().message().toUtf8().constData());
            emit dropped(reply.error().message());
        }
    });
}

}  // namespace q840::ipc
