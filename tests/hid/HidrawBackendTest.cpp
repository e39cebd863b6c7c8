#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "core/hid/CHidDevice.h"
#include "core/hid/HidrawBackend.h"
#include "hid/TestDescriptors.h"
#include "tests/support/TempDir.h"

namespace q840::hid {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void WriteFile(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}
void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
    WriteFile(p, std::string(bytes.begin(), bytes.end()));
}

// A sysfs tree laid out like the kernel's (class link -> HID device folder inside the USB
// interface folder inside the USB device folder) and a /dev folder, both in a temporary folder.
class HidrawBackendTest : public ::testing::Test {
protected:
    q840::test::TempDir temp{"q840-hidraw"};
    void SetUp() override {
        ASSERT_TRUE(temp.IsValid());
        root = temp.path();
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        sys = root / "sys";
        dev = root / "dev";
        fs::create_directories(sys / "class/hidraw");
        fs::create_directories(dev);
        backend = std::make_shared<CHidrawBackend>(sys.string(), dev.string());
    }
    void TearDown() override { SetHidBackend(nullptr); }

    // Adds hidrawN for one USB interface; `uevent` false leaves the ids to the USB folder.
    void AddNode(int n, uint16_t vid, uint16_t pid, int interfaceNumber,
                 const std::vector<uint8_t>& descriptor, bool uevent = true) {
        char usb[32];
        std::snprintf(usb, sizeof usb, "1-%d", n);
        char hid[64];
        std::snprintf(hid, sizeof hid, "0003:%04X:%04X.%04X", vid, pid, n);
        const fs::path usbDir = sys / "devices/pci0000:00/usb1" / usb;
        const fs::path ifDir =
            usbDir / (std::string(usb) + ":1." + std::to_string(interfaceNumber));
        const fs::path hidDir = ifDir / hid;
        char text[64];
        std::snprintf(text, sizeof text, "%04x\n", vid);
        WriteFile(usbDir / "idVendor", text);
        std::snprintf(text, sizeof text, "%04x\n", pid);
        WriteFile(usbDir / "idProduct", text);
        WriteFile(usbDir / "bcdDevice", "0102\n");
        std::snprintf(text, sizeof text, "%02x\n", interfaceNumber);
        WriteFile(ifDir / "bInterfaceNumber", text);
        if (uevent) {
            std::snprintf(text, sizeof text, "HID_ID=0003:%08X:%08X\n", vid, pid);
            WriteFile(hidDir / "uevent",
                      "DRIVER=hid-generic\n" + std::string(text) + "HID_NAME=Halvorn mouse\n");
        } else {
            WriteFile(hidDir / "uevent", "DRIVER=hid-generic\n");
        }
        WriteFile(hidDir / "report_descriptor", descriptor);
        const fs::path classDir = sys / "class/hidraw" / ("hidraw" + std::to_string(n));
        fs::create_directories(classDir);
        fs::create_symlink(hidDir, classDir / "device");
    }

    // The /dev node: a FIFO stands in for the character device (one read per written report).
    std::string MakeFifoNode(int n) {
        const fs::path node = dev / ("hidraw" + std::to_string(n));
        EXPECT_EQ(::mkfifo(node.c_str(), 0666), 0);
        return node.string();
    }

    std::string Node(int n) const { return (dev / ("hidraw" + std::to_string(n))).string(); }

    fs::path root, sys, dev;
    std::shared_ptr<CHidrawBackend> backend;
};

TEST_F(HidrawBackendTest, OnePathPerCollectionWithColOnlyWhenSeveral) {
    AddNode(10, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    AddNode(2, 0x320F, 0x226E, 0, test::EventInterfaceDescriptor());
    AddNode(3, 0x0C76, 0x1630, 3, test::kConsumerNoIdCollection, /*uevent=*/false);
    std::vector<std::string> paths;
    ASSERT_TRUE(backend->Enumerate(paths));
    const std::vector<std::string> expected = {
        Node(2) + "#vid_320f&pid_226e&mi_00&col01",  Node(2) + "#vid_320f&pid_226e&mi_00&col02",
        Node(2) + "#vid_320f&pid_226e&mi_00&col03",  Node(3) + "#vid_0c76&pid_1630&mi_03",
        Node(10) + "#vid_320f&pid_226e&mi_01&col01", Node(10) + "#vid_320f&pid_226e&mi_01&col02",
    };
    EXPECT_EQ(paths, expected);

    // The catalogue reads the numbers back from the paths.
    EXPECT_EQ(ParseInterfaceNumber(paths[2]), 0u);
    EXPECT_EQ(ParseCollectionNumber(paths[2]), 3u);
    EXPECT_EQ(ParseInterfaceNumber(paths[3]), 3u);
    EXPECT_EQ(ParseCollectionNumber(paths[3]), 0u);
    EXPECT_EQ(ParseInterfaceNumber(paths[5]), 1u);
    EXPECT_EQ(ParseCollectionNumber(paths[5]), 2u);
}

TEST_F(HidrawBackendTest, ANodeNumberTakenByAnotherDeviceIsReadAgain) {
    AddNode(3, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    std::vector<std::string> paths;
    ASSERT_TRUE(backend->Enumerate(paths));
    ASSERT_EQ(paths.size(), 2u);
    // Unplug; the headset arrives and gets the same node number.
    fs::remove_all(sys / "class/hidraw/hidraw3");
    ASSERT_TRUE(backend->Enumerate(paths));
    EXPECT_TRUE(paths.empty());
    AddNode(3, 0x0C76, 0x1630, 3, test::kConsumerNoIdCollection);
    ASSERT_TRUE(backend->Enumerate(paths));
    EXPECT_EQ(paths, std::vector<std::string>{Node(3) + "#vid_0c76&pid_1630&mi_03"});
}

TEST_F(HidrawBackendTest, NoHidrawClassMeansNoDevicesNotFailure) {
    fs::remove_all(sys / "class/hidraw");
    std::vector<std::string> paths = {"stale"};
    EXPECT_TRUE(backend->Enumerate(paths));
    EXPECT_TRUE(paths.empty());
}

TEST_F(HidrawBackendTest, OpenGivesAttributesDescriptorAndCollection) {
    AddNode(4, 0x320F, 0x226F, 1, test::CommandInterfaceDescriptor());
    MakeFifoNode(4);
    SetHidBackend(backend);
    CHidDevice hid;
    ASSERT_TRUE(hid.Open(Node(4) + "#vid_320f&pid_226f&mi_01&col02", true, true, true, false))
        << hid.GetLastOpenError();
    EXPECT_EQ(hid.GetAttributes().vendorId, 0x320F);
    EXPECT_EQ(hid.GetAttributes().productId, 0x226F);
    EXPECT_EQ(hid.GetAttributes().versionNumber, 0x0102);
    EXPECT_EQ(hid.GetCaps().usagePage, 0xFF1C);
    EXPECT_EQ(hid.GetCaps().usage, 0x92);
    EXPECT_EQ(hid.GetCaps().inputReportByteLength, 64);
    EXPECT_EQ(hid.GetInterfaceNumber(), 1u);
    EXPECT_EQ(hid.GetCollectionNumber(), 2u);

    // No access asked (the removal check): succeeds without touching the node's permissions.
    ASSERT_TRUE(hid.Open(Node(4) + "#vid_320f&pid_226f&mi_01&col01", false, false, true, false));
    EXPECT_EQ(hid.GetCaps().usage, 0x06);
}

TEST_F(HidrawBackendTest, OpenFailsWithAReasonWhenTheInterfaceIsGoneOrWrong) {
    AddNode(5, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    std::string why;
    // The sysfs entry is there, the node is not.
    EXPECT_EQ(backend->Open(Node(5) + "#vid_320f&pid_226e&mi_01&col02", true, true, false, &why),
              nullptr);
    EXPECT_EQ(why, "no such device " + Node(5));
    MakeFifoNode(5);
    // hidraw5 is now another product: the old path must not open it.
    EXPECT_EQ(backend->Open(Node(5) + "#vid_320f&pid_226f&mi_01&col02", true, true, false, &why),
              nullptr);
    EXPECT_NE(why.find("no such device"), std::string::npos);
    EXPECT_EQ(backend->Open(Node(5) + "#vid_320f&pid_226e&mi_01&col07", true, true, false, &why),
              nullptr);
    EXPECT_NE(why.find("no such collection"), std::string::npos);
    EXPECT_EQ(backend->Open(Node(5) + "&vid_320f", true, true, false, &why), nullptr);
    EXPECT_EQ(backend->Open("/etc/passwd#vid_320f", true, true, false, &why), nullptr);
    EXPECT_EQ(backend->Open(Node(9) + "#vid_320f&pid_226e&mi_01", true, true, false, &why),
              nullptr);
    EXPECT_EQ(why, "no such device " + Node(9));
    // Unplugged: the class entry disappears.
    fs::remove_all(sys / "class/hidraw/hidraw5");
    EXPECT_EQ(backend->Open(Node(5) + "#vid_320f&pid_226e&mi_01&col02", true, true, false, &why),
              nullptr);
}

TEST_F(HidrawBackendTest, BrokenDescriptorListsOnePathThatCannotBeOpened) {
    std::vector<uint8_t> cut = test::CommandInterfaceDescriptor();
    cut.resize(20);
    AddNode(6, 0x320F, 0x226E, 1, cut);
    MakeFifoNode(6);
    std::vector<std::string> paths;
    ASSERT_TRUE(backend->Enumerate(paths));
    ASSERT_EQ(paths, std::vector<std::string>{Node(6) + "#vid_320f&pid_226e&mi_01"});
    std::string why;
    EXPECT_EQ(backend->Open(paths[0], true, true, false, &why), nullptr);
    EXPECT_NE(why.find("unusable report descriptor on " + Node(6)), std::string::npos) << why;
}

TEST_F(HidrawBackendTest, PermissionDeniedGivesTheReason) {
    AddNode(3, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    const std::string node = MakeFifoNode(3);
    ASSERT_EQ(::chmod(node.c_str(), 0600), 0);
    const std::string path = node + "#vid_320f&pid_226e&mi_01&col02";
    const std::string expected = "permission denied on " + node;
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(node.c_str(), 0), 0);
        std::string why;
        EXPECT_EQ(backend->Open(path, true, true, false, &why), nullptr);
        EXPECT_EQ(why, expected);
        return;
    }
    // As root the mode bits do not stop us; try as an unprivileged user in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        std::string why;
        auto c = backend->Open(path, true, true, false, &why);
        ::_exit(c == nullptr && why == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "cannot drop privileges here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(HidrawBackendTest, ReadKeepsOnlyOwnReportsInWindowsForm) {
    AddNode(7, 0x320F, 0x226E, 0, test::EventInterfaceDescriptor());
    const std::string node = MakeFifoNode(7);
    std::string why;
    auto c = backend->Open(node + "#vid_320f&pid_226e&mi_00&col03", true, true, false, &why);
    ASSERT_NE(c, nullptr) << why;
    EXPECT_EQ(c->CollectionIndex(), 2);
    const int device = ::open(node.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(device, 0);

    uint8_t buf[16];
    size_t n = 99;
    // A mouse report (ID 1) belongs to collection 1: dropped, so the read times out.
    const uint8_t mouseReport[7] = {1, 1, 0, 0, 0, 0, 0};
    ASSERT_EQ(::write(device, mouseReport, sizeof mouseReport), 7);
    EXPECT_EQ(c->Read(buf, sizeof buf, &n, 30), HidIoStatus::TimedOut);
    EXPECT_EQ(n, 0u);

    const uint8_t consumer[3] = {3, 0x01, 0x04};
    ASSERT_EQ(::write(device, consumer, sizeof consumer), 3);
    ASSERT_EQ(c->Read(buf, sizeof buf, &n, 1000), HidIoStatus::Ok);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buf[0], 3);
    EXPECT_EQ(buf[2], 0x04);

    // A short report is padded to the collection's input length.
    const uint8_t shortReport[2] = {3, 0xE9};
    ASSERT_EQ(::write(device, shortReport, sizeof shortReport), 2);
    buf[2] = 0xAA;
    ASSERT_EQ(c->Read(buf, sizeof buf, &n, 1000), HidIoStatus::Ok);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buf[1], 0xE9);
    EXPECT_EQ(buf[2], 0);

    // Reports waiting in the queue are dropped by a flush.
    ASSERT_EQ(::write(device, consumer, sizeof consumer), 3);
    EXPECT_TRUE(c->FlushQueue());
    EXPECT_EQ(c->Read(buf, sizeof buf, &n, 0), HidIoStatus::TimedOut);
    ::close(device);
}

TEST_F(HidrawBackendTest, ReportsWithoutIdsGetAZeroIdByte) {
    AddNode(8, 0x0C76, 0x1630, 3, test::kConsumerNoIdCollection);
    const std::string node = MakeFifoNode(8);
    std::string why;
    auto c = backend->Open(node + "#vid_0c76&pid_1630&mi_03", true, true, false, &why);
    ASSERT_NE(c, nullptr) << why;
    const int device = ::open(node.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(device, 0);
    const uint8_t data[1] = {0x04};
    ASSERT_EQ(::write(device, data, 1), 1);
    uint8_t buf[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    size_t n = 0;
    ASSERT_EQ(c->Read(buf, sizeof buf, &n, 1000), HidIoStatus::Ok);
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], 0x04);
    ::close(device);
}

TEST_F(HidrawBackendTest, WritesGoOutWholeAndCancelWakesAnInfiniteRead) {
    AddNode(9, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    const std::string node = MakeFifoNode(9);
    std::string why;
    auto c = backend->Open(node + "#vid_320f&pid_226e&mi_01&col02", true, true, false, &why);
    ASSERT_NE(c, nullptr) << why;
    const int device = ::open(node.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(device, 0);

    std::vector<uint8_t> report(64, 0);
    report[0] = 4;
    report[3] = 0x02;
    size_t n = 0;
    ASSERT_EQ(c->Write(report.data(), report.size(), &n, 500), HidIoStatus::Ok);
    EXPECT_EQ(n, 64u);
    ASSERT_TRUE(c->SetOutputReport(report.data(), report.size()));  // falls back to write()
    uint8_t got[256];
    EXPECT_EQ(::read(device, got, sizeof got), 128);
    EXPECT_EQ(std::vector<uint8_t>(got, got + 64), report);
    ::close(device);

    auto reader = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        size_t count = 0;
        return c->Read(buf, sizeof buf, &count, -1);
    });
    std::this_thread::sleep_for(20ms);
    c->Cancel();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.get(), HidIoStatus::Cancelled);

    // A signal given while nothing waits is kept for the next operation, once.
    c->Cancel();
    uint8_t buf[64];
    EXPECT_EQ(c->Read(buf, sizeof buf, &n, 1000), HidIoStatus::Cancelled);
    EXPECT_EQ(c->Read(buf, sizeof buf, &n, 0), HidIoStatus::TimedOut);
}

TEST_F(HidrawBackendTest, ReadOnlyOpenRefusesWrites) {
    AddNode(11, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    const std::string node = MakeFifoNode(11);
    // Keep a writer on the FIFO so a read-only open does not see a hang-up.
    const int keep = ::open(node.c_str(), O_RDWR | O_NONBLOCK);
    std::string why;
    auto c = backend->Open(node + "#vid_320f&pid_226e&mi_01&col02", true, false, false, &why);
    ASSERT_NE(c, nullptr) << why;
    const uint8_t report[64] = {4};
    size_t n = 0;
    EXPECT_EQ(c->Write(report, sizeof report, &n, 100), HidIoStatus::Error);
    EXPECT_FALSE(c->SetOutputReport(report, sizeof report));
    ::close(keep);
}

// The kernel's write to a hidraw node sleeps until the device takes the report (up to the USB
// core's 5 s) and poll() always calls the node writable. This stands in for it: a write that
// waits at a gate the test opens.
struct KernelGate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = true;
    int entered = 0;
};
KernelGate g_gate;

ssize_t GatedWrite(int fd, const void* data, size_t length) {
    std::unique_lock<std::mutex> lock(g_gate.mutex);
    ++g_gate.entered;
    g_gate.changed.notify_all();
    g_gate.changed.wait(lock, [] { return g_gate.open; });
    lock.unlock();
    return ::write(fd, data, length);
}

void SetGate(bool open) {
    std::lock_guard<std::mutex> lock(g_gate.mutex);
    g_gate.open = open;
    g_gate.changed.notify_all();
}

void AwaitEntered(int count) {
    std::unique_lock<std::mutex> lock(g_gate.mutex);
    ASSERT_TRUE(g_gate.changed.wait_for(lock, 5s, [&] { return g_gate.entered >= count; }));
}

// Reads `count` bytes from the device side of the FIFO, waiting up to 5 s for them.
std::vector<uint8_t> ReadDevice(int device, size_t count) {
    std::vector<uint8_t> got;
    uint8_t buf[256];
    while (got.size() < count) {
        pollfd p = {device, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) {
            break;
        }
        const ssize_t n = ::read(device, buf, sizeof buf);
        if (n <= 0) {
            break;
        }
        got.insert(got.end(), buf, buf + n);
    }
    return got;
}

TEST_F(HidrawBackendTest, AWriteTheKernelHoldsEndsAtTheTimeOutOrCancelAndReportsStayInOrder) {
    AddNode(12, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    const std::string node = MakeFifoNode(12);
    backend->SetWriteCall(&GatedWrite);
    std::string why;
    auto c = backend->Open(node + "#vid_320f&pid_226e&mi_01&col02", true, true, false, &why);
    ASSERT_NE(c, nullptr) << why;
    const int device = ::open(node.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(device, 0);
    auto report = [](uint8_t tag) {
        std::vector<uint8_t> r(64, 0);
        r[0] = 4;
        r[1] = tag;
        return r;
    };
    const std::vector<uint8_t> a = report(0xA1), b = report(0xB2), d = report(0xD4);
    size_t n = 0;

    // The device does not take the report: the caller gets its time-out, not the kernel's.
    SetGate(false);
    {
        std::lock_guard<std::mutex> lock(g_gate.mutex);
        g_gate.entered = 0;
    }
    EXPECT_EQ(c->Write(a.data(), a.size(), &n, 30), HidIoStatus::TimedOut);
    AwaitEntered(1);
    // A later write waits for the one still in the kernel, and can be cancelled meanwhile.
    auto waiting =
        std::async(std::launch::async, [&] { return c->Write(b.data(), b.size(), &n, -1); });
    c->Cancel();
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(waiting.get(), HidIoStatus::Cancelled);

    // Once the device takes it, the next write follows it, in order.
    SetGate(true);
    ASSERT_EQ(c->Write(b.data(), b.size(), &n, 5000), HidIoStatus::Ok);
    std::vector<uint8_t> both = a;
    both.insert(both.end(), b.begin(), b.end());
    EXPECT_EQ(ReadDevice(device, 128), both);

    // Closing the connection while a write is in the kernel neither waits nor loses it.
    SetGate(false);
    EXPECT_EQ(c->Write(d.data(), d.size(), &n, 10), HidIoStatus::TimedOut);
    c.reset();
    SetGate(true);
    EXPECT_EQ(ReadDevice(device, 64), d);
    ::close(device);
}

TEST_F(HidrawBackendTest, AnExclusiveOpenKeepsOutTheNextExclusiveOpenOnly) {
    AddNode(13, 0x320F, 0x226E, 1, test::CommandInterfaceDescriptor());
    const std::string node = MakeFifoNode(13);
    const int keep = ::open(node.c_str(), O_RDWR | O_NONBLOCK);
    const std::string path = node + "#vid_320f&pid_226e&mi_01&col02";
    std::string why;
    auto first = backend->Open(path, true, true, true, &why);
    ASSERT_NE(first, nullptr) << why;
    EXPECT_EQ(backend->Open(path, true, true, true, &why), nullptr);
    EXPECT_NE(why.find("busy"), std::string::npos) << why;
    // Linux cannot refuse an open that does not ask for the lock.
    EXPECT_NE(backend->Open(path, true, true, false, &why), nullptr);
    first.reset();
    EXPECT_NE(backend->Open(path, true, true, true, &why), nullptr) << why;
    ::close(keep);
}

}  // namespace
}  // namespace q840::hid
