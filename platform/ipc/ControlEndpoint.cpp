#include "platform/ipc/ControlEndpoint.h"

#include <QDBusConnection>
#include <QVariantMap>
#include <algorithm>

#include "core/base/ControlInterface.h"
#include "platform/ipc/CBusLink.h"

namespace q840::ipc {

namespace {

QString Latin1(const char* text) {
    return QString::fromLatin1(text);
}

}  // namespace

ControlEndpoint* ControlEndpoint::Attach(CBusLink& link, IControlHandler* handler) {
    QObject* object = link.ExportedObject();
    if (object == nullptr) {
        return nullptr;
    }
    return new ControlEndpoint(object, link.ConnectionName(), handler);
}

ControlEndpoint::ControlEndpoint(QObject* object, const QString& connectionName,
                                 IControlHandler* handler)
    : QDBusAbstractAdaptor(object), m_connectionName(connectionName), m_handler(handler) {
    if (m_handler != nullptr) {
        m_state = m_handler->CurrentState();
    }
    m_watch.setInterval(kWatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &ControlEndpoint::Refresh);
    m_watch.start();
}

void ControlEndpoint::Reply(const QDBusMessage& message, const QString& error,
                            const QString& text) {
    message.setDelayedReply(true);
    QDBusConnection(m_connectionName).send(message.createErrorReply(error, text));
}

template <typename Call>
QString ControlEndpoint::Serve(const QDBusMessage& message, Call call) {
    if (m_handler == nullptr) {
        Reply(message, Latin1(control::kErrorNoDevice), QStringLiteral("the program is ending"));
        return {};
    }
    if (m_busy) {
        Reply(message, Latin1(control::kErrorBusy),
              QStringLiteral("the program is busy with another request: try again"));
        return {};
    }
    m_busy = true;
    const IControlHandler::Answer answer = call();
    m_busy = false;
    if (!answer.error.isEmpty()) {
        Reply(message, answer.error, answer.text);
        return {};
    }
    // A change the call made shows in the properties at once.
    Refresh();
    return answer.text;
}

QString ControlEndpoint::GetDevices(const QDBusMessage& message) {
    return Serve(message, [this] { return m_handler->GetDevices(); });
}

QString ControlEndpoint::ReadInfo(const QDBusMessage& message) {
    return Serve(message, [this] { return m_handler->ReadInfo(); });
}

QString ControlEndpoint::ReadSettings(const QDBusMessage& message) {
    return Serve(message, [this] { return m_handler->ReadSettings(); });
}

QString ControlEndpoint::ReadBattery(const QDBusMessage& message) {
    return Serve(message, [this] { return m_handler->ReadBattery(); });
}

QString ControlEndpoint::SetSettings(const QStringList& words, const QDBusMessage& message) {
    // Bounds first: no setting takes more words than these, and no value is longer.
    const bool tooLong = std::any_of(words.begin(), words.end(), [](const QString& w) {
        return w.toUtf8().size() > control::kMaxWordBytes;
    });
    if (words.isEmpty() || words.size() > control::kMaxSetWords || tooLong) {
        Reply(message, Latin1(control::kErrorUsage),
              QStringLiteral("SetSettings takes 1 to %1 words of at most %2 bytes: SETTING "
                             "VALUE... as for q840ctl set")
                  .arg(control::kMaxSetWords)
                  .arg(control::kMaxWordBytes));
        return {};
    }
    return Serve(message, [&] { return m_handler->SetSettings(words); });
}

QStringList ControlEndpoint::ListProfiles(const QDBusMessage& message, int& current) {
    QStringList names;
    current = -1;
    Serve(message, [&] { return m_handler->ListProfiles(&names, &current); });
    return names;
}

QString ControlEndpoint::SwitchProfile(uint index, const QDBusMessage& message) {
    return Serve(message, [&] { return m_handler->SwitchProfile(index); });
}

void ControlEndpoint::Refresh() {
    if (m_handler == nullptr) {
        return;
    }
    const IControlHandler::State now = m_handler->CurrentState();
    QVariantMap changed;
    if (now.activeProfile != m_state.activeProfile) {
        changed.insert(QStringLiteral("ActiveProfile"), now.activeProfile);
    }
    if (now.activeProfileName != m_state.activeProfileName) {
        changed.insert(QStringLiteral("ActiveProfileName"), now.activeProfileName);
    }
    if (now.batteryLevel != m_state.batteryLevel) {
        changed.insert(QStringLiteral("BatteryLevel"), now.batteryLevel);
    }
    const auto gone = [](const auto& from, const auto& in) {
        std::vector<std::pair<QString, QString>> result;
        for (const auto& d : from) {
            if (std::find(in.begin(), in.end(), d) == in.end()) {
                result.push_back(d);
            }
        }
        return result;
    };
    const auto left = gone(m_state.devices, now.devices);
    const auto arrived = gone(now.devices, m_state.devices);
    m_state = now;
    for (const auto& d : left) {
        emit DeviceLeft(d.first, d.second);
    }
    for (const auto& d : arrived) {
        emit DeviceArrived(d.first, d.second);
    }
    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(
            Latin1(control::kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << Latin1(control::kInterface) << changed << QStringList();
        QDBusConnection(m_connectionName).send(signal);
    }
}

}  // namespace q840::ipc
