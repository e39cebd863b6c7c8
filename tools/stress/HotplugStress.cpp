// The hot-plug campaign: the device session against the simulated mouse through many cycles of
// plug (cable and receiver by turns), open, a settings or key table write cut by an unplug at a
// random point, replug and read back. Each cycle keeps its profile file and pending marks the way
// the mouse page does: the profile is saved first, a write that did not run to its end is marked
// pending and written again when the mouse comes back.
//
// It counts, and fails on:
//   hangs       a call that did not return within the protocol's time-out of its channel
//   cut-done    a write reported done although the mouse was pulled out before its last answer,
//               or reported done while the mouse does not hold it
//   half        a settings block or key table on the mouse, after the replug, that is not the
//               profile's (half old and half new, or still old)
//   disk        a profile file that does not read back as the one saved, or a pending mark left
//   failed      a step that should have worked and did not (opening, reading back, the rewrite)
//   memory      resident memory growing from the middle of the run to its end
//
//   hotplug_stress [--cycles N] [--seed S] [--dir FOLDER] [--verbose]
//
// Exit code 0 when every count is zero.

#include <json/json.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "core/hid/HidBackend.h"
#include "core/profile/JsonFileStore.h"
#include "core/profile/PendingWrites.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/session/DeviceSession.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/SimState.h"
#include "core/sim/VirtualBus.h"

#if defined(__SANITIZE_ADDRESS__)
#define Q840_STRESS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define Q840_STRESS_ASAN 1
#endif
#endif

namespace q840 {
namespace {

using Clock = std::chrono::steady_clock;
using protocol::CDeviceProtocol;
using protocol::SettingsBlock;
using Block = std::array<uint8_t, SettingsBlock::kSize>;
using Table = std::array<uint8_t, protocol::kKeyTableBufferSize>;

constexpr const char* kCableCommand = "sim:vid_320f&pid_226e&mi_01&col02";
constexpr const char* kReceiverCommand = "sim:vid_320f&pid_226f&mi_01&col02";
// The campaign writes profile 0, as the mouse page does.
constexpr int kProfile = 0;

struct NoEvents : session::IDeviceEventSink {
    void OnSettingsChangedEvent() override {}
    void OnKeyPressEvent() override {}
    void OnDeviceEvent(int) override {}
};

struct Counts {
    int hangs = 0;
    int cutDone = 0;
    int half = 0;
    int disk = 0;
    int failed = 0;
    int memory = 0;
    // Not faults: what the cycles did.
    int cuts = 0;
    int completed = 0;
    int settingsWrites = 0;
    int keyWrites = 0;
    int rewrites = 0;
    int leftMixed = 0;  // cuts that left an area half old and half new on the mouse
    long long worstCallMs = 0;

    int Faults() const { return hangs + cutDone + half + disk + failed + memory; }
};

struct Options {
    int cycles = 1000;
    unsigned seed = 1;
    std::string dir;
    bool verbose = false;
};

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string Hex(const uint8_t* bytes, size_t n) {
    return sim::BytesToHex(bytes, n);
}

class Campaign {
public:
    Campaign(const Options& o, const std::filesystem::path& folder)
        : m_options(o), m_rng(o.seed), m_profilePath(folder / "Profile1.Json") {
        sim::DemoOptions none;
        none.cable = none.receiver = none.mousePad = none.headset = false;
        m_bus = sim::MakeDemoBus(none);
        // Every report kept would grow the memory this campaign watches.
        m_bus->GetTranscript()->SetEnabled(false);
        hid::SetHidBackend(m_bus);
        m_mouse = m_bus->Mouse();
        m_cable = m_bus->Find(sim::kCableChannel);
        m_receiver = m_bus->Find(sim::kReceiverChannel);
        m_pending.Load(m_profilePath);
        const auto settings = m_mouse->Settings();
        std::copy_n(settings.begin() + kProfile * 128, m_block.size(), m_block.begin());
        const auto keys = m_mouse->KeyTable();
        std::copy_n(keys.begin(), m_table.size(), m_table.begin());
    }
    ~Campaign() { hid::SetHidBackend(nullptr); }

    int Run() {
        const int n = m_options.cycles;
        long rss[3] = {0, 0, 0};
        for (int c = 0; c < n; ++c) {
            Cycle(c);
            if (c == 0) {
                rss[0] = ResidentKiB();
            }
            if (c == n / 2) {
                rss[1] = ResidentKiB();
            }
        }
        rss[2] = ResidentKiB();
        // Allowed: what the allocator keeps in reserve. A leak of even one block per cycle
        // over the second half of 1000 cycles shows well above it.
        const long allowed = std::max(512L, rss[1] / 50);
#ifdef Q840_STRESS_ASAN
        const bool checkMemory = false;  // AddressSanitizer's quarantine holds freed memory
#else
        const bool checkMemory = true;
#endif
        if (checkMemory && n >= 10 && rss[2] - rss[1] > allowed) {
            ++m_counts.memory;
        }
        std::printf("hot-plug campaign: %d cycles, seed %u\n", n, m_options.seed);
        std::printf(
            "  writes: %d settings, %d key table; cut %d, completed %d, written again "
            "after the replug %d\n",
            m_counts.settingsWrites, m_counts.keyWrites, m_counts.cuts, m_counts.completed,
            m_counts.rewrites);
        std::printf("  cuts that left the mouse half old and half new until the rewrite: %d\n",
                    m_counts.leftMixed);
        std::printf("  longest call: %lld ms (time-outs: %d ms cable, %d ms receiver)\n",
                    m_counts.worstCallMs, m_timing.primaryTimeoutMs, m_timing.receiverTimeoutMs);
        std::printf("  resident memory: %ld KiB at cycle 0, %ld KiB at %d, %ld KiB at %d%s\n",
                    rss[0], rss[1], n / 2, rss[2], n,
                    checkMemory ? "" : " (not judged under AddressSanitizer)");
        std::printf(
            "  hangs %d, cut but done %d, half-written %d, disk %d, failed steps %d, "
            "memory growth %d\n",
            m_counts.hangs, m_counts.cutDone, m_counts.half, m_counts.disk, m_counts.failed,
            m_counts.memory);
        std::printf("%s\n", m_counts.Faults() == 0 ? "PASS" : "FAIL");
        return m_counts.Faults() == 0 ? 0 : 1;
    }

private:
    enum class Area { Settings, KeyTable };

    void Fault(int& counter, int cycle, const char* what) {
        ++counter;
        std::fprintf(stderr, "cycle %d: %s\n", cycle, what);
    }

    // Runs one session call and counts it as a hang when it outlasts the time-out of the channel
    // it ran on: with the mouse answering at once, only a wait for something that never comes
    // takes that long.
    template <typename F>
    auto Timed(int cycle, const char* what, F&& call) {
        const auto start = Clock::now();
        auto result = call();
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        m_counts.worstCallMs = std::max<long long>(m_counts.worstCallMs, ms);
        const int limit = m_onReceiver ? m_timing.receiverTimeoutMs : m_timing.primaryTimeoutMs;
        if (ms >= limit) {
            Fault(m_counts.hangs, cycle, what);
        }
        return result;
    }

    // The main window's part: the command interface opened, the channel chosen, the open flag.
    bool Open(session::DeviceSession& s, int cycle) {
        auto& p = s.CommandProtocol();
        p.SetTiming(m_timing);
        std::lock_guard<std::recursive_mutex> lock(p.IoLock());
        hid::CHidDevice& channel = m_onReceiver ? p.ReceiverChannel() : p.PrimaryChannel();
        if (!channel.Open(m_onReceiver ? kReceiverCommand : kCableCommand, true, true, true,
                          false)) {
            Fault(m_counts.failed, cycle, "the command interface did not open");
            return false;
        }
        p.SetOpen(true);
        p.SetChannel(m_onReceiver ? 2 : 1);
        return true;
    }

    // ... and when the interface leaves: the open flag cleared, both handles closed.
    static void Close(session::DeviceSession& s) {
        auto& p = s.CommandProtocol();
        p.SetOpen(false);
        p.SetMuted(false);
        p.PrimaryChannel().Close();
        p.ReceiverChannel().Close();
    }

    bool ReadInfo(session::DeviceSession& s, int cycle, protocol::InfoRecord& info) {
        const auto result = Timed(cycle, "the information record read hung",
                                  [&] { return s.ReadInfoRecord(info); });
        if (result != session::InfoResult::Valid) {
            Fault(m_counts.failed, cycle, "the information record was not read");
            return false;
        }
        return true;
    }

    // The profile as saved before each write: the settings block and key table it asks of the
    // mouse, and its generation.
    void SaveProfile(int cycle) {
        Json::Value profile(Json::objectValue);
        profile["Generation"] = cycle;
        profile["Settings"] = Hex(m_block.data(), m_block.size());
        profile["KeyTable"] = Hex(m_table.data(), m_tableBytes);
        if (m_store.WriteJsonFile(m_profilePath, profile) != 0) {
            Fault(m_counts.disk, cycle, "the profile was not saved");
        }
    }

    void CheckProfileOnDisk(int cycle) {
        profile::JsonFileStore::ReadStatus status{};
        const Json::Value p = m_store.ReadJsonFile(m_profilePath, &status);
        if (!p.isObject() || p["Generation"].asInt() != cycle ||
            p["Settings"].asString() != Hex(m_block.data(), m_block.size()) ||
            p["KeyTable"].asString() != Hex(m_table.data(), m_tableBytes)) {
            Fault(m_counts.disk, cycle, "the profile file is not the one saved");
        }
        if (std::filesystem::exists(profile::PendingWrites::MarkFileOf(m_profilePath))) {
            Fault(m_counts.disk, cycle, "a pending mark was left after the mouse took the write");
        }
    }

    // Commands a write sends when nothing cuts it; the chunk size follows the channel.
    int CommandsOf(Area area) const {
        const int chunk =
            m_onReceiver ? CDeviceProtocol::kReceiverChunk : CDeviceProtocol::kPrimaryChunk;
        const int bytes = area == Area::Settings ? int(m_block.size()) : int(m_tableBytes);
        const int packets = (bytes + chunk - 1) / chunk;
        // Begin, the packets, End; on the receiver a link check before Begin, before the data
        // and before End.
        return packets + 2 + (m_onReceiver ? 3 : 0);
    }

    int Write(session::DeviceSession& s, Area area) {
        return area == Area::Settings ? s.WriteSettingsBlock(m_block, kProfile)
                                      : s.WriteKeyTable(m_table, m_tableBytes, 0);
    }

    // Whether the mouse's memory holds `bytes` as the area (the block, or the table's bytes).
    bool HoldsOnMouse(Area area, const uint8_t* bytes) const {
        if (area == Area::Settings) {
            const auto settings = m_mouse->Settings();
            return std::equal(bytes, bytes + m_block.size(), settings.begin() + kProfile * 128);
        }
        const auto keys = m_mouse->KeyTable();
        return std::equal(bytes, bytes + m_tableBytes, keys.begin());
    }
    bool MouseHolds(Area area) const {
        return HoldsOnMouse(area, area == Area::Settings ? m_block.data() : m_table.data());
    }

    static profile::PendingArea PendingOf(Area area) {
        return area == Area::Settings ? profile::PendingArea::Settings
                                      : profile::PendingArea::KeyTable;
    }

    void NewContent(Area area) {
        std::uniform_int_distribution<int> byte(0, 255);
        if (area == Area::Settings) {
            m_block[0] = uint8_t(kProfile);  // byte 0: the profile index read back from address 0
            for (size_t i = 1; i < m_block.size(); ++i) {
                m_block[i] = uint8_t(byte(m_rng));
            }
        } else {
            for (size_t i = 0; i < m_tableBytes; ++i) {
                m_table[i] = uint8_t(byte(m_rng));
            }
        }
    }

    // A marked area written from the profile and read back, as the page does on arrival.
    void WritePending(session::DeviceSession& s, int cycle, const protocol::InfoRecord& info) {
        for (Area area : {Area::Settings, Area::KeyTable}) {
            if (!m_pending.Has(PendingOf(area))) {
                continue;
            }
            ++m_counts.rewrites;
            if (Timed(cycle, "the pending write hung", [&] { return Write(s, area); }) != 1) {
                Fault(m_counts.failed, cycle, "the pending write failed");
                continue;
            }
            bool same = false;
            if (area == Area::Settings) {
                Block back{};
                same = Timed(cycle, "the read-back hung",
                             [&] { return s.ReadSettingsBlock(back); }) == 1 &&
                       back == m_block;
            } else {
                Table back{};
                same = Timed(cycle, "the read-back hung",
                             [&] { return s.ReadKeyTable(info, back); }) == 1 &&
                       std::equal(back.begin(), back.begin() + long(m_tableBytes), m_table.begin());
            }
            if (!same) {
                Fault(m_counts.failed, cycle, "the pending write did not read back");
                continue;
            }
            m_pending.Clear(PendingOf(area));
        }
    }

    void Cycle(int cycle) {
        m_onReceiver = cycle % 2 == 1;
        const auto link = m_onReceiver ? m_receiver : m_cable;
        link->ClearFaults();
        m_bus->Plug(link);

        NoEvents sink;
        session::DeviceSession s(sink);
        protocol::InfoRecord info;
        if (!Open(s, cycle) || !ReadInfo(s, cycle, info)) {
            Close(s);
            m_bus->Unplug(link);
            return;
        }
        m_tableBytes = std::min(info.KeyTableBytes(), m_table.size());
        WritePending(s, cycle, info);  // nothing: the last cycle ended with the mouse up to date

        // The write, cut at a random point: after a chosen command (any of them, or none: the
        // count may run past the last one), or by another thread after a random time.
        const Area area = std::bernoulli_distribution(0.5)(m_rng) ? Area::Settings : Area::KeyTable;
        ++(area == Area::Settings ? m_counts.settingsWrites : m_counts.keyWrites);
        const Block oldBlock = m_block;
        const Table oldTable = m_table;
        NewContent(area);
        SaveProfile(cycle);
        const int commands = CommandsOf(area);
        const bool byCommand = std::bernoulli_distribution(0.5)(m_rng);
        const int cutAt = std::uniform_int_distribution<int>(1, commands + 2)(m_rng);
        const int afterUs = std::uniform_int_distribution<int>(0, 400)(m_rng);
        std::thread puller;
        if (byCommand) {
            link->UnplugOnCommand(cutAt);
        } else {
            puller = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::microseconds(afterUs));
                m_bus->Unplug(link);
            });
        }
        const int result = Timed(cycle, "the write hung", [&] { return Write(s, area); });
        if (puller.joinable()) {
            puller.join();
        }
        link->UnplugOnCommand(0);
        const bool cut = byCommand ? cutAt <= commands : !link->IsPlugged();
        if (result == 1) {
            ++m_counts.completed;
            if (byCommand && cut) {
                Fault(m_counts.cutDone, cycle, "a write cut before its last answer was done");
            }
            if (!MouseHolds(area)) {
                Fault(m_counts.cutDone, cycle, "a write reported done is not on the mouse");
            }
        } else {
            ++m_counts.cuts;
            m_pending.Mark(PendingOf(area));
            const bool wasOld = area == Area::Settings ? HoldsOnMouse(area, oldBlock.data())
                                                       : HoldsOnMouse(area, oldTable.data());
            if (!MouseHolds(area) && !wasOld) {
                ++m_counts.leftMixed;
            }
            if (byCommand && !cut) {
                Fault(m_counts.failed, cycle, "a write nothing cut did not succeed");
            }
        }

        // The mouse leaves (if the cut did not take it already) and comes back.
        Close(s);
        m_bus->Unplug(link);
        m_bus->Plug(link);
        if (!Open(s, cycle) || !ReadInfo(s, cycle, info)) {
            Close(s);
            m_bus->Unplug(link);
            return;
        }
        WritePending(s, cycle, info);

        // Read back: the mouse holds the profile's block and table whole, and so does what the
        // session reads; the profile on disk is the one saved.
        for (Area a : {Area::Settings, Area::KeyTable}) {
            if (!MouseHolds(a)) {
                Fault(m_counts.half, cycle,
                      a == Area::Settings ? "the mouse's settings block is not the profile's"
                                          : "the mouse's key table is not the profile's");
            }
        }
        Block block{};
        Table table{};
        if (Timed(cycle, "the read-back hung", [&] { return s.ReadSettingsBlock(block); }) != 1 ||
            block != m_block ||
            Timed(cycle, "the read-back hung", [&] { return s.ReadKeyTable(info, table); }) != 1 ||
            !std::equal(table.begin(), table.begin() + long(m_tableBytes), m_table.begin())) {
            Fault(m_counts.failed, cycle, "the read-back differs from the profile");
        }
        CheckProfileOnDisk(cycle);
        if (m_options.verbose) {
            std::printf("cycle %d: %s %s, %s %s\n", cycle, m_onReceiver ? "receiver" : "cable",
                        area == Area::Settings ? "settings" : "key table",
                        byCommand ? "cut at command" : "pulled after",
                        result == 1 ? "done" : "cut");
        }
        Close(s);
        m_bus->Unplug(link);
    }

    const Options m_options;
    std::mt19937 m_rng;
    const std::filesystem::path m_profilePath;
    profile::JsonFileStore m_store;
    profile::PendingWrites m_pending;
    std::shared_ptr<sim::VirtualBus> m_bus;
    std::shared_ptr<sim::VirtualPeripheral> m_mouse;
    std::shared_ptr<sim::VirtualHidDevice> m_cable;
    std::shared_ptr<sim::VirtualHidDevice> m_receiver;
    // The device's pauses are for real mice; the time-outs stay the protocol's.
    CDeviceProtocol::Timing m_timing = [] {
        CDeviceProtocol::Timing t;
        t.pauseMs = 0;
        return t;
    }();
    bool m_onReceiver = false;
    Block m_block{};
    Table m_table{};
    size_t m_tableBytes = 0;
    Counts m_counts;
};

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--cycles" && hasValue) {
            o.cycles = std::atoi(argv[++i]);
        } else if (a == "--seed" && hasValue) {
            o.seed = unsigned(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--dir" && hasValue) {
            o.dir = argv[++i];
        } else if (a == "--verbose") {
            o.verbose = true;
        } else {
            return false;
        }
    }
    return o.cycles > 0;
}

}  // namespace
}  // namespace q840

int main(int argc, char** argv) {
    q840::Options options;
    if (!q840::ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: hotplug_stress [--cycles N (1000)] [--seed S (1)] [--dir FOLDER] "
                     "[--verbose]\n");
        return 2;
    }
    std::filesystem::path folder = options.dir;
    bool own = false;
    if (folder.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "q840-stress-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("hotplug_stress: mkdtemp");
            return 2;
        }
        folder = pattern;
        own = true;
    }
    int code = 0;
    {
        q840::Campaign campaign(options, folder);
        code = campaign.Run();
    }
    if (own) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return code;
}
