// The page on the user-interface thread: layout binding, LED colours and their painting, function
// panels, the selector entry's timers, notifications, files.

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "controls/CDeviceKeyButtonUI.h"
#include "pages/LedButtonPaint.h"
#include "platform/Paths.h"
#include "tests/pages/PageTestSupport.h"

namespace q840::pages {
namespace {

using test::CountingPage;
using test::FakeEntry;
using test::RecordingWindow;

// A page laid out the way the device layouts do it: buttons under "SelectPanel".
void AddPanel(QWidget* page, const QStringList& names) {
    auto* panel = new QWidget(page);
    panel->setObjectName("SelectPanel");
    for (const QString& name : names) {
        auto* b = new controls::CDeviceKeyButtonUI(panel);
        b->setObjectName(name);
    }
}

TEST(PageLayout, BindsKeyAndLightButtonsBelowTheirCounts) {
    CountingPage page;
    {
        auto setup = page.GetSetup();
        setup.layoutPath = "XML/DeviceXml/mousedevice.xml";
        setup.keyButtonCount = 11;
        setup.ledCount = 15;
        page.Setup(setup);
    }
    AddPanel(&page, {"key_0", "key_10", "key_12", "light_3", "light_15", "light_x", "key_01"});
    auto* outside = new controls::CDeviceKeyButtonUI(&page);
    outside->setObjectName("light_4");  // not under the select panel
    auto* plain = new QPushButton(page.findChild<QWidget*>("SelectPanel"));
    plain->setObjectName("light_5");  // not a key/LED button
    page.BuildLayout();

    EXPECT_NE(nullptr, page.GetKeyButton(0));
    EXPECT_NE(nullptr, page.GetKeyButton(10));
    EXPECT_EQ(nullptr, page.GetKeyButton(12)) << "key_12 with 11 keys binds nothing";
    EXPECT_EQ(nullptr, page.GetKeyButton(11));
    // "key_01" is key 1 by its number.
    EXPECT_EQ(page.findChild<QWidget*>("key_01"), page.GetKeyButton(1));
    QWidget* light3 = page.GetLedButton(3);
    ASSERT_NE(nullptr, light3);
    EXPECT_EQ("light_3", light3->objectName());
    EXPECT_EQ(PackLed(255, 255, 255, 255), PaintedLedValue(light3)) << "painted white";
    EXPECT_EQ(nullptr, page.GetLedButton(15));
    EXPECT_EQ(nullptr, page.GetLedButton(4));
    EXPECT_EQ(nullptr, page.GetLedButton(5));
    EXPECT_EQ(0u, PaintedLedValue(outside));
    EXPECT_EQ(0u, PaintedLedValue(plain));
    EXPECT_EQ(qRgba(255, 255, 255, 255),
              static_cast<controls::CDeviceKeyButtonUI*>(light3)->GetBkColor());
}

TEST(PageLayout, EmptyLayoutPathLeavesNoButtons) {
    CountingPage page;
    {
        auto setup = page.GetSetup();
        setup.keyButtonCount = 11;
        setup.ledCount = 15;
        page.Setup(setup);
    }
    AddPanel(&page, {"key_0", "light_0"});
    page.BuildLayout();
    EXPECT_EQ(0, page.GetKeyButtonCount());
    EXPECT_EQ(0, page.GetLedCount());
    EXPECT_EQ(nullptr, page.GetKeyButton(0));
    EXPECT_EQ(nullptr, page.GetLedButton(0));
    // With no LEDs a colour has nowhere to go.
    page.SetLedColour(0, 0x11223344);
    EXPECT_EQ(0u, page.GetLedColour(0));
}

TEST(PageLeds, ColoursOutsideTheArrayAreIgnoredAndPushedOnlyUnderSoftwareControl) {
    CountingPage page;
    {
        auto setup = page.GetSetup();
        setup.layoutPath = "x.xml";
        setup.ledCount = 4;
        page.Setup(setup);
    }
    AddPanel(&page, {"light_0", "light_1", "light_2", "light_3"});
    page.BuildLayout();

    page.SetLedColour(-1, 1);
    page.SetLedColour(4, 1);
    page.SetLedColour(100000, 1);
    EXPECT_EQ(0u, page.GetLedColour(-1));
    EXPECT_EQ(0u, page.GetLedColour(4));
    page.SetLedColour(2, 0x80402010);
    EXPECT_EQ(0x80402010u, page.GetLedColour(2));

    page.SetSoftwareLightControl(false);
    page.PushPreview();
    EXPECT_EQ(PackLed(255, 255, 255, 255), PaintedLedValue(page.GetLedButton(2)));
    page.SetSoftwareLightControl(true);
    page.PushPreview();
    EXPECT_EQ(0x80402010u, PaintedLedValue(page.GetLedButton(2)));
    EXPECT_EQ(0u, PaintedLedValue(page.GetLedButton(0))) << "black LEDs are painted black";
    const QColor c = page.GetLedButton(2)->property("ledColour").value<QColor>();
    EXPECT_EQ(QColor(0x10, 0x20, 0x40, 0x80), c);
    EXPECT_EQ(qRgba(0x10, 0x20, 0x40, 0x80),
              static_cast<controls::CDeviceKeyButtonUI*>(page.GetLedButton(2))->GetBkColor());
}

TEST(PageLeds, FadesRiseAndFallBySteps) {
    CountingPage page;
    {
        auto setup = page.GetSetup();
        setup.ledCount = 3;
        page.Setup(setup);
    }
    page.FlagLedFade(1);
    page.ArmLedFades();
    EXPECT_EQ(255, page.GetLedLevel(1));
    EXPECT_EQ(0, page.GetLedLevel(0)) << "unflagged LEDs stay dark";
    page.StepLedFade(1, 0);
    EXPECT_EQ(240, page.GetLedLevel(1));
    for (int i = 0; i < 20; ++i) {
        page.StepLedFade(1, 0);
    }
    EXPECT_EQ(0, page.GetLedLevel(1));
    // A rise climbs to 255 in steps of 15, then falls.
    page.StartLedRise(2);
    for (int i = 0; i < 17; ++i) {
        page.StepLedFade(2, 1);
    }
    EXPECT_EQ(255, page.GetLedLevel(2));
    page.StepLedFade(2, 1);
    EXPECT_EQ(240, page.GetLedLevel(2));
    page.ClearPreview();
    EXPECT_EQ(0, page.GetLedLevel(2));
}

TEST(PageLeds, PatternRotatesBothWays) {
    CountingPage page;
    std::array<uint8_t, COrvenixUSBDevice::kLedPatternLength> p{};
    for (int i = 0; i < int(p.size()); ++i) {
        p[i] = uint8_t(i);
    }
    page.SetLedPattern(p);
    page.RotateLedPattern(1);
    EXPECT_EQ(1, page.GetLedPattern()[0]);
    EXPECT_EQ(0, page.GetLedPattern()[22]);
    page.RotateLedPattern(0);
    page.RotateLedPattern(0);
    EXPECT_EQ(22, page.GetLedPattern()[0]);
    page.ClearPreview();
    EXPECT_EQ(0, page.GetLedPattern()[0]);
}

TEST(PageState, LightSettingsAudioLightValuesAndKeyMaps) {
    CountingPage page;
    EXPECT_EQ(-1, page.GetSelectedKey());
    EXPECT_EQ(1, page.GetFunctionPanel());
    EXPECT_TRUE(page.GetSoftwareLightControl());
    EXPECT_TRUE(page.GetHover());
    EXPECT_EQ("zelta_light", page.GetLightConfigName());

    profile::LightSetting in;
    in.effect = 1;
    in.brightness = 2;
    in.blue = 8;
    page.SetLightSettings(in);
    const profile::LightSetting s = page.GetLightSettingsRecord();
    EXPECT_EQ(1, s.effect);
    EXPECT_EQ(2, s.brightness);
    EXPECT_EQ(8, s.blue);

    struct Lighting : IAudioLightControl {
        void SetAudioLightValues(const AudioLightValues& values) override { v = values; }
        AudioLightValues GetAudioLightValues() override {
            return {v.mode + 1, v.background, v.foreground};
        }
        AudioLightValues v;
    } lighting;
    page.SetAudioLightValues({1, 2, 3});  // no lighting control yet: only stored
    EXPECT_EQ((AudioLightValues{1, 2, 3}), page.GetAudioLightValues());
    page.SetAudioLightControl(&lighting);
    page.SetAudioLightValues({4, 5, 6});
    EXPECT_EQ((AudioLightValues{4, 5, 6}), lighting.v);
    EXPECT_EQ((AudioLightValues{5, 5, 6}), page.GetAudioLightValues());

    page.SetKeyMap({{0, 7}, {1, 9}});
    EXPECT_EQ(9, page.GetKeyMap(2).at(1));
    EXPECT_TRUE(page.GetKeyMap(0).empty());
}

TEST(PagePanels, FunctionPanelTypesSelectTheirTabs) {
    CountingPage page;
    auto* functions = new QStackedWidget(&page);
    functions->setObjectName("device_function_switch");
    auto* keys = new QStackedWidget(&page);
    keys->setObjectName("device_key_function_switch");
    for (int i = 0; i < 5; ++i) {
        functions->addWidget(new QWidget);
        keys->addWidget(new QWidget);
    }
    struct Case {
        int type;
        int function;
        int key;  // -1: unchanged
    };
    catalogue::DeviceListEntry mouse;
    mouse.typeCode = 2;
    {
        auto setup = page.GetSetup();
        setup.interfaceRecord = mouse;
        page.Setup(setup);
    }
    for (const Case& c :
         {Case{2, 0, 1}, Case{6, 0, 1}, Case{3, 1, -1}, Case{8, 1, -1}, Case{4, 3, -1},
          Case{7, 0, 2}, Case{5, 2, -1}, Case{9, 4, -1}, Case{0, 0, 0}, Case{77, 0, 0}}) {
        keys->setCurrentIndex(4);
        page.ShowFunctionPanel(c.type);
        EXPECT_EQ(c.type, page.GetFunctionPanel());
        EXPECT_EQ(c.function, functions->currentIndex()) << "type " << c.type;
        EXPECT_EQ(c.key < 0 ? 4 : c.key, keys->currentIndex()) << "type " << c.type;
    }
    // Type 4 on a page that is neither a wired keyboard nor a wired mouse acts as 7.
    catalogue::DeviceListEntry pad;
    pad.typeCode = 3;
    {
        auto setup = page.GetSetup();
        setup.interfaceRecord = pad;
        page.Setup(setup);
    }
    page.ShowFunctionPanel(4);
    EXPECT_EQ(0, functions->currentIndex());
    EXPECT_EQ(2, keys->currentIndex());
    EXPECT_EQ(4, page.GetFunctionPanel());
}

TEST(PageNotify, OnlyControlsInsideThePageAreHandled) {
    CountingPage page;
    AddPanel(&page, {"key_0"});
    QPushButton stranger;
    stranger.setObjectName("stranger");
    QPushButton unnamed(&page);
    ui::TNotifyUI msg;
    msg.sType = ui::notify::kClick;
    msg.pSender = &stranger;
    page.Notify(msg);
    msg.pSender = &unnamed;
    page.Notify(msg);
    msg.pSender = nullptr;
    page.Notify(msg);
    EXPECT_TRUE(page.notified.empty());
    msg.pSender = page.findChild<QWidget*>("key_0");
    page.Notify(msg);
    ASSERT_EQ(1u, page.notified.size());
    EXPECT_EQ(msg.pSender, page.notified[0]);
    EXPECT_EQ("OrvenixUSBDevice", page.GetClass());
}

TEST(PageFiles, DeviceFolderIsCreatedAndNamesTheFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString user = dir.filePath("user/Halvorn Q840-VEX GAMING MOUSE/");
    SetUserDataFolder(user);
    SetProgramFolder(dir.filePath("prog") + "/");
    CountingPage page;
    {
        auto setup = page.GetSetup();
        setup.deviceKindName = "mouse";
        setup.profileName = "Game 1";
        page.Setup(setup);
    }
    EXPECT_EQ(user + "mouse/", page.DeviceFolder());
    EXPECT_TRUE(QDir(user + "mouse").exists()) << "both levels are created";
    EXPECT_EQ(user + "mouse/Game 1.Json", page.ProfilePath());
    EXPECT_EQ(dir.filePath("prog") + "/DefaultData/mouse.Json", page.DefaultProfilePath());
    EXPECT_EQ(user + "mouse/zelta_light.config", page.LightConfigPath());
    EXPECT_EQ(user + "mouse/macro.config", page.MacroListPath());
    EXPECT_EQ(user + "mouse/{abc}.mac", page.MacroEventsPath("{abc}"));
    EXPECT_EQ(user + "mouse/ShootData_3.Shoot", page.ShootPatternPath(3));
    EXPECT_TRUE(page.ShootPatternPath(4).isEmpty());
    SetUserDataFolder(QString());
    SetProgramFolder(QString());
}

class EntryTimers : public ::testing::Test {
protected:
    void SetUp() override {
        page.SetEntryHost(&entry);
        {
            auto setup = page.GetSetup();
            setup.mainWindow = &window;
            setup.deviceTypeRow = 0;
            page.Setup(setup);
        }
    }
    void OnReceiver() { page.CommandProtocol().SetChannel(2); }
    bool Sent(UINT msg, WPARAM w, LPARAM l) const {
        for (const auto& m : window.messages) {
            if (m.msg == msg && m.w == w && m.l == l) {
                return true;
            }
        }
        return false;
    }

    CountingPage page;
    FakeEntry entry;
    RecordingWindow window;
};

TEST_F(EntryTimers, LinkCheckOnASleepingReceiverHidesTheEntryAndRetriesSlowly) {
    OnReceiver();
    page.linkUp = false;
    page.OnEntryTimer(kTimerLinkCheck);
    EXPECT_TRUE(Sent(kMsgEntryReachable, 0, 0));
    EXPECT_FALSE(entry.visible);
    EXPECT_TRUE(entry.WasArmed(kTimerLinkCheck, 5000));
    EXPECT_EQ(0, page.reads);
    // Still asleep: no second message while hidden, the timer keeps re-arming, misses wrap.
    window.messages.clear();
    for (int i = 0; i < 19; ++i) {
        page.OnEntryTimer(kTimerLinkCheck);
    }
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(0, page.GetLinkMissCount()) << "the count wraps to 0 after 19";
    // Awake: reachable, read, preview and reachability timers.
    page.linkUp = true;
    entry.armed.clear();
    page.OnEntryTimer(kTimerLinkCheck);
    EXPECT_TRUE(Sent(kMsgEntryReachable, 0, 1));
    EXPECT_EQ(1, page.reads);
    EXPECT_TRUE(entry.WasArmed(kTimerPreview, 5));
    EXPECT_TRUE(entry.WasArmed(kTimerReachability, 2000));
}

TEST_F(EntryTimers, LinkCheckOnTheCableReadsAtOnce) {
    page.linkUp = false;  // not asked on the cable
    page.OnEntryTimer(kTimerLinkCheck);
    EXPECT_EQ(1, page.reads);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(entry.WasArmed(kTimerPreview, 5));
    EXPECT_FALSE(entry.WasArmed(kTimerReachability, 2000));
}

TEST_F(EntryTimers, ReachabilityShowsAWokenMouseAndReadsIt) {
    OnReceiver();
    {
        auto setup = page.GetSetup();
        setup.powerDisplayMode = 1;
        page.Setup(setup);
    }
    entry.visible = false;
    page.linkUp = false;
    page.OnEntryTimer(kTimerReachability);
    EXPECT_TRUE(window.messages.empty()) << "hidden and unreachable: nothing changes";
    EXPECT_TRUE(entry.WasArmed(kTimerReachability, 3000));
    page.linkUp = true;
    page.OnEntryTimer(kTimerReachability);
    EXPECT_TRUE(Sent(kMsgEntryReachable, 0, 1));
    EXPECT_EQ(1, page.reads);
    EXPECT_EQ(1, page.batteryReads);
    // Visible and gone again.
    entry.visible = true;
    window.messages.clear();
    page.linkUp = false;
    page.OnEntryTimer(kTimerReachability);
    EXPECT_TRUE(Sent(kMsgEntryReachable, 0, 0));
    // Off the receiver the timer ends.
    page.CommandProtocol().SetChannel(1);
    entry.armed.clear();
    page.OnEntryTimer(kTimerReachability);
    EXPECT_TRUE(entry.armed.empty());
}

TEST_F(EntryTimers, PreviewBatteryAndSettingsTimers) {
    {
        auto setup = page.GetSetup();
        setup.ledCount = 1;
        page.Setup(setup);
    }
    page.OnEntryTimer(kTimerPreview);
    EXPECT_TRUE(entry.armed.empty()) << "no re-arm while the protocol is closed";
    page.CommandProtocol().SetOpen(true);
    entry.selected = true;
    page.OnEntryTimer(kTimerPreview);
    EXPECT_TRUE(entry.WasArmed(kTimerPreview, 5));
    EXPECT_EQ(1, entry.repaints);
    OnReceiver();
    page.OnEntryTimer(kTimerPreview);
    EXPECT_TRUE(entry.WasArmed(kTimerPreview, 500));
    page.CommandProtocol().SetOpen(false);

    page.OnEntryTimer(kTimerBattery);
    EXPECT_EQ(1, page.batteryReads);
    EXPECT_FALSE(entry.WasArmed(kTimerBattery, 10000));
    {
        auto setup = page.GetSetup();
        setup.powerDisplayMode = 1;
        page.Setup(setup);
    }
    page.OnEntryTimer(kTimerBattery);
    EXPECT_TRUE(entry.WasArmed(kTimerBattery, 10000));

    page.OnEntryTimer(kTimerSettingsReread);
    EXPECT_EQ(1, page.refreshes);
}

TEST_F(EntryTimers, AHiddenWindowPausesAPreviewThatOnlyPaints) {
    {
        auto setup = page.GetSetup();
        setup.ledCount = 1;
        page.Setup(setup);
    }
    page.CommandProtocol().SetOpen(true);
    entry.selected = true;
    page.SetHiddenFlag(true);
    page.OnEntryTimer(kTimerPreview);
    EXPECT_EQ(0, entry.repaints);  // nothing pushed or repainted
    EXPECT_TRUE(entry.WasArmed(kTimerPreview, 250));
    page.SetHiddenFlag(false);
    page.OnEntryTimer(kTimerPreview);
    EXPECT_EQ(1, entry.repaints);
    EXPECT_TRUE(entry.WasArmed(kTimerPreview, 5));
    page.CommandProtocol().SetOpen(false);
}

TEST_F(EntryTimers, MessagesToTheMainWindowCarryTheirValues) {
    {
        auto setup = page.GetSetup();
        setup.deviceTypeRow = 2;
        page.Setup(setup);
    }
    page.SendBatteryRead(7);
    page.SendInfoValid(false);
    page.SendInfoValid(true);
    ASSERT_EQ(3u, window.messages.size());
    EXPECT_TRUE(Sent(0x0D01, 7, 0));
    EXPECT_TRUE(Sent(0x0D05, 0, 0));
    EXPECT_TRUE(Sent(0x0D05, 1, 0));
    // A page without a main window (not set up yet) sends nothing and does not crash.
    {
        auto setup = page.GetSetup();
        setup.mainWindow = nullptr;
        page.Setup(setup);
    }
    page.SendInfoValid(true);
    EXPECT_EQ(3u, window.messages.size());
}

}  // namespace
}  // namespace q840::pages
