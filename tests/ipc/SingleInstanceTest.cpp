// Single instance across real processes: the probe program starts the way the program does.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <cstddef>
#include <cstring>
#include <memory>

#include "ipc/BusTestSupport.h"
#include "platform/ipc/CBusLink.h"

namespace q840::ipc {
namespace {

using Role = CBusLink::InstanceRole;

// Waits for a line starting with `prefix` in the probe's output; returns the line or "".
QString ReadLine(QProcess& probe, const QString& prefix, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!timer.hasExpired(timeoutMs)) {
        while (probe.canReadLine()) {
            const QString line = QString::fromUtf8(probe.readLine()).trimmed();
            if (line.startsWith(prefix)) {
                return line;
            }
        }
        if (!probe.waitForReadyRead(100) && probe.state() == QProcess::NotRunning &&
            !probe.canReadLine()) {
            break;
        }
    }
    return {};
}

void StartProbe(QProcess& probe, const QStringList& args = {}) {
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(Q840_IPC_PROBE), args);
    ASSERT_TRUE(probe.waitForStarted(5000));
}

class SingleInstanceTwoProcesses : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus = std::make_unique<test::PrivateSessionBus>();
        ASSERT_TRUE(bus->Start()) << "cannot start a private dbus-daemon";
    }
    static void TearDownTestSuite() { bus.reset(); }
    static inline std::unique_ptr<test::PrivateSessionBus> bus;
};

TEST_F(SingleInstanceTwoProcesses, SecondStartActivatesTheFirstAndEnds) {
    QProcess first;
    StartProbe(first);
    ASSERT_EQ(ReadLine(first, "role="), "role=First");

    QProcess second;
    StartProbe(second);
    EXPECT_EQ(ReadLine(second, "role="), "role=Second delivered=1");
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_EQ(ReadLine(first, "received"), "received Halvorn Q840-VEX GAMING MOUSE 0 1");
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);

    // The name goes with the process that held it: the next start is the first again.
    QProcess third;
    StartProbe(third, {"--wait-ms", "0"});
    EXPECT_EQ(ReadLine(third, "role="), "role=First");
    third.waitForFinished(10000);
}

// A first instance that does not answer (stopped, busy) must not keep the second one alive; it
// acts on the activation once it runs again.
TEST_F(SingleInstanceTwoProcesses, StuckFirstInstanceDoesNotHoldUpTheSecond) {
    QProcess first;
    StartProbe(first);
    ASSERT_EQ(ReadLine(first, "role="), "role=First");
    ASSERT_EQ(::kill(pid_t(first.processId()), SIGSTOP), 0);

    QProcess second;
    StartProbe(second);
    const bool ended = second.waitForFinished(15000);
    ::kill(pid_t(first.processId()), SIGCONT);
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(ReadLine(second, "role="), "role=Second delivered=0");

    EXPECT_EQ(ReadLine(first, "received"), "received Halvorn Q840-VEX GAMING MOUSE 0 1");
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
}

// A listening socket that never accepts or answers: a daemon that hangs.
class MuteSocket {
public:
    // An abstract socket when `abstract`, else a file.
    MuteSocket(const QString& name, bool abstract) : m_path(name.toStdString()) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0;
        std::strncpy(addr.sun_path + offset, m_path.c_str(), sizeof(addr.sun_path) - 1 - offset);
        const socklen_t len = abstract
                                  ? socklen_t(offsetof(sockaddr_un, sun_path) + 1 + m_path.size())
                                  : socklen_t(sizeof(addr));
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 &&
               ::listen(m_fd, 8) == 0;
    }
    ~MuteSocket() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool ok() const { return m_ok; }

private:
    std::string m_path;
    int m_fd = -1;
    bool m_ok = false;
};

TEST(SingleInstanceNoBus, ProgramStartsAsFirstWithoutASessionBus) {
    test::EnsureApp();
    QTemporaryDir runtimeDir;  // no "bus" socket in it
    ASSERT_TRUE(runtimeDir.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    env.insert("XDG_RUNTIME_DIR", runtimeDir.path());

    QProcess probe;
    probe.setProcessEnvironment(env);
    StartProbe(probe);
    EXPECT_EQ(ReadLine(probe, "role="), "role=NoBus");
    ASSERT_TRUE(probe.waitForFinished(10000));
    EXPECT_EQ(probe.exitCode(), 0);
}

TEST(SingleInstanceNoBus, UnreachableOrMuteBusMeansNoBus) {
    test::EnsureApp();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MuteSocket mute(dir.filePath("bus"), false);
    ASSERT_TRUE(mute.ok());
    const QString abstractName = "q840-ipc-test-mute-" + QString::number(::getpid());
    MuteSocket muteAbstract(abstractName, true);
    ASSERT_TRUE(muteAbstract.ok());

    const QStringList addresses = {
        "unix:path=" + dir.filePath("missing"),
        "unix:path=" + dir.filePath("bus"),  // accepts nothing, says nothing
        "unix:abstract=" + abstractName,
        "unix:tmpdir=/tmp",  // only a server can use this one
        "nonsense",
        "",
    };
    for (const QString& address : addresses) {
        CBusLink link;
        link.SetCallTimeout(300);
        EXPECT_FALSE(link.ConnectTo(address)) << address.toStdString();
        EXPECT_EQ(link.AcquireSingleInstance(), Role::NoBus);
    }

    // The per-user socket is found without the variable, and a mute one is refused too.
    const QByteArray saved = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    CBusLink link;
    link.SetCallTimeout(300);
    EXPECT_FALSE(link.Connect());
    EXPECT_EQ(link.AcquireSingleInstance(), Role::NoBus);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    if (!saved.isEmpty()) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", saved);
    }
}

}  // namespace
}  // namespace q840::ipc
