// Costs on the scan thread's and the listeners' paths: parsing a descriptor (every probe),
// decoding an input report (every event), matching a path against the catalogue (every
// enumerated interface, every 100 ms) and a report round trip through the hidraw backend.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "core/catalogue/DeviceList.h"
#include "core/hid/CHidDevice.h"
#include "core/hid/HidReportDescriptor.h"
#include "core/hid/HidrawBackend.h"
#include "hid/FakeHidBackend.h"
#include "hid/TestDescriptors.h"

namespace {

using namespace q840;
namespace fs = std::filesystem;

void BM_ParseEventInterfaceDescriptor(benchmark::State& state) {
    const std::vector<uint8_t> bytes = hid::test::EventInterfaceDescriptor();
    for (auto _ : state) {
        hid::HidReportDescriptor d;
        benchmark::DoNotOptimize(hid::ParseReportDescriptor(bytes, &d, nullptr));
        benchmark::DoNotOptimize(d.collections.data());
    }
}
BENCHMARK(BM_ParseEventInterfaceDescriptor);

void BM_UnpackMouseReport(benchmark::State& state) {
    auto backend = std::make_shared<hid::test::FakeHidBackend>();
    backend->Add("fake:mouse", 0x320F, 0x226E, hid::test::EventInterfaceDescriptor(), 0);
    hid::SetHidBackend(backend);
    hid::CHidDevice dev;
    if (!dev.Open("fake:mouse", true, true, true, false)) {
        state.SkipWithError("open failed");
        return;
    }
    const uint8_t report[7] = {0x01, 0x05, 0xFB, 0xFF, 0x2C, 0x01, 0xFF};
    for (auto _ : state) {
        benchmark::DoNotOptimize(dev.UnpackInputReport(report, sizeof report));
    }
    dev.Close();
    hid::SetHidBackend(nullptr);
}
BENCHMARK(BM_UnpackMouseReport);

void BM_CatalogueScanOfOnePath(benchmark::State& state) {
    const std::string path = "/dev/hidraw4#vid_320f&pid_226e&mi_01&col02";
    for (auto _ : state) {
        catalogue::DeviceList list;
        const catalogue::PathNumbers n = catalogue::ReadPathNumbers(path);
        if (list.PreMatch(n)) {
            benchmark::DoNotOptimize(list.FullMatch(n, 0x320F, 0x226E, 0xFF1C, 0x92, path));
        }
    }
}
BENCHMARK(BM_CatalogueScanOfOnePath);

// A fake sysfs tree with `nodes` hidraw nodes, like a desk with a few HID devices.
struct FakeTree {
    explicit FakeTree(int nodes) {
        char tmpl[] = "/tmp/q840-hidbench-XXXXXX";
        root = ::mkdtemp(tmpl);
        for (int n = 0; n < nodes; ++n) {
            const fs::path usb = root / "sys/devices/usb1" / ("1-" + std::to_string(n));
            const fs::path iface = usb / ("1-" + std::to_string(n) + ":1.1");
            const fs::path hidDir = iface / ("0003:320F:226E." + std::to_string(n));
            fs::create_directories(hidDir);
            std::ofstream(iface / "bInterfaceNumber") << "01\n";
            std::ofstream(hidDir / "uevent") << "HID_ID=0003:0000320F:0000226E\n";
            const auto d = hid::test::CommandInterfaceDescriptor();
            std::ofstream(hidDir / "report_descriptor", std::ios::binary)
                .write(reinterpret_cast<const char*>(d.data()), static_cast<long>(d.size()));
            const fs::path cls = root / "sys/class/hidraw" / ("hidraw" + std::to_string(n));
            fs::create_directories(cls);
            fs::create_symlink(hidDir, cls / "device");
        }
        fs::create_directories(root / "dev");
    }
    ~FakeTree() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

void BM_HidrawEnumerate(benchmark::State& state) {
    FakeTree tree(static_cast<int>(state.range(0)));
    hid::CHidrawBackend backend((tree.root / "sys").string(), (tree.root / "dev").string());
    std::vector<std::string> paths;
    for (auto _ : state) {
        benchmark::DoNotOptimize(backend.Enumerate(paths));
    }
    state.counters["paths"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_HidrawEnumerate)->Arg(4)->Arg(16);

// Write one 64-byte report into the node and read it back: the backend's share of a command's
// round trip (poll on two descriptors, read, ID filter, copy).
void BM_HidrawReportRoundTrip(benchmark::State& state) {
    FakeTree tree(1);
    const std::string node = (tree.root / "dev/hidraw0").string();
    ::mkfifo(node.c_str(), 0600);
    hid::CHidrawBackend backend((tree.root / "sys").string(), (tree.root / "dev").string());
    std::string why;
    auto c = backend.Open(node + "#vid_320f&pid_226e&mi_01&col02", true, true, false, &why);
    if (!c) {
        state.SkipWithError(why.c_str());
        return;
    }
    uint8_t out[64] = {4, 0, 0, 1};
    uint8_t in[64];
    size_t n = 0;
    for (auto _ : state) {
        c->Write(out, sizeof out, &n, 100);
        benchmark::DoNotOptimize(c->Read(in, sizeof in, &n, 100));
    }
}
BENCHMARK(BM_HidrawReportRoundTrip);

// How long Close takes to end a read that waits without time-out on a hidraw node (a listener
// thread when its device is released): the cancel signal, the reader's return, the close.
void BM_HidrawCloseEndsABlockedRead(benchmark::State& state) {
    FakeTree tree(1);
    const std::string node = (tree.root / "dev/hidraw0").string();
    ::mkfifo(node.c_str(), 0600);
    hid::SetHidBackend(std::make_shared<hid::CHidrawBackend>((tree.root / "sys").string(),
                                                             (tree.root / "dev").string()));
    const std::string path = node + "#vid_320f&pid_226e&mi_01&col02";
    hid::CHidDevice dev;
    for (auto _ : state) {
        state.PauseTiming();
        if (!dev.Open(path, true, true, true, false)) {
            state.SkipWithError(dev.GetLastOpenError().c_str());
            break;
        }
        std::thread reader([&] {
            uint8_t in[64];
            dev.ReadReport(in, sizeof in, nullptr, hid::kInfinite);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // let it block in poll()
        state.ResumeTiming();
        dev.Close();
        state.PauseTiming();
        reader.join();
        state.ResumeTiming();
    }
    hid::SetHidBackend(nullptr);
}
BENCHMARK(BM_HidrawCloseEndsABlockedRead)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
