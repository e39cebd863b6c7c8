#include "core/hid/HidrawBackend.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/base/DebugLine.h"
#include "core/hid/HidPath.h"
#include "core/hid/HidReportDescriptor.h"
#include "core/hid/HidrawWriter.h"

namespace q840::hid {

namespace {

// hidraw hands over at most one maximum-size report (4096 bytes) plus its ID.
constexpr size_t kMaxRawReport = 4097;
// A queue that never drains is a misbehaving node; stop flushing after this many reports.
constexpr int kMaxFlushReports = 4096;

bool ReadTextFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    *text = ss.str();
    return true;
}

bool ReadBinaryFile(const std::string& path, size_t maxSize, std::vector<uint8_t>* data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    data->clear();
    char buf[1024];
    while (in) {
        in.read(buf, sizeof buf);
        const std::streamsize n = in.gcount();
        if (n <= 0) {
            break;
        }
        data->insert(data->end(), buf, buf + n);
        if (data->size() > maxSize) {
            return false;
        }
    }
    return true;
}

std::string ParentDir(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

bool IsHidrawName(const std::string& name) {
    if (name.size() <= 6 || name.compare(0, 6, "hidraw") != 0 || name.size() > 16) {
        return false;
    }
    return std::all_of(name.begin() + 6, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string OpenErrorText(int err, const std::string& node) {
    switch (err) {
        case EACCES:
        case EPERM:
            return "permission denied on " + node;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "no such device " + node;
        case EBUSY:
            return "device busy " + node;
        default:
            return std::string(std::strerror(err)) + " on " + node;
    }
}

class HidrawConnection : public IHidConnection {
public:
    HidrawConnection(int fd, int cancelFd, bool canRead, bool canWrite, HidAttributes attributes,
                     std::vector<uint8_t> descriptor, int collectionIndex, bool usesReportIds,
                     std::vector<uint8_t> reportIds, uint16_t inputLength,
                     HidrawWriteCall writeCall)
        : m_fd(fd),
          m_cancelFd(cancelFd),
          m_canRead(canRead),
          m_canWrite(canWrite),
          m_attributes(attributes),
          m_descriptor(std::move(descriptor)),
          m_collectionIndex(collectionIndex),
          m_usesReportIds(usesReportIds),
          m_reportIds(std::move(reportIds)),
          m_inputLength(inputLength) {
        if (m_canWrite && m_fd >= 0) {
            m_writer = std::make_unique<CHidrawWriter>(m_fd, writeCall);
        }
    }

    ~HidrawConnection() override {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        if (m_cancelFd >= 0) {
            ::close(m_cancelFd);
        }
    }

    const HidAttributes& Attributes() const override { return m_attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return m_descriptor; }
    int CollectionIndex() const override { return m_collectionIndex; }

    HidIoStatus Read(uint8_t* buffer, size_t length, size_t* transferred, int timeoutMs) override {
        if (transferred) {
            *transferred = 0;
        }
        if (m_fd < 0 || !m_canRead || !buffer || length == 0) {
            return HidIoStatus::Error;
        }
        const Deadline deadline(timeoutMs);
        uint8_t raw[kMaxRawReport + 1];
        for (;;) {
            const HidIoStatus waited = Wait(m_fd, POLLIN, deadline);
            if (waited != HidIoStatus::Ok) {
                return waited;
            }
            // One read() is one whole report on hidraw. Without report IDs there is no ID byte,
            // so read one byte further in and put the 0 in front ourselves.
            uint8_t* into = m_usesReportIds ? raw : raw + 1;
            const ssize_t n = ::read(m_fd, into, kMaxRawReport);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                    continue;
                }
                return HidIoStatus::Error;  // ENODEV: unplugged
            }
            if (n == 0) {
                return HidIoStatus::Error;
            }
            size_t size = static_cast<size_t>(n);
            if (!m_usesReportIds) {
                raw[0] = 0;
                ++size;
            } else if (std::find(m_reportIds.begin(), m_reportIds.end(), raw[0]) ==
                       m_reportIds.end()) {
                continue;  // another collection of the same interface
            }
            // Short reports are padded to the collection's length, as Windows delivers them.
            const size_t full = std::max<size_t>(size, m_inputLength);
            const size_t copy = std::min(full, length);
            const size_t fromRaw = std::min(size, copy);
            std::memcpy(buffer, raw, fromRaw);
            std::memset(buffer + fromRaw, 0, copy - fromRaw);
            if (transferred) {
                *transferred = copy;
            }
            return HidIoStatus::Ok;
        }
    }

    HidIoStatus Write(const uint8_t* buffer, size_t length, size_t* transferred,
                      int timeoutMs) override {
        if (transferred) {
            *transferred = 0;
        }
        if (m_fd < 0 || !m_canWrite || !buffer || length == 0) {
            return HidIoStatus::Error;
        }
        if (!m_writer || !m_writer->Valid()) {
            return HidIoStatus::Error;
        }
        const Deadline deadline(timeoutMs);
        // A write given up on earlier may still be in the kernel: reports go out in order.
        if (m_writer->Busy()) {
            const HidIoStatus waited = Wait(m_writer->DoneFd(), POLLIN, deadline);
            if (waited != HidIoStatus::Ok) {
                return waited;
            }
            int ignored = 0;
            m_writer->Collect(&ignored);
        }
        for (;;) {
            HidIoStatus waited = Wait(m_fd, POLLOUT, deadline);
            if (waited != HidIoStatus::Ok) {
                return waited;
            }
            // hidraw takes the report ID in byte 0 and drops it itself when the device uses
            // none, so the Windows form goes out unchanged. The write blocks in the kernel
            // until the device takes the report, so it runs on the writer's thread and only
            // the wait for it here keeps the time-out and the cancel signal.
            if (!m_writer->Start(buffer, length)) {
                return HidIoStatus::Error;
            }
            waited = Wait(m_writer->DoneFd(), POLLIN, deadline);
            if (waited != HidIoStatus::Ok) {
                return waited;  // the write ends in the kernel; the next one waits for it
            }
            int error = 0;
            const ssize_t n = m_writer->Collect(&error);
            if (n < 0) {
                if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) {
                    continue;
                }
                return HidIoStatus::Error;
            }
            if (transferred) {
                *transferred = static_cast<size_t>(n);
            }
            return static_cast<size_t>(n) == length ? HidIoStatus::Ok : HidIoStatus::Error;
        }
    }

    void Cancel() override {
        const uint64_t one = 1;
        // The counter only saturates after 2^64 - 2 signals; a failed write changes nothing.
        [[maybe_unused]] ssize_t n = ::write(m_cancelFd, &one, sizeof one);
    }

    bool FlushQueue() override {
        if (m_fd < 0 || !m_canRead) {
            return false;
        }
        uint8_t raw[kMaxRawReport];
        for (int i = 0; i < kMaxFlushReports; ++i) {
            const ssize_t n = ::read(m_fd, raw, sizeof raw);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno == EAGAIN || errno == EWOULDBLOCK;
            }
            if (n == 0) {
                return true;
            }
        }
        return true;
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        if (m_fd < 0 || !m_canWrite || !buffer || length == 0 || length > kMaxRawReport) {
            return false;
        }
#ifdef HIDIOCSOUTPUT
        // The ioctl goes over the control pipe like HidD_SetOutputReport; kernels before 5.11
        // (or nodes that are not hidraw) do not know it, and then the interrupt pipe must do.
        std::vector<uint8_t> copy(buffer, buffer + length);
        if (::ioctl(m_fd, HIDIOCSOUTPUT(length), copy.data()) >= 0) {
            return true;
        }
        if (errno != ENOTTY && errno != EINVAL && errno != ENOSYS) {
            return false;
        }
#endif
        size_t written = 0;
        return Write(buffer, length, &written, 1000) == HidIoStatus::Ok;
    }

private:
    struct Deadline {
        explicit Deadline(int timeoutMs)
            : infinite(timeoutMs < 0),
              when(std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(std::max(timeoutMs, 0))) {}
        // Milliseconds left for poll(): -1 forever, 0 when passed (rounded up otherwise).
        int Remaining() const {
            if (infinite) {
                return -1;
            }
            const auto left = when - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero()) {
                return 0;
            }
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
            return static_cast<int>(std::min<long long>(ms, INT_MAX));
        }
        bool infinite;
        std::chrono::steady_clock::time_point when;
    };

    // Waits until `fd` (the node, or the writer's done signal) is ready for `events` or the
    // cancel signal arrives. A time-out of 0 still looks once, so data already there is taken.
    HidIoStatus Wait(int fd, short events, const Deadline& deadline) {
        for (;;) {
            pollfd fds[2] = {{m_cancelFd, POLLIN, 0}, {fd, events, 0}};
            const int left = deadline.Remaining();
            const int r = ::poll(fds, 2, left);
            if (r < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return HidIoStatus::Error;
            }
            if (fds[0].revents & POLLIN) {
                uint64_t count = 0;
                // Whoever reads the counter takes the signal (auto-reset); another waiter that
                // loses the race gets EAGAIN and keeps waiting.
                if (::read(m_cancelFd, &count, sizeof count) == sizeof count) {
                    return HidIoStatus::Cancelled;
                }
            }
            if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                return HidIoStatus::Error;
            }
            if (fds[1].revents & events) {
                return HidIoStatus::Ok;
            }
            if (r == 0) {
                return HidIoStatus::TimedOut;
            }
        }
    }

    int m_fd;
    int m_cancelFd;
    bool m_canRead;
    bool m_canWrite;
    HidAttributes m_attributes;
    std::vector<uint8_t> m_descriptor;
    int m_collectionIndex;
    bool m_usesReportIds;
    std::vector<uint8_t> m_reportIds;
    uint16_t m_inputLength;
    std::unique_ptr<CHidrawWriter> m_writer;
};

}  // namespace

bool ParseHexText(const std::string& text, uint32_t* value) {
    const char* s = text.c_str();
    char* end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(s, &end, 16);
    if (end == s || errno != 0 || v > 0xFFFFFFFFul) {
        return false;
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

// "HID_ID=0003:0000320F:0000226E" -> vendor 0x320F, product 0x226E.
bool ParseUeventHidId(const std::string& uevent, uint16_t* vendor, uint16_t* product) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) != 0) {
            continue;
        }
        unsigned bus = 0;
        unsigned long vid = 0;
        unsigned long pid = 0;
        if (std::sscanf(line.c_str() + 7, "%x:%lx:%lx", &bus, &vid, &pid) != 3) {
            return false;
        }
        *vendor = static_cast<uint16_t>(vid);
        *product = static_cast<uint16_t>(pid);
        return true;
    }
    return false;
}

CHidrawBackend::CHidrawBackend(std::string sysfsRoot, std::string devRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_devRoot(std::move(devRoot)) {}

bool CHidrawBackend::ReadNodeInfo(const std::string& name, HidrawNodeInfo* info) const {
    if (!IsHidrawName(name)) {
        return false;
    }
    *info = HidrawNodeInfo();
    info->name = name;
    const std::string link = m_sysfsRoot + "/class/hidraw/" + name + "/device";
    char resolved[PATH_MAX];
    if (!::realpath(link.c_str(), resolved)) {
        return false;
    }
    const std::string hidDir = resolved;  // .../1-1:1.1/0003:320F:226E.0005
    const std::string interfaceDir = ParentDir(hidDir);
    const std::string usbDeviceDir = ParentDir(interfaceDir);

    std::string text;
    bool haveIds = false;
    if (ReadTextFile(hidDir + "/uevent", &text)) {
        haveIds = ParseUeventHidId(text, &info->vendorId, &info->productId);
    }
    uint32_t value = 0;
    if (!haveIds && ReadTextFile(usbDeviceDir + "/idVendor", &text) && ParseHexText(text, &value)) {
        info->vendorId = static_cast<uint16_t>(value);
        if (ReadTextFile(usbDeviceDir + "/idProduct", &text) && ParseHexText(text, &value)) {
            info->productId = static_cast<uint16_t>(value);
            haveIds = true;
        }
    }
    if (!haveIds) {
        return false;
    }
    if (ReadTextFile(usbDeviceDir + "/bcdDevice", &text) && ParseHexText(text, &value)) {
        info->versionNumber = static_cast<uint16_t>(value);
    }
    if (ReadTextFile(interfaceDir + "/bInterfaceNumber", &text) && ParseHexText(text, &value)) {
        info->interfaceNumber = value;
        info->hasInterfaceNumber = true;
    }
    info->descriptorRead = ReadBinaryFile(hidDir + "/report_descriptor", kHidMaxDescriptorSize,
                                          &info->reportDescriptor);
    return true;
}

std::string MakeHidrawPath(const std::string& devNode, const HidrawNodeInfo& info, int collection,
                           int collectionCount) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "#vid_%04x&pid_%04x", info.vendorId, info.productId);
    std::string path = devNode + buf;
    if (info.hasInterfaceNumber) {
        std::snprintf(buf, sizeof buf, "&mi_%02x", info.interfaceNumber & 0xFF);
        path += buf;
    }
    if (collectionCount > 1) {
        std::snprintf(buf, sizeof buf, "&col%02x", (collection + 1) & 0xFF);
        path += buf;
    }
    return path;
}

bool CHidrawBackend::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    const std::string classDir = m_sysfsRoot + "/class/hidraw";
    DIR* dir = ::opendir(classDir.c_str());
    if (!dir) {
        // Without the hidraw class there are simply no HID devices yet (module not loaded);
        // that is not a failure of the bus.
        return errno == ENOENT;
    }
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (IsHidrawName(name)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    // hidraw2 before hidraw10: a stable order keeps the first of two identical devices first.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });

    std::lock_guard<std::mutex> lock(m_cacheMutex);
    std::map<std::string, CachedNode> seen;
    for (const std::string& name : names) {
        std::vector<std::string> nodePaths;
        if (!NodePaths(name, &nodePaths)) {
            continue;  // went away while we looked
        }
        paths.insert(paths.end(), nodePaths.begin(), nodePaths.end());
        seen[name] = std::move(m_cache[name]);
    }
    m_cache = std::move(seen);  // forget nodes that are gone
    for (auto it = m_lastFailure.begin(); it != m_lastFailure.end();) {
        if (std::find(paths.begin(), paths.end(), it->first) == paths.end()) {
            it = m_lastFailure.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

bool CHidrawBackend::NodePaths(const std::string& name, std::vector<std::string>* paths) {
    const std::string link = m_sysfsRoot + "/class/hidraw/" + name + "/device";
    char resolved[PATH_MAX];
    if (!::realpath(link.c_str(), resolved)) {
        return false;
    }
    CachedNode& cached = m_cache[name];
    if (cached.hidDir == resolved && !cached.paths.empty()) {
        *paths = cached.paths;
        return true;
    }
    HidrawNodeInfo info;
    if (!ReadNodeInfo(name, &info)) {
        return false;
    }
    const std::string node = m_devRoot + "/" + name;
    HidReportDescriptor descriptor;
    int count = 1;
    if (info.descriptorRead && ParseReportDescriptor(info.reportDescriptor, &descriptor, nullptr)) {
        count = static_cast<int>(descriptor.collections.size());
    }
    // An unreadable descriptor still gives one path; opening it then says why it is unusable.
    paths->clear();
    for (int c = 0; c < count; ++c) {
        paths->push_back(MakeHidrawPath(node, info, c, count));
    }
    cached.hidDir = resolved;
    cached.paths = *paths;
    return true;
}

std::unique_ptr<IHidConnection> CHidrawBackend::Open(const std::string& path, bool readAccess,
                                                     bool writeAccess, bool exclusive,
                                                     std::string* errorText) {
    auto fail = [&](const std::string& reason) -> std::unique_ptr<IHidConnection> {
        if (errorText) {
            *errorText = reason;
        }
        // The scan probes an inaccessible interface every 100 ms; say so once, not each time.
        std::lock_guard<std::mutex> lock(m_cacheMutex);
        std::string& last = m_lastFailure[path];
        if (last != reason) {
            last = reason;
            DebugLine("hidraw: %s", reason.c_str());
        }
        return nullptr;
    };

    const size_t hash = path.find('#');
    const std::string node = path.substr(0, hash);
    const std::string prefix = m_devRoot + "/";
    if (hash == std::string::npos || node.compare(0, prefix.size(), prefix) != 0 ||
        !IsHidrawName(node.substr(prefix.size()))) {
        return fail("not a hidraw interface path: " + path);
    }
    const std::string name = node.substr(prefix.size());

    // The node number may have been given to another device since the path was enumerated;
    // the path's own numbers must still describe what sits there.
    HidrawNodeInfo info;
    if (!ReadNodeInfo(name, &info)) {
        return fail("no such device " + node);
    }
    const std::string_view suffix(path.c_str() + hash);
    if (ParseHexAfterMarker(suffix, "vid_") != info.vendorId ||
        ParseHexAfterMarker(suffix, "pid_") != info.productId ||
        (info.hasInterfaceNumber && ParseHexAfterMarker(suffix, "&mi_") != info.interfaceNumber)) {
        return fail("no such device " + node + " (another device took its place)");
    }
    if (!info.descriptorRead) {
        return fail("cannot read the report descriptor of " + node);
    }
    HidReportDescriptor descriptor;
    std::string why;
    if (!ParseReportDescriptor(info.reportDescriptor, &descriptor, &why)) {
        return fail("unusable report descriptor on " + node + ": " + why);
    }
    const int count = static_cast<int>(descriptor.collections.size());
    const uint32_t col = ParseHexAfterMarker(suffix, "&col");
    int index = 0;
    if (count > 1) {
        if (col < 1 || col > static_cast<uint32_t>(count)) {
            return fail("no such collection on " + node);
        }
        index = static_cast<int>(col) - 1;
    } else if (col > 1) {
        return fail("no such collection on " + node);
    }
    const HidCollectionInfo& tlc = descriptor.collections[static_cast<size_t>(index)];

    int fd = -1;
    if (readAccess || writeAccess) {
        int flags = O_NONBLOCK | O_CLOEXEC;
        flags |= writeAccess ? (readAccess ? O_RDWR : O_WRONLY) : O_RDONLY;
        fd = ::open(node.c_str(), flags);
        if (fd < 0) {
            return fail(OpenErrorText(errno, node));
        }
        // hidraw has no share modes, and the kernel lets any number of processes open a node.
        // An exclusive open takes an advisory lock instead: it keeps out every program that
        // asks the same way (a second copy of this one), not one that does not ask.
        if (exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            ::close(fd);
            return fail(err == EWOULDBLOCK
                            ? "device busy " + node + " (opened exclusively by another program)"
                            : OpenErrorText(err, node));
        }
    } else {
        // No access asked: only whether the interface is still there (the removal check).
        struct stat st;
        if (::stat(node.c_str(), &st) != 0) {
            return fail(OpenErrorText(errno, node));
        }
    }
    const int cancelFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (cancelFd < 0) {
        const int err = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        return fail(std::string("cannot create the cancel signal: ") + std::strerror(err));
    }
    HidAttributes attributes;
    attributes.vendorId = info.vendorId;
    attributes.productId = info.productId;
    attributes.versionNumber = info.versionNumber;
    {
        std::lock_guard<std::mutex> lock(m_cacheMutex);
        m_lastFailure.erase(path);
    }
    return std::make_unique<HidrawConnection>(
        fd, cancelFd, readAccess && fd >= 0, writeAccess && fd >= 0, attributes,
        std::move(info.reportDescriptor), index, descriptor.usesReportIds, tlc.reportIds,
        tlc.InputReportByteLength(), m_writeCall);
}

std::shared_ptr<IHidBackend> CreateHidrawBackend(const std::string& sysfsRoot,
                                                 const std::string& devRoot) {
    return std::make_shared<CHidrawBackend>(sysfsRoot, devRoot);
}

}  // namespace q840::hid
