#include <QTest>
#include <memory>
#include <thread>

#include "tests/entry/EntryTestSupport.h"
#include "tests/pages/PageTestSupport.h"

using namespace q840::entry;
using namespace q840::entry::test;
using q840::kMsgEntryReachable;
using q840::LPARAM;
using q840::UINT;
using q840::WPARAM;
using q840::pages::kTimerBattery;
using q840::pages::kTimerLinkCheck;
using q840::pages::kTimerPreview;
using q840::pages::kTimerReachability;
using q840::pages::kTimerSettingsReread;
using q840::pages::test::CountingPage;
using q840::pages::test::RecordingWindow;

namespace {

class DeviceOptionTimers : public EntryFixture {
protected:
    void SetUp() override {
        EntryFixture::SetUp();
        entry = AddEntry();
        ASSERT_NE(entry, nullptr);
        page = std::make_unique<CountingPage>();
        {
            auto setup = page->GetSetup();
            setup.mainWindow = &window;
            page->Setup(setup);
        }
        entry->SetPage(page.get());
        ShowRoot();
    }
    void TearDown() override {
        page.reset();
        EntryFixture::TearDown();
    }
    bool Sent(UINT msg, WPARAM w, LPARAM l) const {
        for (const auto& m : window.messages) {
            if (m.msg == msg && m.w == w && m.l == l) {
                return true;
            }
        }
        return false;
    }

    CDeviceOptionUI* entry = nullptr;
    std::unique_ptr<CountingPage> page;
    RecordingWindow window;
};

TEST_F(DeviceOptionTimers, ArmingOperationsUseTheirPeriodsAndConditions) {
    entry->ArmLinkCheck();
    EXPECT_EQ(entry->GetTimerPeriod(kTimerLinkCheck), 500);

    // Reachability and battery only while the command protocol is open.
    EXPECT_FALSE(entry->ArmReachability(2000));
    EXPECT_FALSE(entry->IsTimerArmed(kTimerReachability));
    {
        auto setup = page->GetSetup();
        setup.powerDisplayMode = 1;
        page->Setup(setup);
    }
    EXPECT_FALSE(entry->ArmBattery());
    page->CommandProtocol().SetOpen(true);
    EXPECT_TRUE(entry->ArmReachability(2000));
    EXPECT_EQ(entry->GetTimerPeriod(kTimerReachability), 2000);
    EXPECT_TRUE(entry->ArmBattery());
    EXPECT_EQ(entry->GetTimerPeriod(kTimerBattery), 50);

    // A page without a battery display gets no battery timer.
    entry->KillTimer(kTimerBattery);
    EXPECT_EQ(entry->GetTimerPeriod(kTimerBattery), -1);
    {
        auto setup = page->GetSetup();
        setup.powerDisplayMode = 0;
        page->Setup(setup);
    }
    EXPECT_FALSE(entry->ArmBattery());
    page->CommandProtocol().SetOpen(false);

    // What the page arms from its own work lands on the entry's timers: the cable's first read
    // starts the preview at 5 ms.
    entry->KillTimer(kTimerLinkCheck);
    page->OnEntryTimer(kTimerLinkCheck);
    EXPECT_EQ(page->reads, 1);
    EXPECT_EQ(entry->GetTimerPeriod(kTimerPreview), 5);
    entry->KillTimer(kTimerPreview);
}

TEST_F(DeviceOptionTimers, AFiredTimerRunsThePageOnceUntilArmedAgain) {
    entry->ArmTimer(kTimerSettingsReread, 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->refreshes > 0; }, 2000));
    // Disarmed by its tick: no second one can come.
    EXPECT_FALSE(entry->IsTimerArmed(kTimerSettingsReread));
    EXPECT_EQ(page->refreshes, 1) << "one tick per arming";

    // A request from another thread is carried out on the controls' thread.
    std::thread([this] { entry->ArmTimer(kTimerSettingsReread, 1); }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->refreshes > 1; }, 2000));

    // The battery timer re-arms itself at 10 s while the page shows a battery.
    {
        auto setup = page->GetSetup();
        setup.powerDisplayMode = 1;
        page->Setup(setup);
    }
    page->CommandProtocol().SetOpen(true);
    ASSERT_TRUE(entry->ArmBattery());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->batteryReads > 0; }, 2000));
    EXPECT_EQ(entry->GetTimerPeriod(kTimerBattery), 10000);
    // Re-arming replaces the pending tick rather than adding one.
    entry->ArmTimer(kTimerBattery, 20);
    entry->ArmTimer(kTimerBattery, 20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->batteryReads > 1; }, 2000));
    // The tick re-armed the battery timer at its period: the second arming added no tick.
    EXPECT_EQ(entry->GetTimerPeriod(kTimerBattery), 10000);
    EXPECT_EQ(page->batteryReads, 2);
    entry->KillTimer(kTimerBattery);
}

TEST_F(DeviceOptionTimers, SleepingReceiverHidesTheEntryAndKeepsCheckingSlowly) {
    page->CommandProtocol().SetChannel(2);
    page->linkUp = false;
    entry->ArmLinkCheck();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !entry->IsEntryVisible(); }, 3000));
    EXPECT_FALSE(entry->isVisible());
    EXPECT_TRUE(Sent(kMsgEntryReachable, 0, 0));
    EXPECT_EQ(entry->GetTimerPeriod(kTimerLinkCheck), 5000) << "retries while hidden";
    EXPECT_EQ(page->reads, 0);

    // The mouse wakes: the next check reads it and hands over to the reachability timer.
    page->linkUp = true;
    entry->ArmTimer(kTimerLinkCheck, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->reads > 0; }, 2000));
    EXPECT_TRUE(Sent(kMsgEntryReachable, 0, 1));
    EXPECT_EQ(entry->GetTimerPeriod(kTimerReachability), 2000);
    EXPECT_FALSE(entry->IsTimerArmed(kTimerLinkCheck));
    entry->KillTimer(kTimerReachability);
    entry->KillTimer(kTimerPreview);
}

TEST_F(DeviceOptionTimers, TimersOutliveNeitherThePageNorTheEntry) {
    // A tick that comes after the page went away does nothing.
    entry->ArmTimer(kTimerSettingsReread, 5);
    page.reset();
    EXPECT_EQ(entry->GetPage(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !entry->IsTimerArmed(kTimerSettingsReread); }, 2000));

    // A second page takes the entry over; the first no longer reaches it. An entry that goes
    // first unhooks itself from its page.
    CountingPage other;
    entry->SetPage(&other);
    EXPECT_EQ(other.GetEntryHost(), entry);
    CountingPage survivor;
    auto* doomed = AddEntry();
    ASSERT_NE(doomed, nullptr);
    doomed->SetPage(&survivor);
    doomed->ArmTimer(kTimerSettingsReread, 5);
    delete doomed;
    EXPECT_EQ(survivor.GetEntryHost(), nullptr);
    entry->SetPage(nullptr);
    EXPECT_EQ(other.GetEntryHost(), nullptr);
    QTest::qWait(30);
    EXPECT_EQ(survivor.refreshes, 0);
}

}  // namespace
