#include "core/base/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace q840 {

InstanceLock::InstanceLock(std::string path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) {
        ::close(m_fd);  // lets go of the lock; the file stays for the next start
    }
}

bool InstanceLock::TryAcquire() {
    if (m_held) {
        return true;
    }
    if (m_fd < 0) {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            m_error = std::string(std::strerror(errno)) + " on " + m_path;
            return false;
        }
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err != EWOULDBLOCK) {
            m_error = std::string(std::strerror(err)) + " on " + m_path;
            return false;
        }
        char text[32] = {};
        const ssize_t n = ::pread(m_fd, text, sizeof text - 1, 0);
        m_holderPid = n > 0 ? std::strtol(text, nullptr, 10) : 0;
        return false;
    }
    // Whole rewrite, so a shorter ID does not leave digits of a longer one behind.
    const std::string pid = std::to_string(static_cast<long>(::getpid())) + "\n";
    if (::ftruncate(m_fd, 0) == 0) {
        [[maybe_unused]] ssize_t w = ::pwrite(m_fd, pid.data(), pid.size(), 0);
    }
    m_held = true;
    m_holderPid = static_cast<long>(::getpid());
    return true;
}

}  // namespace q840
