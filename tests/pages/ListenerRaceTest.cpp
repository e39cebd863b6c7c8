// A listener restarted while the mouse sends events as fast as it can: the thread that decodes
// the reports must have left its channel before the channel is closed and its capability data
// freed. Under ThreadSanitizer (make test-tsan) or AddressSanitizer a close that comes first
// shows as a race or a use after free; in a plain build the test still checks that every restart
// stops the old thread in time and that events flow afterwards.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/hid/HidBackend.h"
#include "tests/pages/PageTestSupport.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"

namespace q840::pages {
namespace {

using test::CountingPage;
using test::EventRecord;
using test::PumpUntil;

TEST(ListenerRace, RestartsUnderAStreamOfEventsNeverCloseUnderTheReader) {
    sim::DemoOptions both;
    both.cable = true;
    auto bus = sim::MakeDemoBus(both);
    hid::SetHidBackend(bus);
    {
        CountingPage page;
        const auto wired = EventRecord(kWiredMouseType, "sim:vid_320f&pid_226e&mi_00&col03");
        const auto receiver = EventRecord(kReceiverMouseType, "sim:vid_320f&pid_226f&mi_00&col03");
        ASSERT_TRUE(page.OpenListener(wired));
        ASSERT_TRUE(page.OpenListener(receiver));

        std::atomic<bool> done{false};
        std::atomic<long> sent{0};
        // A device event that only reaches the page's hook: no queued calls pile up.
        std::thread mouse([&] {
            while (!done.load()) {
                bus->Mouse()->RaiseEvent(0x1123);
                ++sent;
                std::this_thread::yield();
            }
        });
        constexpr int kRestarts = 2000;
        int reopened = 0;
        for (int i = 0; i < kRestarts; ++i) {
            reopened += page.ReopenListener(i % 2 == 0 ? wired : receiver) ? 1 : 0;
            // Each restart must have ended its predecessor, never left it running beside it.
            ASSERT_TRUE(page.IsListenerRunning(kWiredMouseType));
            ASSERT_TRUE(page.IsListenerRunning(kReceiverMouseType));
        }
        done.store(true);
        mouse.join();
        EXPECT_EQ(kRestarts, reopened);
        EXPECT_GT(sent.load(), 0);

        // Still listening after all that.
        page.lastEvent.store(0);
        bus->Mouse()->RaiseEvent(0x1124);
        EXPECT_TRUE(PumpUntil([&] { return page.lastEvent.load() == 0x1124; }));
        page.StopThreads();
        EXPECT_FALSE(page.IsListenerRunning(kWiredMouseType));
        EXPECT_FALSE(page.IsListenerRunning(kReceiverMouseType));
    }
    hid::SetHidBackend(nullptr);
}

}  // namespace
}  // namespace q840::pages
