#include "core/hid/HidrawWriter.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace q840::hid {

struct CHidrawWriter::Shared {
    ~Shared() {
        if (fd >= 0) {
            ::close(fd);
        }
        if (doneFd >= 0) {
            ::close(doneFd);
        }
    }

    // Runs until the writer is destroyed; holds the state alive, so a write still in the
    // kernel when the connection goes finishes against its own descriptor.
    static void Run(std::shared_ptr<Shared> self) {
        std::unique_lock<std::mutex> lock(self->mutex);
        for (;;) {
            self->wake.wait(lock, [&] { return self->queued || self->quit; });
            if (self->quit) {
                return;
            }
            self->queued = false;
            const std::vector<uint8_t> data = self->data;
            lock.unlock();
            const ssize_t n = self->call(self->fd, data.data(), data.size());
            const int err = n < 0 ? errno : 0;
            lock.lock();
            self->result = n;
            self->error = err;
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t w = ::write(self->doneFd, &one, sizeof one);
        }
    }

    HidrawWriteCall call = nullptr;
    int fd = -1;
    int doneFd = -1;
    std::mutex mutex;
    std::condition_variable wake;
    bool started = false;
    bool queued = false;
    bool quit = false;
    std::vector<uint8_t> data;
    ssize_t result = 0;
    int error = 0;
};

CHidrawWriter::CHidrawWriter(int fd, HidrawWriteCall call) : m_shared(std::make_shared<Shared>()) {
    m_shared->call = call;
    m_shared->fd = ::dup(fd);
    m_shared->doneFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CHidrawWriter::~CHidrawWriter() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->quit = true;
    m_shared->wake.notify_one();
}

bool CHidrawWriter::Valid() const {
    return m_shared->fd >= 0 && m_shared->doneFd >= 0;
}

int CHidrawWriter::DoneFd() const {
    return m_shared->doneFd;
}

bool CHidrawWriter::Busy() const {
    return m_busy;
}

bool CHidrawWriter::Start(const uint8_t* data, size_t length) {
    if (m_busy || !Valid()) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (!m_shared->started) {
        try {
            // Detached: the thread may outlive this object by one write in the kernel.
            std::thread(&Shared::Run, m_shared).detach();
        } catch (const std::system_error&) {
            return false;
        }
        m_shared->started = true;
    }
    m_shared->data.assign(data, data + length);
    m_shared->queued = true;
    m_busy = true;
    m_shared->wake.notify_one();
    return true;
}

ssize_t CHidrawWriter::Collect(int* error) {
    uint64_t count = 0;
    [[maybe_unused]] ssize_t r = ::read(m_shared->doneFd, &count, sizeof count);
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_busy = false;
    if (error) {
        *error = m_shared->error;
    }
    return m_shared->result;
}

}  // namespace q840::hid
