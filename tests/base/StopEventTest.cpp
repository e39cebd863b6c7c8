#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

    StopEvent release;
    WorkerThread stuck;
    stuck.Start([&](const StopEvent&) { release.Wait(-1); });  // ignores its stop event
    EXPECT_FALSE(stuck.Stop(20));
    release.Set();  // let the detached thread finish before `release` goes away
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}
