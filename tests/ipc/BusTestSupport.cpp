#include "ipc/BusTestSupport.h"

#include <QByteArray>

namespace q840::ipc::test {

QCoreApplication* EnsureApp() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "q840-ipc-test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    return QCoreApplication::instance();
}

PrivateSessionBus::~PrivateSessionBus() {
    Stop();
}

bool PrivateSessionBus::Start() {
    EnsureApp();
    if (const QString given = qEnvironmentVariable("Q840_TEST_BUS_ADDRESS"); !given.isEmpty()) {
        m_address = given;
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        return true;
    }
    m_daemon.setProgram(QStringLiteral("dbus-daemon"));
    m_daemon.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                           QStringLiteral("--nosyslog"), QStringLiteral("--print-address")});
    m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
    m_daemon.setStandardErrorFile(QProcess::nullDevice());  // e.g. it cannot raise its fd limit
    m_daemon.start();
    if (!m_daemon.waitForStarted(5000)) {
        return false;
    }
    QByteArray line;
    while (!line.contains('\n')) {
        if (!m_daemon.waitForReadyRead(5000)) {
            Stop();
            return false;
        }
        line += m_daemon.readAllStandardOutput();
    }
    m_address = QString::fromUtf8(line.left(line.indexOf('\n')).trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    return !m_address.isEmpty();
}

void PrivateSessionBus::Stop() {
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(2000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(2000);
        }
    }
    if (!m_address.isEmpty()) {
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        m_address.clear();
    }
}

}  // namespace q840::ipc::test
