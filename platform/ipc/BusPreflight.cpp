#include "platform/ipc/BusPreflight.h"

#ifdef _WIN32

namespace q840::ipc {

// A Windows build talks to other programs with window messages; a bus there is the D-Bus
// library's business alone.
bool BusAnswers(const QString&, int) {
    return true;
}

}  // namespace q840::ipc

#else

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

namespace q840::ipc {

namespace {

// Values in D-Bus addresses are %-escaped bytes.
QByteArray Unescape(const QString& value) {
    return QByteArray::fromPercentEncoding(value.toUtf8());
}

// The socket address of one "unix:" entry, or nothing when the entry is not one a client can
// connect to (tmpdir= and dir= only make sense for a listening server).
std::optional<std::string> UnixSocketAddress(const QString& params, bool& abstract) {
    abstract = false;
    for (const QString& pair : params.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq <= 0) {
            continue;
        }
        const QString key = pair.left(eq);
        const QByteArray value = Unescape(pair.mid(eq + 1));
        if (key == u"path") {
            return value.toStdString();
        }
        if (key == u"abstract") {
            abstract = true;
            return value.toStdString();
        }
        if (key == u"runtime" && value == "yes") {
            const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
            if (dir.isEmpty()) {
                return std::nullopt;
            }
            return (dir + "/bus").toStdString();
        }
    }
    return std::nullopt;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd pfd{fd, events, 0};
        const int rc = ::poll(&pfd, 1, static_cast<int>(deadline.remainingTime()));
        if (rc > 0) {
            return (pfd.revents & events) != 0;
        }
        if (rc == 0 || errno != EINTR) {
            return false;
        }
    }
}

// Connects, offers EXTERNAL authentication and waits for any complete reply line. Whatever the
// daemon says ("OK", "REJECTED", ...), it is alive; we hang up before authenticating for real.
bool UnixSocketAnswers(const std::string& where, bool abstract, const QDeadlineTimer& deadline) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (where.empty() || where.size() + offset >= sizeof(addr.sun_path)) {
        return false;
    }
    std::memcpy(addr.sun_path + offset, where.data(), where.size());
    const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                                 where.size() + (abstract ? 0 : 1));

    FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0) {
        return false;
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
        // A full listen backlog (a daemon that stopped accepting) fails here at once.
        if (errno != EINPROGRESS || !WaitFor(fd.get(), POLLOUT, deadline)) {
            return false;
        }
        int error = 0;
        socklen_t errorLen = sizeof(error);
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &errorLen) != 0 || error != 0) {
            return false;
        }
    }

    const QByteArray uid = QByteArray::number(static_cast<qulonglong>(::getuid())).toHex();
    const QByteArray hello = QByteArray(1, '\0') + "AUTH EXTERNAL " + uid + "\r\n";
    qsizetype sent = 0;
    while (sent < hello.size()) {
        const ssize_t n = ::send(fd.get(), hello.constData() + sent,
                                 static_cast<size_t>(hello.size() - sent), MSG_NOSIGNAL);
        if (n > 0) {
            sent += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd.get(), POLLOUT, deadline)) {
                return false;
            }
        } else {
            return false;
        }
    }

    QByteArray reply;
    while (!reply.contains("\r\n")) {
        if (!WaitFor(fd.get(), POLLIN, deadline)) {
            return false;
        }
        char buffer[256];
        const ssize_t n = ::recv(fd.get(), buffer, sizeof(buffer), 0);
        if (n > 0) {
            reply.append(buffer, n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            return false;
        }
        if (reply.size() > 4096) {
            return false;  // not a D-Bus daemon
        }
    }
    return true;
}

}  // namespace

bool BusAnswers(const QString& address, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    bool sawUnknownTransport = false;
    for (const QString& entry : address.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype colon = entry.indexOf(u':');
        if (colon <= 0) {
            continue;
        }
        const QString transport = entry.left(colon);
        if (transport != u"unix") {
            sawUnknownTransport = true;
            continue;
        }
        bool abstract = false;
        const auto where = UnixSocketAddress(entry.mid(colon + 1), abstract);
        if (where && UnixSocketAnswers(*where, abstract, deadline)) {
            return true;
        }
    }
    return sawUnknownTransport;
}

}  // namespace q840::ipc

#endif  // _WIN32
