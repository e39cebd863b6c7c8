// The attached devices as a user sees them: the real main window over the simulated HID bus.
#include <gtest/gtest.h>

#include <json/json.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QThread>
#include <functional>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "editors/CLightControlUI.h"
#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/ui/CPaintManagerUI.h"
#include "tests/support/WaitFor.h"

using namespace q840;
using q840::test::WaitFor;

namespace {


// The main window, counting the settings writes it makes with each page kind's arguments.
class CountingMainWnd : public CMainWnd {
public:
    int WritePageSettings(pages::COrvenixUSBDevice& page) override {
        ++settingsWrites;
        return CMainWnd::WritePageSettings(page);
    }
    int settingsWrites = 0;
};

class DeviceSwitchingTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStaticMessages();
        RegisterActivateMessage();
        RegisterGuidMessages();
        ResourceSetup();
        sim::DemoOptions nothing;
        nothing.cable = nothing.receiver = nothing.mousePad = nothing.headset = false;
        m_bus = sim::MakeDemoBus(nothing);
        hid::SetHidBackend(m_bus);
        m_cable = m_bus->Find(sim::kCableChannel);
        m_receiver = m_bus->Find(sim::kReceiverChannel);
        m_mouse = m_bus->Mouse();
        m_wnd = std::make_unique<CountingMainWnd>();
        ASSERT_TRUE(m_wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE"));
        QSignalSpy activated(m_wnd.get(), &CMainWnd::activated);
        m_wnd->show();
        ASSERT_TRUE(activated.wait(5000));
    }
    void TearDown() override {
        if (m_wnd && !m_wnd->IsDestroyed()) {
            m_wnd->Close();
        }
        m_wnd.reset();
        hid::SetHidBackend(nullptr);
    }

    DeviceSwitching& Devices() { return m_wnd->Devices(); }
    entry::CDeviceOptionUI* MouseEntry() {
        for (entry::CDeviceOptionUI* entry : Devices().Entries()) {
            if (entry->GetPage() != nullptr && entry->GetPage()->GetDeviceKind() == 2) {
                return entry;
            }
        }
        return nullptr;
    }
    pages::COrvenixUSBDevice* MousePage() {
        return Devices().MousePages().empty() ? nullptr : Devices().MousePages().front();
    }
    bool NoDeviceShown() { return !m_wnd->FindControl("No_device_Link")->isHidden(); }
    bool MouseShown() {
        entry::CDeviceOptionUI* entry = MouseEntry();
        return entry != nullptr && entry->IsEntryVisible() && entry->IsEntrySelected() &&
               m_wnd->CurrentPage() == entry->GetPage();
    }
    // The page has read the mouse through the interface it is bound to.
    bool MouseRead() { return MouseShown() && m_wnd->FirstReadsDone(); }

    std::shared_ptr<sim::VirtualBus> m_bus;
    std::shared_ptr<sim::VirtualHidDevice> m_cable;
    std::shared_ptr<sim::VirtualHidDevice> m_receiver;
    std::shared_ptr<sim::VirtualPeripheral> m_mouse;
    std::unique_ptr<CountingMainWnd> m_wnd;
};

TEST_F(DeviceSwitchingTest, BuiltInMousePageWaitsHiddenUntilAMouseArrives) {
    ASSERT_NE(MouseEntry(), nullptr);
    EXPECT_FALSE(MouseEntry()->IsEntryVisible());
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(m_wnd->CurrentPage(), nullptr);
    EXPECT_EQ(Devices().MousePages().size(), 1u);
}

TEST_F(DeviceSwitchingTest, PluggingTheCableIntoAHiddenProgramShowsTheWindowAndTheMouse) {
    SendMessageW(m_wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);  // into the tray
    ASSERT_FALSE(m_wnd->isVisible());
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    EXPECT_TRUE(m_wnd->isVisible());
    EXPECT_FALSE(NoDeviceShown());
    pages::COrvenixUSBDevice* page = MousePage();
    EXPECT_EQ(page->CommandProtocol().GetChannel(), protocol::CDeviceProtocol::kPrimaryChannel);
    // A new mouse is marked as set up once, and not again on the next read.
    ASSERT_TRUE(WaitFor([&] { return m_mouse->GetStats().infoWrites == 1; }));
    EXPECT_EQ(m_mouse->Info()[7], 3);
    page->ReadDevice();
    EXPECT_EQ(m_mouse->GetStats().infoWrites, 1);
    // Its event interface is listened to, by the same page: an event interface gets no page.
    EXPECT_TRUE(WaitFor([&] { return page->IsListenerRunning(2); }));
    EXPECT_EQ(Devices().MousePages().size(), 1u);
}

TEST_F(DeviceSwitchingTest, MovingADpiSliderReachesTheMouseAndTheProfileFile) {
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    pages::COrvenixUSBDevice* page = MousePage();
    auto* slider = page->findChild<QSlider*>("DPI_slider_3");
    ASSERT_NE(slider, nullptr);
    slider->setValue(60);
    m_wnd->PaintManager().SendNotify(slider, ui::notify::kValueChanged, 60);
    // Stage 3 of profile 0's block: 14 + 3 x 9, X index little-endian at +2 (sensor 0x3104).
    const std::vector<uint8_t> settings = m_mouse->Settings();
    EXPECT_EQ(settings[14 + 27 + 2], 60);
    EXPECT_EQ(settings[14 + 27 + 3], 0);
    EXPECT_EQ(settings[0], 0);
    QFile file(page->ProfilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const Json::Value profile = [&] {
        Json::Value root;
        Json::Reader().parse(file.readAll().toStdString(), root);
        return root;
    }();
    EXPECT_EQ(profile["Device"][0]["DPIStages"]["StageDPIs"][3]["StageDPIX"].asInt(), 60);
    // The edit beside it shows the DPI number.
    auto* edit = page->findChild<QLineEdit*>("DPI_edit_3");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "3600");
}

TEST_F(DeviceSwitchingTest, UnpluggingTheOnlyDeviceShowsTheEmptyStateAndReplugWorks) {
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    m_bus->Unplug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return !MouseEntry()->IsEntryVisible(); }));
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(m_wnd->CurrentPage(), nullptr);
    EXPECT_FALSE(MousePage()->CommandProtocol().IsOpen());
    EXPECT_EQ(m_wnd->PaintManager().FindControl<QStackedWidget>("device_switch")->currentIndex(),
              0);
    EXPECT_EQ(
        m_wnd->PaintManager().FindControl<QStackedWidget>("device_power_switch")->currentIndex(),
        0);
    EXPECT_TRUE(m_wnd->isVisible());  // responsive, nothing hung

    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }));
    EXPECT_TRUE(MousePage()->CommandProtocol().IsOpen());
    EXPECT_EQ(Devices().MousePages().size(), 1u);  // the same page again
}

TEST_F(DeviceSwitchingTest, AMouseBehindItsReceiverIsReachedThroughTheLinkCheck) {
    m_bus->Plug(m_receiver);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    pages::COrvenixUSBDevice* page = MousePage();
    EXPECT_EQ(page->CommandProtocol().GetChannel(), protocol::CDeviceProtocol::kReceiverChannel);
    // The battery panel of the selected device shows the charge and the wireless logo.
    auto* power = m_wnd->PaintManager().FindControl<QStackedWidget>("device_power_switch");
    ASSERT_NE(power, nullptr);
    EXPECT_FALSE(power->isHidden());
    QWidget* panel = power->currentWidget();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(WaitFor([&] {
        auto* value = panel->findChild<QLabel*>("device_power_value");
        return value != nullptr && value->text() == "80%";
    }));
    EXPECT_FALSE(panel->findChild<QWidget*>("device_wuxian_logo")->isHidden());
    // The charge picture follows the charge state: on battery through the receiver, charging
    // once the cable takes over.
    QWidget* status = panel->findChild<QWidget*>("device_power_status");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->property("dui_bkimage").toString().contains("power/power.png"));
    m_mouse->SetBattery(55, true);
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] {
        return page->CommandProtocol().GetChannel() == protocol::CDeviceProtocol::kPrimaryChannel;
    }));
    page->ReadBattery();
    EXPECT_TRUE(status->property("dui_bkimage").toString().contains("power/powering.png"));
    EXPECT_EQ(panel->findChild<QLabel*>("device_power_value")->text(), "55%");
}

TEST_F(DeviceSwitchingTest, ASleepingMouseHidesItsEntryAndComesBackWhenItWakes) {
    m_bus->Plug(m_receiver);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    m_mouse->SetAsleep(true);
    ASSERT_TRUE(WaitFor([&] { return !MouseEntry()->IsEntryVisible(); }, 8000));
    EXPECT_TRUE(NoDeviceShown());
    m_mouse->SetAsleep(false);
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }, 8000));
    EXPECT_FALSE(NoDeviceShown());
}

TEST_F(DeviceSwitchingTest, TheCableTakesOverFromTheReceiverOnTheSamePageAndHandsBack) {
    m_bus->Plug(m_receiver);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    pages::COrvenixUSBDevice* page = MousePage();
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] {
        return page->CommandProtocol().GetChannel() == protocol::CDeviceProtocol::kPrimaryChannel;
    }));
    EXPECT_TRUE(page->CommandProtocol().IsOpen());
    EXPECT_EQ(Devices().MousePages().size(), 1u);
    EXPECT_TRUE(MouseShown());
    m_bus->Unplug(m_cable);
    ASSERT_TRUE(WaitFor([&] {
        return page->CommandProtocol().GetChannel() == protocol::CDeviceProtocol::kReceiverChannel;
    }));
    EXPECT_TRUE(page->CommandProtocol().IsOpen());
    EXPECT_TRUE(WaitFor([&] { return MouseShown(); }));
    // Still talking to the mouse through the receiver.
    const int before = m_mouse->GetStats().commands;
    page->ReadBattery();
    EXPECT_GT(m_mouse->GetStats().commands, before);
}

TEST_F(DeviceSwitchingTest, SelectionRulesOfTheSelector) {
    // A second entry (a second mouse page) stands in for another device.
    ASSERT_TRUE(Devices().Attach(4, 0));
    ASSERT_EQ(Devices().Entries().size(), 2u);
    DeviceSwitching& devices = Devices();
    devices.ShowEntry(0, true, devices.VisibleEntryCount() == 0);
    devices.ShowEntry(1, true, devices.VisibleEntryCount() == 0);
    // The second device keeps the selection on the first.
    EXPECT_TRUE(devices.Entries()[0]->IsEntrySelected());
    EXPECT_FALSE(devices.Entries()[1]->IsEntrySelected());
    EXPECT_TRUE(devices.MousePages()[0]->IsMultiDevice());
    EXPECT_FALSE(m_wnd->FindControl("deng_same_mode")->isHidden());
    // "prev" on the first visible entry does nothing; "next" moves on.
    ui::TNotifyUI prev;
    prev.sType = "click";
    prev.pSender = m_wnd->FindControl("device_select_prev");
    m_wnd->Notify(prev);
    EXPECT_TRUE(devices.Entries()[0]->IsEntrySelected());
    ui::TNotifyUI next;
    next.sType = "click";
    next.pSender = m_wnd->FindControl("device_select_next");
    m_wnd->Notify(next);
    EXPECT_TRUE(devices.Entries()[1]->IsEntrySelected());
    EXPECT_FALSE(devices.Entries()[0]->IsEntrySelected());
    EXPECT_EQ(devices.SelectedIndex(), 1);
    EXPECT_EQ(m_wnd->PaintManager().FindControl<QStackedWidget>("device_switch")->currentWidget(),
              devices.Entries()[1]->GetPage());
    // Both marked for synchronised lighting; hiding the selected one selects the other and,
    // alone again, the marks go.
    devices.Entries()[0]->SetSynchro(true);
    devices.Entries()[1]->SetSynchro(true);
    devices.HideEntry(1);
    EXPECT_TRUE(devices.Entries()[0]->IsEntrySelected());
    EXPECT_FALSE(devices.Entries()[0]->IsSynchro());
    EXPECT_FALSE(devices.MousePages()[0]->IsMultiDevice());
    EXPECT_TRUE(m_wnd->FindControl("deng_same_mode")->isHidden());
    EXPECT_FALSE(NoDeviceShown());
    devices.HideEntry(0);
    EXPECT_TRUE(NoDeviceShown());
    EXPECT_EQ(m_wnd->CurrentPage(), nullptr);
    devices.HideEntry(7);  // outside the list: nothing
}

TEST_F(DeviceSwitchingTest, AnEventFromTheMouseSwitchesProfileAndDpiStage) {
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    pages::COrvenixUSBDevice* page = MousePage();
    ASSERT_TRUE(WaitFor([&] { return page->IsListenerRunning(2); }));
    m_mouse->SwitchProfileAndDpiStage(3, 2);  // raises 0x1123
    auto* stage = m_wnd->PaintManager().FindControl<QAbstractButton>("DPI_select_check_2");
    ASSERT_NE(stage, nullptr);
    EXPECT_TRUE(WaitFor([&] { return stage->isChecked(); }));
}

}  // namespace

namespace {

TEST_F(DeviceSwitchingTest, GameMessagesChangeTheMouseLightingAndRestoreThePreviousEffect) {
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    pages::COrvenixUSBDevice* page = MousePage();
    profile::LightSetting record = page->GetLightSettingsRecord();
    record.effect = 3;
    page->SetLightSettingsRecord(record);
    m_wnd->SetGameLightRestoreMs(100);
    const HWND wnd = m_wnd->GetHWND();
    SendMessageW(wnd, Messages().Game_Start, 0, 5);
    EXPECT_EQ(page->GetLightSettingsRecord().effect, 5);
    EXPECT_EQ(page->GetLightSettingsRecord().previousMode, 3);  // the effect to go back to
    EXPECT_EQ(m_mouse->Settings()[1], 5);                       // written to the mouse
    EXPECT_EQ(page->GetLightEditor()->GetSelectedEffect(), 5);  // and shown in the editor
    SendMessageW(wnd, Messages().Game_Kill, 0, 6);              // a second wParam 0 moves it on
    EXPECT_EQ(page->GetLightSettingsRecord().previousMode, 5);
    ASSERT_TRUE(WaitFor([&] { return page->GetLightSettingsRecord().effect == 5; }, 3000));
    EXPECT_EQ(m_mouse->Settings()[1], 5);
    // An effect of 0 (or above 20) goes back to 1.
    record = page->GetLightSettingsRecord();
    record.effect = 0;
    page->SetLightSettingsRecord(record);
    SendMessageW(wnd, Messages().Game_Death, 0, 9);
    EXPECT_EQ(page->GetLightSettingsRecord().previousMode, 1);
}

}  // namespace

namespace {

TEST_F(DeviceSwitchingTest, SameModeTakesTheCurrentEffectAndTheThreadDrivesThePreview) {
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    pages::COrvenixUSBDevice* page = MousePage();
    profile::LightSetting record = page->GetLightSettingsRecord();
    record.effect = 0;  // the mouse's steady
    record.brightness = 4;
    record.red = 1;
    record.green = 2;
    record.blue = 3;
    page->SetLightSettingsRecord(record);
    ui::TNotifyUI click;
    click.sType = "click";
    click.pSender = m_wnd->FindControl("deng_same_mode");
    ASSERT_NE(click.pSender, nullptr);
    const int writesBefore = m_wnd->settingsWrites;
    m_wnd->Notify(click);
    EXPECT_EQ(Devices().SyncEngine().GetParams().effect, 1);  // steady
    EXPECT_TRUE(page->GetLightSyncFlag());
    EXPECT_EQ(m_mouse->Settings()[1], 0);  // the page's steady went to the mouse
    EXPECT_EQ(writesBefore + 1, m_wnd->settingsWrites) << "written with the arguments of the page's kind";
    // The synchronisation thread paints every LED with the synchronised colour.
    const uint32_t expected = pages::PackLed(1, 2, 3, 255);
    EXPECT_TRUE(WaitFor([&] {
        for (int led = 0; led < page->GetLedCount(); ++led) {
            if (page->GetLedColour(led) != expected) {
                return false;
            }
        }
        return true;
    }));
    // An effect with no counterpart (the mouse's wave) changes nothing.
    record.effect = 2;
    page->SetLightSettingsRecord(record);
    Devices().SyncEngine().SetParams({});
    m_wnd->Notify(click);
    EXPECT_EQ(Devices().SyncEngine().GetParams().red, 0);
}

}  // namespace

namespace {

TEST_F(DeviceSwitchingTest, PulledOutDuringTheIdentityReadTheEntryGoesAndReplugWorks) {
    m_cable->UnplugOnNextCommand();
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return !m_cable->IsPlugged(); }));
    ASSERT_TRUE(WaitFor([&] {
        return !MousePage()->CommandProtocol().IsOpen() && !MouseEntry()->IsEntryVisible();
    }));
    EXPECT_TRUE(NoDeviceShown());
    m_cable->ClearFaults();
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    EXPECT_EQ(m_mouse->Info()[7], 3);
}

TEST_F(DeviceSwitchingTest, PulledOutDuringASettingsWriteNothingIsLostAndReplugWorks) {
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    pages::COrvenixUSBDevice* page = MousePage();
    auto* slider = page->findChild<QSlider*>("DPI_slider_1");
    ASSERT_NE(slider, nullptr);
    m_cable->UnplugOnNextCommand();
    slider->setValue(70);
    m_wnd->PaintManager().SendNotify(slider, ui::notify::kValueChanged, 70);
    ASSERT_TRUE(WaitFor([&] { return !MouseEntry()->IsEntryVisible(); }));
    EXPECT_TRUE(NoDeviceShown());
    // The change is in the profile file although the mouse never got it.
    QFile file(page->ProfilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    Json::Value profile;
    Json::Reader().parse(file.readAll().toStdString(), profile);
    EXPECT_EQ(profile["Device"][0]["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 70);
    m_cable->ClearFaults();
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    // Reading the mouse again does not take the stage values back from it.
    EXPECT_EQ(slider->value(), 70);
}

TEST_F(DeviceSwitchingTest, AMouseThatRefusesEveryCommandLeavesTheWindowWorking) {
    m_cable->InjectStatus(0xFF, -1);
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }));
    QCoreApplication::processEvents();
    // The window still answers: a tray click hides it and another shows it.
    SendMessageW(m_wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_FALSE(m_wnd->isVisible());
    SendMessageW(m_wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_TRUE(m_wnd->isVisible());
    m_bus->Unplug(m_cable);
    EXPECT_TRUE(WaitFor([&] { return NoDeviceShown(); }));
}

}  // namespace

namespace {

TEST_F(DeviceSwitchingTest, AMouseThatCannotBeOpenedIsNotOfferedAndComesOnceItCan) {
    m_cable->DenyOpen("permission denied");
    m_bus->Plug(m_cable);
    // The empty state says that the mouse is there but out of reach.
    auto* hint = qobject_cast<QLabel*>(m_wnd->FindControl("nodevice_hint"));
    ASSERT_NE(hint, nullptr);
    const QString usualHint = hint->text();
    EXPECT_TRUE(WaitFor([&] { return hint->text() != usualHint; }));
    EXPECT_TRUE(hint->text().contains("may not open")) << hint->text().toStdString();
    EXPECT_FALSE(MouseEntry()->IsEntryVisible());
    EXPECT_TRUE(NoDeviceShown());
    // Access granted (the udev rule applied): the next pass finds it, no replug needed.
    m_cable->DenyOpen(std::string());
    EXPECT_TRUE(WaitFor([&] { return MouseRead(); }));
    EXPECT_EQ(hint->text(), usualHint);
}

}  // namespace
