#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>

namespace q840::ipc {

class CBusLink;

// The object a CBusLink exports at /com/halvorn/Q840Vex. Its scriptable members are the bus
// interface; everything it receives is handed straight to its link on the link's thread.
class BusEndpoint : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.halvorn.Q840Vex.Messages")

public:
    explicit BusEndpoint(CBusLink* link);

public Q_SLOTS:
    // A message directed at this program (PostMessageW to one of its windows).
    Q_SCRIPTABLE void PostMessage(const QString& name, qulonglong wParam, qlonglong lParam);
    // WM_COPYDATA from another program.
    Q_SCRIPTABLE void CopyData(qulonglong dwData, const QByteArray& data);

    // A Broadcast signal seen on the bus, from any program including this one.
    void OnBroadcast(const QString& name, qulonglong wParam, qlonglong lParam,
                     const QDBusMessage& message);

Q_SIGNALS:
    // Declared for introspection only; CBusLink sends the signal itself.
    Q_SCRIPTABLE void Broadcast(const QString& name, qulonglong wParam, qlonglong lParam);

private:
    CBusLink* m_link;
};

}  // namespace q840::ipc
