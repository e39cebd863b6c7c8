#include "platform/ipc/BusEndpoint.h"

#include "platform/ipc/CBusLink.h"

namespace q840::ipc {

BusEndpoint::BusEndpoint(CBusLink* link) : QObject(link), m_link(link) {}

void BusEndpoint::PostMessage(const QString& name, qulonglong wParam, qlonglong lParam) {
    // Calls from our own connection are short-circuited by QtDBus and carry no bus context.
    const QString sender = calledFromDBus() ? message().service() : QString();
    m_link->DeliverDirected(sender, name, wParam, lParam);
}

void BusEndpoint::CopyData(qulonglong dwData, const QByteArray& data) {
    m_link->DeliverCopyData(dwData, data);
}

void BusEndpoint::OnBroadcast(const QString& name, qulonglong wParam, qlonglong lParam,
                              const QDBusMessage& message) {
    m_link->DeliverBroadcast(message.service(), name, wParam, lParam);
}

}  // namespace q840::ipc
