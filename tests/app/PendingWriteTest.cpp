// A change the mouse did not take, as a user meets it: the real main window over the simulated
// bus, the mouse pulled out in the middle of a write.
#include <gtest/gtest.h>

#include <json/json.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QThread>
#include <functional>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/RegisteredMessages.h"
#include "entry/CDeviceOptionUI.h"
#include "core/hid/HidBackend.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/ui/CPaintManagerUI.h"
#include "core/sim/DemoDevices.h"
#include "tests/support/WaitFor.h"

using namespace q840;
using q840::test::WaitFor;

namespace {


class PendingWriteTest : public ::testing::Test {
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
        m_mouse = m_bus->Mouse();
        m_wnd = std::make_unique<CMainWnd>();
        ASSERT_TRUE(m_wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE"));
        QSignalSpy activated(m_wnd.get(), &CMainWnd::activated);
        m_wnd->show();
        ASSERT_TRUE(activated.wait(5000));
        // No message box may come up for a failed write; the restore question is answered.
        ui::ModalSeam::SetAnswerer([this](ui::WindowImplBase&) {
            ++m_boxes;
            return 1;
        });
    }
    void TearDown() override {
        ui::ModalSeam::SetAnswerer(nullptr);
        if (m_wnd && !m_wnd->IsDestroyed()) {
            m_wnd->Close();
        }
        m_wnd.reset();
        hid::SetHidBackend(nullptr);
    }

    pages::COrvenixUSBDevice* Page() { return m_wnd->Devices().MousePages().front(); }
    bool MouseRead() {
        return m_wnd->CurrentPage() == Page() && Page()->CommandProtocol().IsOpen() &&
               m_wnd->FirstReadsDone();
    }
    int StoredStage2X() {
        QFile file(Page()->ProfilePath());
        Json::Value profile;
        if (file.open(QIODevice::ReadOnly)) {
            Json::Reader().parse(file.readAll().toStdString(), profile);
        }
        return profile["Device"][0]["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt();
    }
    // Pulled out, then plugged in again once the program has seen it go.
    void Replug() {
        ASSERT_TRUE(WaitFor([&] { return !Page()->CommandProtocol().IsOpen(); }));
        m_cable->ClearFaults();
        m_bus->GetTranscript()->Clear();
        m_bus->Plug(m_cable);
    }
    int WrittenOnArrival(uint8_t code) {
        int n = 0;
        for (const auto& e : m_bus->GetTranscript()->Commands()) {
            n += e.bytes[3] == code;
        }
        return n;
    }

    std::shared_ptr<sim::VirtualBus> m_bus;
    std::shared_ptr<sim::VirtualHidDevice> m_cable;
    std::shared_ptr<sim::VirtualPeripheral> m_mouse;
    std::unique_ptr<CMainWnd> m_wnd;
    int m_boxes = 0;
};

// Stage 2's X index in profile 0's block: 14 + 2 x 9, low byte at +2 (sensor 0x3104).
constexpr size_t kStage2X = 14 + 18 + 2;

TEST_F(PendingWriteTest, ACutWriteShowsOneQuietNoticeAndTheMouseGetsTheChangeWhenItIsBack) {
    m_bus->Plug(m_cable);
    ASSERT_TRUE(WaitFor([&] { return MouseRead(); }));
    QWidget* notice = m_wnd->FindControl("write_pending_notice");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isHidden());
    auto* slider = Page()->findChild<QSlider*>("DPI_slider_2");
    ASSERT_NE(slider, nullptr);
    const uint8_t before = m_mouse->Settings()[kStage2X];

    // Begin is taken, then the mouse goes: every step of the drag fails.
    m_cable->UnplugOnCommand(2);
    for (int value : {61, 62, 63}) {
        slider->setValue(value);
        m_wnd->PaintManager().SendNotify(slider, ui::notify::kValueChanged, value);
    }
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(m_wnd->PendingWriteNotice().Episodes(), 1) << "one notice, not one per step";
    EXPECT_EQ(m_boxes, 0);
    EXPECT_EQ(StoredStage2X(), 63) << "the change stays in the profile";
    EXPECT_EQ(m_mouse->Settings()[kStage2X], before);

    Replug();
    ASSERT_TRUE(WaitFor([&] { return MouseRead() && notice->isHidden(); }));
    EXPECT_EQ(m_mouse->Settings()[kStage2X], 63);
    EXPECT_EQ(StoredStage2X(), 63);
    EXPECT_EQ(slider->value(), 63);
    EXPECT_EQ(WrittenOnArrival(0x06), 2) << "the block, in its two cable packets";

    // Restoring the defaults just as the mouse goes: both the key table and the block wait for
    // the next arrival, under a second notice.
    m_cable->UnplugOnNextCommand();
    QPushButton button;
    button.setObjectName("default_btn");
    m_wnd->PaintManager().SendNotify(&button, "click");
    EXPECT_EQ(m_boxes, 1) << "the restore question only";
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(m_wnd->PendingWriteNotice().Episodes(), 2);
    Replug();
    ASSERT_TRUE(WaitFor([&] { return MouseRead() && notice->isHidden(); }));
    EXPECT_EQ(WrittenOnArrival(0x09), 1) << "the key table went out on arrival";
    EXPECT_EQ(m_mouse->Settings()[kStage2X], 23) << "the factory profile's stage 2";
    EXPECT_EQ(StoredStage2X(), 23);
}

}  // namespace
