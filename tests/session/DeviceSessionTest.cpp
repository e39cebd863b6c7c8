// The device session alone, without a page or Qt, against the simulated mouse: its listeners hand
// each event to the right handler and stop in time, and its exchanges read and write the mouse.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "core/hid/HidBackend.h"
#include "core/session/DeviceSession.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"

namespace q840::session {
namespace {

constexpr const char* kCableCommand = "sim:vid_320f&pid_226e&mi_01&col02";
constexpr const char* kCableEvent = "sim:vid_320f&pid_226e&mi_00&col03";
constexpr const char* kReceiverEvent = "sim:vid_320f&pid_226f&mi_00&col03";

struct Sink : IDeviceEventSink {
    void OnSettingsChangedEvent() override { ++settingsChanged; }
    void OnKeyPressEvent() override { ++keyPresses; }
    void OnDeviceEvent(int code) override {
        lastEvent.store(code);
        std::lock_guard<std::mutex> lock(mutex);
        ++seen[code];
    }
    // How often `code` reached OnDeviceEvent, on both channels together.
    int Seen(int code) const {
        std::lock_guard<std::mutex> lock(mutex);
        const auto it = seen.find(code);
        return it == seen.end() ? 0 : it->second;
    }
    std::atomic<int> settingsChanged{0};
    std::atomic<int> keyPresses{0};
    std::atomic<int> lastEvent{0};
    mutable std::mutex mutex;
    std::map<int, int> seen;
};

catalogue::DeviceListEntry Record(int type, const char* path) {
    catalogue::DeviceListEntry e;
    e.typeCode = uint16_t(type);
    e.path = path;
    return e;
}

template <typename Pred>
bool WaitFor(Pred done, int ms = 2000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        sim::DemoOptions both;
        both.cable = true;
        bus = sim::MakeDemoBus(both);
        hid::SetHidBackend(bus);
    }
    void TearDown() override { hid::SetHidBackend(nullptr); }

    // The command interface over the cable, with short waits.
    void OpenCable(DeviceSession& s) {
        auto& p = s.CommandProtocol();
        protocol::CDeviceProtocol::Timing quick;
        quick.pauseMs = 0;
        quick.primaryTimeoutMs = 500;
        p.SetTiming(quick);
        ASSERT_TRUE(p.PrimaryChannel().Open(kCableCommand, true, true, true, false));
        p.SetChannel(1);
        p.SetOpen(true);
    }

    std::shared_ptr<sim::VirtualBus> bus;
};

TEST_F(Session, ListenersRouteEventsByCodeAndChannelAndStopInTime) {
    Sink sink;
    DeviceSession s(sink);
    EXPECT_FALSE(s.OpenListener(Record(3, kCableEvent))) << "not an event channel type";
    EXPECT_FALSE(s.OpenListener(Record(kWiredMouseType, "sim:no_such_device")));
    EXPECT_FALSE(s.IsListenerRunning(kWiredMouseType))
        << "no thread for a channel that did not open";

    ASSERT_TRUE(s.OpenListener(Record(kWiredMouseType, kCableEvent)));
    ASSERT_TRUE(s.OpenListener(Record(kReceiverMouseType, kReceiverEvent)));
    EXPECT_TRUE(s.IsListenerOpen(kWiredMouseType));
    EXPECT_TRUE(s.IsListenerRunning(kReceiverMouseType));

    // The mouse raises every event on both links.
    bus->Mouse()->RaiseEvent(0x0401);
    ASSERT_TRUE(WaitFor([&] { return sink.settingsChanged.load() == 2; }));
    bus->Mouse()->RaiseEvent(0x0403);
    bus->Mouse()->RaiseEvent(0x1123);
    ASSERT_TRUE(WaitFor([&] { return sink.lastEvent.load() == 0x1123; }));
    // Each channel handles its events in order: once both have handled 0x1123, both are done
    // with the key press.
    ASSERT_TRUE(WaitFor([&] { return sink.Seen(0x1123) == 2; }));
    EXPECT_EQ(1, sink.keyPresses.load()) << "a key press counts from the wired channel only";

    // A restart replaces the thread; the new one still listens.
    ASSERT_TRUE(s.ReopenListener(Record(kWiredMouseType, kCableEvent)));
    EXPECT_TRUE(s.IsListenerRunning(kWiredMouseType));
    bus->Mouse()->RaiseEvent(0x1124);
    ASSERT_TRUE(WaitFor([&] { return sink.lastEvent.load() == 0x1124; }));
    ASSERT_TRUE(WaitFor([&] { return sink.Seen(0x1124) == 2; })) << "on both channels";

    // A listener blocked in its read without a time-out is woken and gone well within its wait,
    // and its channel is closed after it. Each waits in the read it began after its last event:
    // the new wired thread's second (0x1124 came first), the receiver's fifth (0x0401, 0x0403,
    // 0x1123 and 0x1124 before it).
    ASSERT_TRUE(WaitFor([&] {
        return s.ListenerReads(kWiredMouseType) >= 2 && s.ListenerReads(kReceiverMouseType) >= 5;
    }));
    const auto start = std::chrono::steady_clock::now();
    s.CloseListeners();
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(2 * DeviceSession::kListenerStopWaitMs));
    for (int type : {kWiredMouseType, kReceiverMouseType}) {
        EXPECT_FALSE(s.IsListenerRunning(type));
        EXPECT_FALSE(s.IsListenerOpen(type));
    }
    EXPECT_FALSE(s.EventProtocol().PrimaryChannel().IsOpen());
    EXPECT_FALSE(s.EventProtocol().ReceiverChannel().IsOpen());
}

TEST_F(Session, ReadsAndWritesTheMouseAndMutesForARecordItDoesNotKnow) {
    Sink sink;
    DeviceSession s(sink);
    protocol::InfoRecord info;
    EXPECT_EQ(InfoResult::NoAnswer, s.ReadInfoRecord(info)) << "nothing attached";
    OpenCable(s);

    ASSERT_EQ(InfoResult::Valid, s.ReadInfoRecord(info));
    EXPECT_EQ(protocol::InfoRecord::kStateInitialised, info.state);
    EXPECT_EQ(info.raw, s.InfoRecord());
    std::array<uint8_t, protocol::kKeyTableBufferSize> table{};
    ASSERT_EQ(1, s.ReadKeyTable(info, table));
    const auto onMouse = bus->Mouse()->KeyTable();
    ASSERT_GE(onMouse.size(), info.KeyTableBytes());
    EXPECT_TRUE(
        std::equal(onMouse.begin(), onMouse.begin() + long(info.KeyTableBytes()), table.begin()));

    // The settings block of the current profile, written back changed and read again.
    std::array<uint8_t, protocol::SettingsBlock::kSize> block{};
    ASSERT_EQ(1, s.ReadSettingsBlock(block));
    const int profile = block[protocol::SettingsBlock::kOffProfileIndex];
    EXPECT_LT(profile, 4);
    block[2] = uint8_t(block[2] == 1 ? 2 : 1);
    ASSERT_EQ(1, s.WriteSettingsBlock(block, profile));
    std::array<uint8_t, protocol::SettingsBlock::kSize> again{};
    ASSERT_EQ(1, s.ReadSettingsBlock(again));
    EXPECT_EQ(block[2], again[2]);

    table[0] ^= 1;
    ASSERT_EQ(1, s.WriteKeyTable(table, info.KeyTableBytes(), 0));
    EXPECT_EQ(table[0], bus->Mouse()->KeyTable()[0]);

    // A new mouse is marked initialised once.
    auto raw = bus->Mouse()->Info();
    raw[protocol::InfoRecord::kOffState] = 0;
    bus->Mouse()->SetInfo(raw);
    ASSERT_EQ(InfoResult::Valid, s.ReadInfoRecord(info));
    EXPECT_EQ(protocol::InfoRecord::kStateInitialised,
              bus->Mouse()->Info()[protocol::InfoRecord::kOffState]);

    // A record it does not know: the protocol goes quiet and no settings are taken from it.
    raw[protocol::InfoRecord::kOffState] = 9;
    bus->Mouse()->SetInfo(raw);
    EXPECT_EQ(InfoResult::Unknown, s.ReadInfoRecord(info));
    EXPECT_EQ(9, info.state);
    EXPECT_TRUE(s.CommandProtocol().IsMuted());
    EXPECT_EQ(0, s.ReadSettingsBlock(again));

    s.CommandProtocol().SetOpen(false);
    s.CommandProtocol().PrimaryChannel().Close();
}

}  // namespace
}  // namespace q840::session
