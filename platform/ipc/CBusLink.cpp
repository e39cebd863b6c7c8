#include "platform/ipc/CBusLink.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>
#include <atomic>

#include "core/base/DebugLine.h"
#include "platform/ipc/BusEndpoint.h"
#include "platform/ipc/BusNames.h"
#include "platform/ipc/BusPreflight.h"

namespace q840::ipc {

namespace {

constexpr char kDaemonService[] = "org.freedesktop.DBus";
constexpr char kDaemonPath[] = "/org/freedesktop/DBus";
constexpr char kDaemonInterface[] = "org.freedesktop.DBus";

// A program that posts a message to us and then broadcasts it (as a second start does) means
// one message; the broadcast is dropped when it follows the directed copy within this time.
constexpr qint64 kDuplicateWindowMs = 5000;
constexpr qsizetype kMaxRecentDirected = 32;

std::atomic<int> g_linkCounter{0};

QString SessionBusAddress() {
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty()) {
        return address;
    }
    // A systemd user session keeps its bus here even where the variable was not exported. We
    // deliberately do not fall back to the D-Bus library's "autolaunch", which may start a
    // daemon of its own for this process alone.
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty()) {
        const QString socket = runtimeDir + QStringLiteral("/bus");
        if (QFileInfo(socket).exists()) {
            return QStringLiteral("unix:path=") + socket;
        }
    }
    return {};
}

QDBusMessage MessageCall(const QString& service, const QString& member) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, QString::fromLatin1(kObjectPath),
                                                       QString::fromLatin1(kInterface), member);
    call.setAutoStartService(false);  // nobody gets started on our behalf
    return call;
}

std::string Text(const QString& s) {
    return s.toStdString();
}

}  // namespace

CBusLink::CBusLink(QObject* parent)
    : QObject(parent),
      m_connectionName(QStringLiteral("q840-ipc-%1-%2")
                           .arg(++g_linkCounter)
                           .arg(reinterpret_cast<quintptr>(this), 0, 16)) {}

CBusLink::~CBusLink() {
    Disconnect();
}

bool CBusLink::Connect() {
    const QString address = SessionBusAddress();
    if (address.isEmpty()) {
        DebugLine("no session bus: DBUS_SESSION_BUS_ADDRESS is not set");
        Disconnect();
        return false;
    }
    return ConnectTo(address);
}

bool CBusLink::ConnectTo(const QString& address) {
    Disconnect();
    if (!BusAnswers(address, m_callTimeoutMs)) {
        DebugLine("session bus %s does not answer", Text(address).c_str());
        return false;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(address, m_connectionName);
    if (!bus.isConnected()) {
        DebugLine("session bus %s: %s", Text(address).c_str(),
                  Text(bus.lastError().message()).c_str());
        QDBusConnection::disconnectFromBus(m_connectionName);
        return false;
    }
    if (QDBusConnectionInterface* daemon = bus.interface()) {
        daemon->setTimeout(m_callTimeoutMs);
    }

    m_endpoint = new BusEndpoint(this);
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), m_endpoint,
                            QDBusConnection::ExportScriptableSlots |
                                QDBusConnection::ExportScriptableSignals |
                                QDBusConnection::ExportAdaptors)) {
        DebugLine("cannot export the message object");
    }
    // Any sender, any object path: a broadcast is meant for every program.
    if (!bus.connect(QString(), QString(), QString::fromLatin1(kInterface),
                     QString::fromLatin1(kBroadcastMember), m_endpoint,
                     SLOT(OnBroadcast(QString, qulonglong, qlonglong, QDBusMessage)))) {
        DebugLine("cannot listen for broadcasts: %s", Text(bus.lastError().message()).c_str());
    }
    m_connected = true;
    // The subscription is in place once the daemon has answered a later call of ours, so a
    // broadcast sent right after Connect() returns is not missed.
    if (!SyncWithBus()) {
        DebugLine("session bus %s stopped answering", Text(address).c_str());
        Disconnect();
        return false;
    }
    return true;
}

QObject* CBusLink::ExportedObject() const {
    return m_connected ? m_endpoint : nullptr;
}

void CBusLink::Disconnect() {
    if (m_connected) {
        QDBusConnection bus(m_connectionName);
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        QDBusConnection::disconnectFromBus(m_connectionName);
        m_connected = false;
    }
    delete m_endpoint;
    m_endpoint = nullptr;
    m_recentDirected.clear();
}

void CBusLink::SetCallTimeout(int milliseconds) {
    m_callTimeoutMs = milliseconds > 0 ? milliseconds : kDefaultCallTimeoutMs;
    if (m_connected) {
        if (QDBusConnectionInterface* daemon = QDBusConnection(m_connectionName).interface()) {
            daemon->setTimeout(m_callTimeoutMs);
        }
    }
}

CBusLink::NameClaim CBusLink::ClaimName(const QString& busName) {
    if (!m_connected) {
        return NameClaim::Failed;
    }
    QDBusConnectionInterface* daemon = QDBusConnection(m_connectionName).interface();
    if (daemon == nullptr) {
        return NameClaim::Failed;
    }
    // Through the connection interface rather than a raw RequestName, so that QtDBus knows the
    // name is ours and serves our own calls to it locally.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        daemon->registerService(busName, QDBusConnectionInterface::DontQueueService,
                                QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        DebugLine("cannot request %s: %s", Text(busName).c_str(),
                  Text(reply.error().message()).c_str());
        return NameClaim::Failed;
    }
    return reply.value() == QDBusConnectionInterface::ServiceRegistered ? NameClaim::Owned
                                                                        : NameClaim::Taken;
}

CBusLink::InstanceRole CBusLink::AcquireSingleInstance() {
    switch (ClaimName(QString::fromLatin1(kBusName))) {
        case NameClaim::Owned:
            return InstanceRole::First;
        case NameClaim::Taken:
            return InstanceRole::Second;
        case NameClaim::Failed:
            break;
    }
    // A bus that cannot answer is treated like no bus: starting is better than not starting.
    return InstanceRole::NoBus;
}

bool CBusLink::ClaimWindowTitle(const QString& windowTitle) {
    const QString busName = WindowBusName(windowTitle);
    return !busName.isEmpty() && ClaimName(busName) == NameClaim::Owned;
}

bool CBusLink::NameHasOwner(const QString& busName) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kDaemonService), QString::fromLatin1(kDaemonPath),
        QString::fromLatin1(kDaemonInterface), QStringLiteral("NameHasOwner"));
    call << busName;
    const QDBusMessage reply =
        QDBusConnection(m_connectionName).call(call, QDBus::Block, m_callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

bool CBusLink::SyncWithBus() {
    // The daemon handles one connection's messages in order: once it has answered this call,
    // everything we sent before it has been routed.
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kDaemonService), QString::fromLatin1(kDaemonPath),
        QString::fromLatin1(kDaemonInterface), QStringLiteral("GetId"));
    const QDBusMessage reply =
        QDBusConnection(m_connectionName).call(call, QDBus::Block, m_callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool CBusLink::ActivateFirstInstance(const QString& activateName, quint64 wParam, qint64 lParam) {
    if (!m_connected) {
        return false;
    }
    QDBusMessage call =
        MessageCall(QString::fromLatin1(kBusName), QString::fromLatin1(kPostMessageMember));
    call << activateName << qulonglong(wParam) << qlonglong(lParam);
    const QDBusMessage reply =
        QDBusConnection(m_connectionName).call(call, QDBus::Block, m_callTimeoutMs);
    const bool delivered = reply.type() == QDBusMessage::ReplyMessage;
    if (!delivered) {
        DebugLine("the running instance did not take the activation: %s",
                  Text(reply.errorMessage()).c_str());
    }
    Broadcast(activateName, wParam, lParam);
    // Our process ends right after this; make sure the broadcast has left it.
    SyncWithBus();
    return delivered;
}

void CBusLink::Broadcast(const QString& name, quint64 wParam, qint64 lParam) {
    if (!m_connected) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     QString::fromLatin1(kInterface),
                                                     QString::fromLatin1(kBroadcastMember));
    signal << name << qulonglong(wParam) << qlonglong(lParam);
    QDBusConnection(m_connectionName).send(signal);
}

bool CBusLink::PostToWindow(const QString& windowTitle, const QString& name, quint64 wParam,
                            qint64 lParam) {
    const QString busName = WindowBusName(windowTitle);
    if (!m_connected || busName.isEmpty() || !NameHasOwner(busName)) {
        return false;
    }
    QDBusMessage call = MessageCall(busName, QString::fromLatin1(kPostMessageMember));
    call << name << qulonglong(wParam) << qlonglong(lParam);
    return QDBusConnection(m_connectionName).send(call);
}

bool CBusLink::SendToWindow(const QString& windowTitle, const QString& name, quint64 wParam,
                            qint64 lParam) {
    const QString busName = WindowBusName(windowTitle);
    if (!m_connected || busName.isEmpty()) {
        return false;
    }
    QDBusMessage call = MessageCall(busName, QString::fromLatin1(kPostMessageMember));
    call << name << qulonglong(wParam) << qlonglong(lParam);
    const QDBusMessage reply =
        QDBusConnection(m_connectionName).call(call, QDBus::Block, m_callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool CBusLink::CopyDataToWindow(const QString& windowTitle, quint64 dwData,
                                const QByteArray& data) {
    const QString busName = WindowBusName(windowTitle);
    if (!m_connected || busName.isEmpty()) {
        return false;
    }
    QDBusMessage call = MessageCall(busName, QString::fromLatin1(kCopyDataMember));
    call << qulonglong(dwData) << data;
    const QDBusMessage reply =
        QDBusConnection(m_connectionName).call(call, QDBus::Block, m_callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        DebugLine("copy data %llu to \"%s\" not taken: %s", static_cast<unsigned long long>(dwData),
                  Text(windowTitle).c_str(), Text(reply.errorMessage()).c_str());
        return false;
    }
    return true;
}

void CBusLink::DeliverDirected(const QString& sender, const QString& name, quint64 wParam,
                               qint64 lParam) {
    if (!sender.isEmpty()) {
        if (m_recentDirected.size() >= kMaxRecentDirected) {
            m_recentDirected.removeFirst();
        }
        RecentDirected recent{sender, name, wParam, lParam, {}};
        recent.received.start();
        m_recentDirected.append(recent);
    }
    emit messageReceived(name, wParam, lParam);
}

void CBusLink::DeliverBroadcast(const QString& sender, const QString& name, quint64 wParam,
                                qint64 lParam) {
    for (qsizetype i = 0; i < m_recentDirected.size(); ++i) {
        const RecentDirected& recent = m_recentDirected.at(i);
        if (recent.received.hasExpired(kDuplicateWindowMs)) {
            continue;
        }
        if (recent.sender == sender && recent.name == name && recent.wParam == wParam &&
            recent.lParam == lParam) {
            m_recentDirected.removeAt(i);
            return;
        }
    }
    emit messageReceived(name, wParam, lParam);
}

void CBusLink::DeliverCopyData(quint64 dwData, const QByteArray& data) {
    emit copyDataReceived(dwData, data);
}

}  // namespace q840::ipc
