#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/MainThreads.h"
#include "app/NotifyRouting.h"
#include "app/WindowPlacement.h"
#include "platform/MessageTarget.h"
#include "tests/support/WaitFor.h"
#include "core/base/DebugLine.h"

using namespace q840;

TEST(IndexedName, SplitsAtTheLastUnderscore) {
    IndexedName n = SplitIndexedName("color_option_3");
    EXPECT_EQ(n.prefix, "color_option_");
    EXPECT_EQ(n.index, 3);
    EXPECT_TRUE(n.hasIndex);
    n = SplitIndexedName("key_");
    EXPECT_EQ(n.prefix, "key_");
    EXPECT_EQ(n.index, 0);
    n = SplitIndexedName("DPI_color_option_12");
    EXPECT_EQ(n.prefix, "DPI_color_option_");
    EXPECT_EQ(n.index, 12);
    n = SplitIndexedName("closebtn");
    EXPECT_FALSE(n.hasIndex);
    EXPECT_EQ(SplitIndexedName("key_x1").index, 0);
    // Code that must not take a name without a number for item 0 can tell.
    EXPECT_FALSE(SplitIndexedName("key_x1").numeric);
    EXPECT_FALSE(SplitIndexedName("key_").numeric);
    EXPECT_TRUE(SplitIndexedName("key_0").numeric);
}

TEST(RouteTable, RowsAreUniqueAndMatchByCaseAndIndexAsRequired) {
    std::set<std::string> seen;
    for (const RouteRow& row : RouteTable()) {
        EXPECT_TRUE(seen.insert(row.type.toStdString() + "/" + row.name).second) << row.name;
        EXPECT_EQ(row.indexed, std::string(row.name).back() == '_') << row.name;
    }
    ASSERT_NE(FindRoute("click", "KEY_5"), nullptr);  // without regard to case
    EXPECT_EQ(FindRoute("click", "KEY_5")->area, RouteArea::KeyEditor);
    EXPECT_EQ(FindRoute("click", "DPI_color_option_2")->area, RouteArea::MainCommands);
    EXPECT_EQ(FindRoute("click", "color_option_2")->area, RouteArea::LightingEditor);
    EXPECT_NE(FindRoute("click", "profile_fun_spread_btn"), nullptr);
    EXPECT_EQ(FindRoute("click", "PROFILE_fun_spread_btn"), nullptr);  // this one is exact
    EXPECT_EQ(FindRoute("selectchanged", "key_5"), nullptr);  // wrong type
    EXPECT_EQ(FindRoute("valuechanged", "DPI_slider_3")->area, RouteArea::PageSettings);
    EXPECT_EQ(FindRoute("click", "nothing_here"), nullptr);
}

TEST(TrayMenuPlacement, KeepsClearOfThePanelAtEachEdge) {
    const QRect screen(0, 0, 1920, 1080);
    const QPoint cursor(1800, 500);
    EXPECT_EQ(PlaceTrayMenu(cursor, screen, screen).alignment, 6);  // no panel
    MenuPlacement top = PlaceTrayMenu(cursor, screen, QRect(0, 32, 1920, 1048));
    EXPECT_EQ(top.anchor, QPoint(1800, 33));
    EXPECT_EQ(top.alignment, 12);
    MenuPlacement left = PlaceTrayMenu(QPoint(20, 900), screen, QRect(48, 0, 1872, 1080));
    EXPECT_EQ(left.anchor, QPoint(49, 900));
    EXPECT_EQ(left.alignment, 18);
    MenuPlacement bottom = PlaceTrayMenu(QPoint(1800, 1060), screen, QRect(0, 0, 1920, 1040));
    EXPECT_EQ(bottom.anchor, QPoint(1800, 1020));
    EXPECT_EQ(bottom.alignment, 24);
    MenuPlacement right = PlaceTrayMenu(QPoint(1900, 900), screen, QRect(0, 0, 1860, 1080));
    EXPECT_EQ(right.anchor, QPoint(1859, 900));
    EXPECT_EQ(right.alignment, 24);
}

TEST(WindowScale, MonitorRuleAndSupportedValues) {
    EXPECT_EQ(ChooseWindowScale({1920, 1080}), 144);
    EXPECT_EQ(ChooseWindowScale({1500, 1000}), 96);
    EXPECT_EQ(ChooseWindowScale({1600, 960}), 96);
    EXPECT_TRUE(IsSupportedScale(120));
    EXPECT_FALSE(IsSupportedScale(100));
}

namespace {
std::vector<std::string>* g_lines = nullptr;
void Capture(const std::string& line) { g_lines->push_back(line); }
}  // namespace

TEST(MainThreads, StopAllEndsCooperativeThreadsAndDetachesAStuckOne) {
    std::vector<std::string> lines;
    g_lines = &lines;
    SetDebugSink(&Capture);
    MainThreads threads;
    // The stuck thread is detached: it owns a share of what it waits on, and the test waits
    // until it has ended.
    auto release = std::make_shared<StopEvent>();
    auto ended = std::make_shared<StopEvent>();
    ASSERT_TRUE(threads.Start(0, [](const StopEvent& stop) { stop.Wait(-1); }));
    ASSERT_TRUE(threads.Start(8, [](const StopEvent& stop) { stop.Wait(-1); }));
    ASSERT_TRUE(threads.Start(1, [release, ended](const StopEvent&) {
        release->Wait(-1);
        ended->Set();
    }));
    EXPECT_FALSE(threads.Start(0, [](const StopEvent&) {}));
    EXPECT_FALSE(threads.Start(20, [](const StopEvent&) {}));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(threads.StopAll(50), 1);
    EXPECT_LT(clock.elapsed(), 2000);
    release->Set();
    SetDebugSink(nullptr);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "所有对象处于激发状态\n"), 2);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "所有对象处于非激发状态，超时\n"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "错误\n"), 17);
    EXPECT_TRUE(ended->Wait(5000));
}

// A worker waiting in SendMessageW for a window that is closing: the window takes the message
// without handling it, and the worker ends instead of overstaying.
class CountingTarget : public CMessageTarget {
public:
    LRESULT HandleMessage(UINT, WPARAM, LPARAM) override {
        ++handled;
        return 1;
    }
    int handled = 0;
};

TEST(MainThreads, AThreadWaitingToSendToTheWindowEndsWhenTheWindowServesItsQueue) {
    CountingTarget target;
    MainThreads threads;
    auto sent = std::make_shared<std::atomic<int>>(0);
    ASSERT_TRUE(threads.Start(0, [&target, sent](const StopEvent& stop) {
        while (!stop.IsSet()) {
            SendMessageW(&target, 1, 0, 0);
            ++*sent;
        }
    }));
    ASSERT_TRUE(test::WaitFor([&] { return *sent > 0; }));  // the UI thread answered one
    const int before = target.handled;
    target.RefuseMessages();
    EXPECT_EQ(threads.StopAll(5000, [&target] { target.ServeWaitingSenders(); }), 0);
    // Whatever the worker sent after the refusal was taken, not handled.
    EXPECT_EQ(target.handled, before);
}

