#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "core/base/StopEvent.h"
#include "core/base/WorkerThread.h"

using namespace q840;

TEST(StopEvent, StaysSetUntilResetAndWakesEveryWaiter) {
    StopEvent ev;
    EXPECT_FALSE(ev.Wait(0));
    std::atomic<int> woken{0};
    std::thread a([&] { woken += ev.Wait(-1); });
    std::thread b([&] { woken += ev.Wait(5000); });
    ev.Set();
    a.join();
    b.join();
    EXPECT_EQ(woken, 2);
    EXPECT_TRUE(ev.Wait(0));  // manual reset: still set
    ev.Reset();
    EXPECT_FALSE(ev.IsSet());
}

TEST(WorkerThread, StopEndsACooperativeThreadAndDetachesAStuckOne) {
    WorkerThread worker;
    std::atomic<bool> ran{false};
    ASSERT_TRUE(worker.Start([&](const StopEvent& stop) {
        ran = true;
        stop.Wait(-1);
    }));
    EXPECT_FALSE(worker.Start([](const StopEvent&) {}));  // already running
    EXPECT_TRUE(worker.Stop(1000));
    EXPECT_TRUE(ran);

    // The detached thread owns a share of what it waits on, so nothing it touches goes away
    // with this test; the test still waits until it has ended.
    auto release = std::make_shared<StopEvent>();
    auto ended = std::make_shared<StopEvent>();
    WorkerThread stuck;
    stuck.Start([release, ended](const StopEvent&) {  // ignores its stop event
        release->Wait(-1);
        ended->Set();
    });
    EXPECT_FALSE(stuck.Stop(20));
    release->Set();
    EXPECT_TRUE(ended->Wait(5000));
}
