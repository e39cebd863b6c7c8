// The page's threads against the simulated mouse: event listeners on the wired and receiver event
// interfaces, closing a listener blocked in a read, hot-unplug, the preview thread, the light
// control hook and destruction with threads running.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>

#include "core/base/DebugLine.h"
#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"
#include "tests/pages/PageTestSupport.h"

namespace q840::pages {
namespace {

using q840::test::WaitWithoutEvents;
using test::CountingPage;
using test::EventRecord;
using test::FakeEntry;
using test::PumpUntil;

constexpr const char* kCableCommand = "sim:vid_320f&pid_226e&mi_01&col02";
constexpr const char* kCableEvent = "sim:vid_320f&pid_226e&mi_00&col03";
constexpr const char* kReceiverEvent = "sim:vid_320f&pid_226f&mi_00&col03";

// Collects the debug lines the page writes (the stop results of its threads).
std::mutex g_linesMutex;
std::vector<std::string> g_lines;
void CollectLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_linesMutex);
    g_lines.push_back(line);
}
int CountLines(const std::string& needle) {
    std::lock_guard<std::mutex> lock(g_linesMutex);
    int n = 0;
    for (const auto& l : g_lines) {
        n += l.find(needle) != std::string::npos ? 1 : 0;
    }
    return n;
}

const std::string kStoppedInTime = "线程退出：：对象处于激发状态";
const std::string kStopTimedOut = "超时";

class PageThreads : public ::testing::Test {
protected:
    void SetUp() override {
        sim::DemoOptions both;
        both.cable = true;
        bus = sim::MakeDemoBus(both);
        hid::SetHidBackend(bus);
        SetDebugSink(&CollectLine);
        std::lock_guard<std::mutex> lock(g_linesMutex);
        g_lines.clear();
    }
    void TearDown() override {
        SetDebugSink(nullptr);
        hid::SetHidBackend(nullptr);
    }

    std::shared_ptr<sim::VirtualBus> bus;
};

TEST_F(PageThreads, SettingsEventArmsTheRereadOnBothChannels) {
    CountingPage page;
    FakeEntry entry;
    page.SetEntryHost(&entry);
    ASSERT_TRUE(page.OpenListener(EventRecord(kWiredMouseType, kCableEvent)));
    ASSERT_TRUE(page.OpenListener(EventRecord(kReceiverMouseType, kReceiverEvent)));
    EXPECT_TRUE(page.IsListenerOpen(kWiredMouseType));
    EXPECT_TRUE(page.IsListenerRunning(kReceiverMouseType));

    // The mouse raises it on every link: cable and receiver.
    bus->Mouse()->RaiseEvent(0x0401);
    ASSERT_TRUE(PumpUntil([&] { return entry.armed.size() >= 2; }));
    for (const auto& a : entry.armed) {
        EXPECT_EQ(kTimerSettingsReread, a.first);
        EXPECT_EQ(50, a.second);
    }
    page.OnEntryTimer(kTimerSettingsReread);
    EXPECT_EQ(1, page.refreshes);

    // A key press reaches the reactive hook from the wired listener only; other codes go to the
    // event handler.
    bus->Mouse()->RaiseEvent(0x0403);
    ASSERT_TRUE(PumpUntil([&] { return page.keyPresses.load() >= 1; }));
    bus->Mouse()->RaiseEvent(0x1123);
    ASSERT_TRUE(PumpUntil([&] { return page.lastEvent.load() == 0x1123; }));
    // Events are handled in order: once a later one has arrived, 0x1123 is wholly handled.
    bus->Mouse()->RaiseEvent(0x1124);
    ASSERT_TRUE(PumpUntil([&] { return page.lastEvent.load() == 0x1124; }));
    // On both channels: each has begun the read after its fourth event (0x0401, 0x0403, 0x1123,
    // 0x1124), so the receiver is done with the key press too.
    ASSERT_TRUE(PumpUntil([&] {
        return page.Session().ListenerReads(kWiredMouseType) >= 5 &&
               page.Session().ListenerReads(kReceiverMouseType) >= 5;
    }));
    EXPECT_EQ(1, page.keyPresses.load());

    page.CloseListener(kWiredMouseType);
    page.CloseListener(kReceiverMouseType);
    EXPECT_FALSE(page.IsListenerOpen(kWiredMouseType));
    EXPECT_FALSE(page.IsListenerRunning(kWiredMouseType));
    EXPECT_FALSE(page.IsListenerRunning(kReceiverMouseType));
    EXPECT_EQ(2, CountLines(kStoppedInTime));
    EXPECT_EQ(0, CountLines(kStopTimedOut));
}

TEST_F(PageThreads, ClosingAListenerBlockedInAReadEndsWithinItsWait) {
    CountingPage page;
    ASSERT_TRUE(page.OpenListener(EventRecord(kWiredMouseType, kCableEvent)));
    // The thread has begun its read, which waits without a time-out: nothing is queued.
    ASSERT_TRUE(PumpUntil([&] { return page.Session().ListenerReads(kWiredMouseType) >= 1; }));
    page.CloseListener(kWiredMouseType);
    EXPECT_FALSE(page.IsListenerRunning(kWiredMouseType));
    EXPECT_EQ(1, CountLines(kStoppedInTime));
    EXPECT_EQ(0, CountLines(kStopTimedOut)) << "the thread was not left behind";
}

TEST_F(PageThreads, UnpluggedDeviceEndsTheReadAndReopenWorksAfterReplug) {
    CountingPage page;
    FakeEntry entry;
    page.SetEntryHost(&entry);
    ASSERT_TRUE(page.OpenListener(EventRecord(kWiredMouseType, kCableEvent)));
    const auto reads = [&] { return page.Session().ListenerReads(kWiredMouseType); };
    ASSERT_TRUE(PumpUntil([&] { return reads() >= 1; })) << "the thread waits in its read";
    auto cable = bus->Find(sim::kCableChannel);
    ASSERT_TRUE(cable);
    bus->Unplug(cable);
    // The waiting read fails; a new read begun after it shows the thread went on instead of
    // ending by itself.
    const uint64_t readsAtUnplug = reads();
    ASSERT_TRUE(PumpUntil(
        [&] { return reads() > readsAtUnplug || !page.IsListenerRunning(kWiredMouseType); }));
    EXPECT_TRUE(page.IsListenerRunning(kWiredMouseType)) << "waits for the main window's close";
    // The main window reopens the interface when it comes back.
    bus->Plug(cable);
    ASSERT_TRUE(page.ReopenListener(EventRecord(kWiredMouseType, kCableEvent)));
    ASSERT_TRUE(PumpUntil([&] { return reads() >= 1; })) << "the new thread reads";
    bus->Mouse()->RaiseEvent(0x0401);
    ASSERT_TRUE(PumpUntil([&] { return !entry.armed.empty(); }));
    // Opening a path that is gone fails and leaves the channel unmarked.
    bus->Unplug(cable);
    EXPECT_FALSE(page.ReopenListener(EventRecord(kWiredMouseType, kCableEvent)));
    EXPECT_FALSE(page.IsListenerOpen(kWiredMouseType));
    EXPECT_EQ(0, CountLines(kStopTimedOut));
}

TEST_F(PageThreads, OpeningAnOpenListenerAgainRestartsIt) {
    CountingPage page;
    FakeEntry entry;
    page.SetEntryHost(&entry);
    ASSERT_TRUE(page.OpenListener(EventRecord(kWiredMouseType, kCableEvent)));
    const auto reads = [&] { return page.Session().ListenerReads(kWiredMouseType); };
    // The first thread is stopped while it waits in its read.
    ASSERT_TRUE(PumpUntil([&] { return reads() >= 1; }));
    ASSERT_TRUE(page.OpenListener(EventRecord(kWiredMouseType, kCableEvent)));
    EXPECT_EQ(1, CountLines(kStoppedInTime)) << "the first thread was stopped, not abandoned";
    ASSERT_TRUE(PumpUntil([&] { return reads() >= 1; })) << "the new thread reads";
    bus->Mouse()->RaiseEvent(0x0401);
    ASSERT_TRUE(PumpUntil([&] { return !entry.armed.empty(); }));
    // Events are handled in order: once a later one has arrived, every request for 0x0401 has
    // been queued, and the pass of the event loop below delivers it.
    bus->Mouse()->RaiseEvent(0x1124);
    ASSERT_TRUE(PumpUntil([&] { return page.lastEvent.load() == 0x1124; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(1u, entry.armed.size()) << "one listener, one request";
}

TEST_F(PageThreads, OpenListenerRefusesOtherTypes) {
    CountingPage page;
    EXPECT_FALSE(page.OpenListener(EventRecord(3, kCableEvent)));
    EXPECT_FALSE(page.IsListenerRunning(kWiredMouseType));
    page.CloseListener(3);  // nothing to do, nothing breaks
}

TEST_F(PageThreads, PreviewThreadRendersOnlyWhileTheProtocolIsOpenAndNotSynchronised) {
    CountingPage page;
    {
        auto setup = page.GetSetup();
        setup.ledCount = 15;
        page.Setup(setup);
    }
    profile::LightSetting s;
    s.effect = 0;
    s.brightness = 4;
    s.speed = 4;
    s.red = 1;
    s.green = 2;
    s.blue = 3;
    page.SetLightSettingsRecord(s);
    page.StartPreview();
    const auto passes = [&] { return page.Preview().Passes(); };
    // The thread's first pass has looked and found the protocol closed.
    ASSERT_TRUE(PumpUntil([&] { return passes() >= 1; }));
    EXPECT_EQ(0u, page.GetLedColour(0)) << "protocol closed: idle";
    page.CommandProtocol().SetOpen(true);
    ASSERT_TRUE(PumpUntil([&] { return page.GetLedColour(14) == PackLed(1, 2, 3, 255); }, 2000));
    // Synchronised lighting owns the colours: the thread leaves them alone.
    page.SetLightSyncFlag(true);
    // A frame begun before the flag is finished once the next pass is counted.
    const uint64_t passesAtSync = passes();
    ASSERT_TRUE(PumpUntil([&] { return passes() > passesAtSync; }));
    page.SetLedColour(0, 0xFF00FF00u);
    // Two more passes: the second one at least looked after the colour was set.
    const uint64_t passesAtSet = passes();
    ASSERT_TRUE(PumpUntil([&] { return passes() >= passesAtSet + 2; }));
    EXPECT_EQ(0xFF00FF00u, page.GetLedColour(0));
    page.SetLightSyncFlag(false);
    ASSERT_TRUE(PumpUntil([&] { return page.GetLedColour(0) == PackLed(1, 2, 3, 255); }, 2000));
    // Settings changes reach the running thread.
    s.effect = 10;
    page.SetLightSettingsRecord(s);
    ASSERT_TRUE(PumpUntil([&] { return page.GetLedColour(0) == 0; }, 2000));
    page.StopPreview();
    EXPECT_FALSE(page.IsPreviewRunning());
    EXPECT_EQ(1, CountLines("MS灯光线程设定退出"));
    EXPECT_EQ(0, CountLines(kStopTimedOut));
    page.CommandProtocol().SetOpen(false);
}

TEST_F(PageThreads, PageDestroyedWithItsThreadsRunningLeavesNothingBehind) {
    for (int round = 0; round < 3; ++round) {
        auto page = std::make_unique<CountingPage>();
        FakeEntry entry;
        page->SetEntryHost(&entry);
        {
            auto setup = page->GetSetup();
            setup.ledCount = 15;
            page->Setup(setup);
        }
        page->CommandProtocol().SetOpen(true);
        ASSERT_TRUE(page->OpenListener(EventRecord(kWiredMouseType, kCableEvent)));
        ASSERT_TRUE(page->OpenListener(EventRecord(kReceiverMouseType, kReceiverEvent)));
        page->StartPreview();
        // An event in flight: its queued work must not reach the destroyed page. Both listeners
        // have handled it once each has begun its next read; the event loop does not run, so
        // their queued calls are still waiting when the page goes.
        bus->Mouse()->RaiseEvent(0x0401);
        ASSERT_TRUE(WaitWithoutEvents([&] {
            return page->Session().ListenerReads(kWiredMouseType) >= 2 &&
                   page->Session().ListenerReads(kReceiverMouseType) >= 2;
        }));
        EXPECT_TRUE(entry.armed.empty()) << "still in flight";
        page->CommandProtocol().SetOpen(false);
        page.reset();
        QCoreApplication::processEvents();
        EXPECT_TRUE(entry.armed.empty()) << "the queued call was dropped with the page";
    }
    EXPECT_EQ(0, CountLines(kStopTimedOut));
    EXPECT_EQ(9, CountLines(kStoppedInTime));
}

TEST_F(PageThreads, SoftwareLightControlIsSentOnlyByTheWiredKeyboardPage) {
    // The mouse answers on its command interface; the page acts as a wired keyboard by its record.
    for (int type : {2, 1}) {
        CountingPage page;
        catalogue::DeviceListEntry record;
        record.typeCode = uint16_t(type);
        record.path = kCableCommand;
        {
            auto setup = page.GetSetup();
            setup.interfaceRecord = record;
            page.Setup(setup);
        }
        auto& protocol = page.CommandProtocol();
        protocol::CDeviceProtocol::Timing quick;
        quick.pauseMs = 0;
        quick.primaryTimeoutMs = 500;
        protocol.SetTiming(quick);
        ASSERT_TRUE(protocol.PrimaryChannel().Open(kCableCommand, true, true, true, false));
        protocol.SetChannel(1);
        protocol.SetOpen(true);
        page.SetSoftwareLightControl(false);
        EXPECT_FALSE(bus->Mouse()->LightControlOn());
        page.SetSoftwareLightControl(true);
        EXPECT_EQ(type == 1, bus->Mouse()->LightControlOn()) << "type " << type;
        EXPECT_TRUE(page.GetSoftwareLightControl());
        protocol.SetOpen(false);
        protocol.PrimaryChannel().Close();
    }
}

}  // namespace
}  // namespace q840::pages
