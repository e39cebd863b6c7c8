#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

namespace q840::ipc {

class BusEndpoint;

// This program's link to the other programs on the desktop, over the D-Bus session bus:
// registered messages (by name, with wParam/lParam) directed at us or broadcast to everybody,
// copy data (the WM_COPYDATA stand-in), messages and copy data to programs known by their
// window title, and the single-instance guard (owning the program's bus name).
//
// Each link has a private connection of its own. Everything it receives is emitted on the
// thread that owns the link, and the link is used from that thread only (the main window's UI
// thread); a QCoreApplication must exist, as for all of QtDBus. Without a bus every operation is a
// harmless no-op that reports failure, and every blocking call waits at most CallTimeout()
// milliseconds.
class CBusLink : public QObject {
    Q_OBJECT

public:
    enum class InstanceRole {
        First,   // we own the program's bus name: run normally
        Second,  // another process owns it: hand over to it and end
        NoBus,   // no usable bus: run as the first instance
    };

    static constexpr int kDefaultCallTimeoutMs = 2000;

    explicit CBusLink(QObject* parent = nullptr);
    ~CBusLink() override;

    CBusLink(const CBusLink&) = delete;
    CBusLink& operator=(const CBusLink&) = delete;

    // Connects to the session bus: DBUS_SESSION_BUS_ADDRESS, or the per-user bus socket
    // $XDG_RUNTIME_DIR/bus when the variable is unset. False when there is none, it cannot be
    // reached or it does not answer in time.
    bool Connect();
    // The same for an explicit D-Bus address.
    bool ConnectTo(const QString& address);
    // Leaves the bus; names this link owned are released.
    void Disconnect();
    bool IsConnected() const { return m_connected; }
    // The name of the link's private connection (QDBusConnection(name)), for other services of
    // the desktop reached over the same bus; empty while not connected.
    QString ConnectionName() const { return m_connected ? m_connectionName : QString(); }

    // Single instance: tries to own "com.halvorn.Q840Vex" without queueing for it.
    InstanceRole AcquireSingleInstance();

    // On a second start: delivers `activateName` to the owner of the program's bus name and
    // waits until the owner has taken it (bounded), then broadcasts the same message for other
    // listeners. True when the owner took it; the caller may end the process right after.
    bool ActivateFirstInstance(const QString& activateName, quint64 wParam, qint64 lParam);

    // A message to every program on the bus, this one included (BroadcastSystemMessageW with
    // post semantics: returns at once).
    void Broadcast(const QString& name, quint64 wParam, qint64 lParam);

    // A message to the program whose window carries `windowTitle` (PostMessageW): returns at
    // once; false when no such program is on the bus.
    bool PostToWindow(const QString& windowTitle, const QString& name, quint64 wParam,
                      qint64 lParam);
    // The same, waiting until the receiver has taken the message (SendMessageTimeoutW with
    // CallTimeout()); false when there is no receiver or it did not answer in time.
    bool SendToWindow(const QString& windowTitle, const QString& name, quint64 wParam,
                      qint64 lParam);
    // Copy data to the program whose window carries `windowTitle` (WM_COPYDATA); waits until
    // the receiver has taken it, at most CallTimeout(). Any length, including 0.
    bool CopyDataToWindow(const QString& windowTitle, quint64 dwData, const QByteArray& data);

    // Makes this program reachable under a window title ("com.halvorn.Window.<Title>"), as
    // stand-ins for outside programs (WorkTool, the audio recorder) need. False when the name
    // is taken or there is no bus.
    bool ClaimWindowTitle(const QString& windowTitle);

    // The object exported at the program's object path (null while not connected): further
    // interfaces of the program attach to it as adaptors, over ConnectionName()'s connection.
    QObject* ExportedObject() const;

    int CallTimeout() const { return m_callTimeoutMs; }
    void SetCallTimeout(int milliseconds);

Q_SIGNALS:
    // A registered message for us, directed or broadcast; the name is passed on unchanged.
    void messageReceived(const QString& name, quint64 wParam, qint64 lParam);
    // Copy data from another program, of whatever length it was sent.
    void copyDataReceived(quint64 dwData, const QByteArray& data);

private:
    friend class BusEndpoint;

    enum class NameClaim { Owned, Taken, Failed };

    struct RecentDirected {
        QString sender;
        QString name;
        quint64 wParam = 0;
        qint64 lParam = 0;
        QElapsedTimer received;
    };

    void DeliverDirected(const QString& sender, const QString& name, quint64 wParam, qint64 lParam);
    void DeliverBroadcast(const QString& sender, const QString& name, quint64 wParam,
                          qint64 lParam);
    void DeliverCopyData(quint64 dwData, const QByteArray& data);

    NameClaim ClaimName(const QString& busName);
    bool NameHasOwner(const QString& busName);
    bool SyncWithBus();

    QString m_connectionName;
    bool m_connected = false;
    int m_callTimeoutMs = kDefaultCallTimeoutMs;
    BusEndpoint* m_endpoint = nullptr;  // child of this link while connected
    QList<RecentDirected> m_recentDirected;
};

}  // namespace q840::ipc
