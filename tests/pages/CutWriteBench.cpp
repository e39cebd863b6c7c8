// Cut writes, counted: each cycle changes two values of the profile, pulls the mouse (or its
// receiver) out at a random command of the settings write or the key table write, plugs it back
// and lets the page read the mouse the way an arrival does. The counters say how often a cut write
// still reported success with the change not on the mouse, how often the mouse was left with a
// half-written area, how often the profile took such a half-written block in, and how often the
// mouse and the profile disagreed after the arrival. A measurement run by hand, not a test:
//
//     build/bench/bench_cut_writes --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <random>

#include "core/hid/HidBackend.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/JsonFileStore.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"
#include "pages/COrvenixMouseDevice.h"
#include "platform/Paths.h"

namespace {

using q840::pages::COrvenixMouseDevice;

constexpr int kCyclesPerCase = 250;  // cable and receiver, settings and keys: 1000 in all
constexpr const char* kCableCommand = "sim:vid_320f&pid_226e&mi_01&col02";
constexpr const char* kReceiverCommand = "sim:vid_320f&pid_226f&mi_01&col02";
// Settings block bytes the cycle changes: red (first packet) and the key debounce time (last).
constexpr size_t kRedByte = 6;
constexpr size_t kDebounceByte = 81;
// Keys the cycle changes: 0 and 4, whose slots (2 and 9) lie in different receiver packets.
constexpr int kKeyA = 0;
constexpr int kKeyB = 4;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_cut_writes";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

struct Rig {
    QTemporaryDir dir;
    std::shared_ptr<q840::sim::VirtualBus> bus;
    std::shared_ptr<q840::sim::VirtualHidDevice> device;
    std::shared_ptr<q840::sim::VirtualPeripheral> mouse;
    std::unique_ptr<COrvenixMouseDevice> page;
    bool receiver = false;

    explicit Rig(bool onReceiver) : receiver(onReceiver) {
        q840::SetUserDataFolder(dir.filePath("user") + "/");
        q840::SetProgramFolder(dir.filePath("prog") + "/");
        QDir().mkpath(dir.filePath("prog/DefaultData"));
        const QString source = qEnvironmentVariable("Q840_SOURCE_DIR", Q840_BENCH_SOURCE_DIR);
        for (const char* file : {"mouse.Json", "default_light.json"}) {
            QFile::copy(source + "/DefaultData/" + file, dir.filePath("prog/DefaultData/") + file);
        }
        q840::sim::DemoOptions options;
        options.cable = !receiver;
        options.receiver = receiver;
        options.mousePad = options.headset = false;
        bus = q840::sim::MakeDemoBus(options);
        bus->GetTranscript()->SetEnabled(false);
        q840::hid::SetHidBackend(bus);
        device = bus->Find(receiver ? q840::sim::kReceiverChannel : q840::sim::kCableChannel);
        mouse = bus->Mouse();
        page = std::make_unique<COrvenixMouseDevice>();
        {
            auto setup = page->GetSetup();
            setup.keyButtonCount = 11;
            setup.ledCount = 15;
            setup.profileName = "bench";
            setup.deviceKindName = "mouse";
            setup.lightListIndex = 1;
            page->Setup(setup);
        }
        Open();
    }
    ~Rig() {
        page->StopThreads();
        page.reset();
        q840::hid::SetHidBackend(nullptr);
        q840::SetUserDataFolder(QString());
        q840::SetProgramFolder(QString());
    }

    // The main window's part of an arrival: the channel opened anew.
    void Open() {
        auto& p = page->CommandProtocol();
        p.SetOpen(false);
        p.PrimaryChannel().Close();
        p.ReceiverChannel().Close();
        q840::protocol::CDeviceProtocol::Timing t;
        t.pauseMs = 1;
        t.primaryTimeoutMs = 300;
        t.receiverTimeoutMs = 300;
        p.SetTiming(t);
        if (receiver) {
            p.ReceiverChannel().Open(kReceiverCommand, true, true, true, false);
        } else {
            p.PrimaryChannel().Open(kCableCommand, true, true, true, false);
        }
        p.SetChannel(receiver ? 2 : 1);
        p.SetOpen(true);
    }

    Json::Value StoredNode() const {
        return q840::profile::JsonFileStore().ReadJsonFile(
            page->ProfilePath().toStdString())["Device"][0];
    }
    // Commands the write sends when nothing cuts it.
    int CommandsOf(const std::function<void()>& write) {
        const auto before = mouse->GetStats().commands;
        write();
        return int(mouse->GetStats().commands - before);
    }
};

// The two changed values as the mouse holds them (settings) or the key slots (keys).
struct Pair {
    uint32_t a = 0;
    uint32_t b = 0;
    bool operator==(const Pair&) const = default;
};

void Count(benchmark::State& state, const char* name, int value) {
    state.counters[name] = benchmark::Counter(value);
}

void BM_CutWrites(benchmark::State& state) {
    App();
    const bool receiver = state.range(0) != 0;
    const bool keys = state.range(1) != 0;
    Rig rig(receiver);
    std::mt19937 random(receiver * 2 + keys + 840);
    auto* data = rig.page->MouseProfile();
    const auto factoryKeys = rig.mouse->KeyTable();
    rig.page->ReadDevice();
    // The slots of the factory table: a key written with a new assignment is not found by its
    // identification on the next read, so the page's own map would lose it.
    const auto factorySlots = rig.page->GetKeySlotMap();

    auto onMouse = [&]() -> Pair {
        if (keys) {
            const auto table = rig.mouse->KeyTable();
            auto at = [&](int key) {
                const size_t s = size_t(factorySlots[size_t(key)]) * 3;
                return uint32_t(table[s] << 16 | table[s + 1] << 8 | table[s + 2]);
            };
            return {at(kKeyA), at(kKeyB)};
        }
        const auto block = rig.mouse->Settings();
        return {block[kRedByte], block[kDebounceByte]};
    };
    auto inProfile = [&]() -> Pair {
        if (keys) {
            const Json::Value list = rig.StoredNode()["KeyList"];
            return {uint32_t(list[kKeyA]["Assignment"].asInt()),
                    uint32_t(list[kKeyB]["Assignment"].asInt())};
        }
        const Json::Value node = rig.StoredNode();
        return {uint32_t(node["LightInfo"]["Red"].asInt()),
                uint32_t(node["ReportStages"]["key_debounce_time"].asInt())};
    };
    auto change = [&](Pair now) -> Pair {
        Pair next;
        if (keys) {
            // Keyboard keys (type 0x20) with a random code: never a macro, never the old one.
            do {
                next = {0x200000u | uint32_t(random() % 200 + 4) << 8,
                        0x200000u | uint32_t(random() % 200 + 4) << 8};
            } while (next.a == now.a || next.b == now.b);
            auto pairs = data->GetKeyAssignments();
            pairs[kKeyA].current.SetCode(next.a);
            pairs[kKeyB].current.SetCode(next.b);
            data->WriteKeyAssignments(pairs);
        } else {
            do {
                next = {uint32_t(random() % 256), uint32_t(random() % 8)};
            } while (next.a == now.a || next.b == now.b);
            auto light = data->GetLightSetting();
            light.red = uint8_t(next.a);
            data->WriteLightSetting(light);
            auto sys = data->GetSystemSettings();
            sys.keyDebounceTime = uint16_t(next.b);
            data->WriteSystemSettings(sys);
        }
        rig.page->SaveProfile();
        return next;
    };
    auto write = [&] { return keys ? rig.page->ApplyKeys(0) : rig.page->WriteSettingsBlock(0, 0); };

    const int commands = rig.CommandsOf([&] { write(); });
    int reportedOk = 0, okNotOnMouse = 0, halfWritten = 0, halfAdopted = 0, changeLost = 0,
        disagree = 0;
    for (auto _ : state) {
        if (keys) {
            // Every cycle starts from a mouse whose keys can all be found again.
            rig.mouse->SetKeyTable(factoryKeys);
            rig.page->ReadDevice();
        }
        const Pair before = onMouse();
        const Pair wanted = change(before);
        rig.device->UnplugOnCommand(int(random() % unsigned(commands)) + 1);
        const int result = write();
        rig.device->ClearFaults();
        const Pair left = onMouse();
        const bool half = left != wanted && left != before;
        reportedOk += result == 1;
        okNotOnMouse += result == 1 && left != wanted;
        halfWritten += half;

        rig.bus->Plug(rig.device);
        rig.Open();
        rig.page->ReadDevice();
        const Pair profile = inProfile();
        halfAdopted += half && profile == left;
        changeLost += profile != wanted;
        disagree += onMouse() != profile;
    }
    state.SetLabel(std::string(receiver ? "receiver " : "cable ") + (keys ? "keys" : "settings") +
                   ", commands " + std::to_string(commands));
    Count(state, "reported_ok", reportedOk);
    Count(state, "ok_not_on_mouse", okNotOnMouse);
    Count(state, "half_written", halfWritten);
    Count(state, "half_adopted", halfAdopted);
    Count(state, "change_lost", changeLost);
    Count(state, "disagree_after", disagree);
}
BENCHMARK(BM_CutWrites)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"receiver", "keys"})
    ->Iterations(kCyclesPerCase)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
