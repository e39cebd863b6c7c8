// The tray icon as a status display, with the real main window over the simulated mouse: the
// tooltip names the attached devices and the battery, and a battery falling through 15 % raises
// one desktop notice, delivered to a notification service of the test's own on a private bus.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>
#include <QSignalSpy>
#include <QStringList>
#include <QVariantMap>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/RegisteredMessages.h"
#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "ipc/BusTestSupport.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/ipc/DesktopNotifications.h"
#include "tests/support/WaitFor.h"

using namespace q840;
using q840::test::WaitFor;

// The desktop's notification service as the test plays it: it keeps what it is asked to show.
class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList summaries;
    QStringList bodies;
    QStringList icons;

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                             const QString& summary, const QString& body,
                             const QStringList& actions, const QVariantMap& hints, int timeout) {
        summaries << summary;
        bodies << body;
        icons << appIcon;
        return uint(summaries.size());
    }
};

namespace {

class TrayStatusTest : public ::testing::Test {
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
        m_wnd = std::make_unique<CMainWnd>();
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

    // The mouse's entry shows in the strip: the tray counts it.
    bool MouseShown() {
        const std::vector<TrayDevice> devices = m_wnd->CollectTrayDevices();
        return MousePage() != nullptr && devices.size() == 1;
    }
    pages::COrvenixUSBDevice* MousePage() {
        for (pages::COrvenixUSBDevice* page : m_wnd->Devices().AllPages()) {
            if (page->GetDeviceKind() == 2 && page->CommandProtocol().IsOpen()) {
                return page;
            }
        }
        return nullptr;
    }
    // The mouse on battery (or charging) at `percent`, read by the page as its timer would.
    void Battery(int percent, bool charging) {
        m_bus->Mouse()->SetBattery(uint8_t(percent), charging);
        MousePage()->ReadBattery();
    }

    std::shared_ptr<sim::VirtualBus> m_bus;
    std::unique_ptr<CMainWnd> m_wnd;
};

TEST_F(TrayStatusTest, ToolTipNamesTheDevicesAndALowBatteryIsToldOncePerDischarge) {
    ipc::test::PrivateSessionBus bus;
    ASSERT_TRUE(bus.Start());
    QDBusConnection service = QDBusConnection::connectToBus(bus.Address(), "notification-service");
    FakeNotificationService fake;
    ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &fake,
                                       QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
    ipc::DesktopNotifications notices(QDBusConnection::connectToBus(bus.Address(), "program"));
    m_wnd->SetDesktopNotifier(
        [&](const QString& summary, const QString& body) { notices.Notify(summary, body); });
    QSignalSpy sent(&notices, &ipc::DesktopNotifications::notified);

    EXPECT_TRUE(m_wnd->TrayToolTip().contains("No device attached"))
        << m_wnd->TrayToolTip().toStdString();
    m_bus->Plug(m_bus->Find(sim::kReceiverChannel));
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }));
    Battery(80, false);
    const QString tip = m_wnd->TrayToolTip();
    EXPECT_TRUE(tip.startsWith("Halvorn Q840-VEX GAMING MOUSE\n")) << tip.toStdString();
    EXPECT_TRUE(tip.contains(": battery 80 %")) << tip.toStdString();

    // Falling through 15 %: one notice, at 15, and none for the readings after it.
    for (int percent : {40, 16, 15, 14, 13, 15}) {
        Battery(percent, false);
    }
    ASSERT_TRUE(WaitFor([&] { return fake.summaries.size() == 1; }));
    EXPECT_EQ(fake.summaries.value(0), "Mouse battery low");
    EXPECT_TRUE(fake.bodies.value(0).contains("15 %")) << fake.bodies.value(0).toStdString();
    EXPECT_EQ(fake.icons.value(0), "com.halvorn.Q840Vex");
    EXPECT_TRUE(m_wnd->TrayToolTip().contains(": battery 15 %"));
    EXPECT_TRUE(WaitFor([&] { return sent.count() == 1; }));

    // Charging on its cable ends the discharge; the tooltip says so. The next fall is told again.
    m_bus->Plug(m_bus->Find(sim::kCableChannel));
    ASSERT_TRUE(WaitFor([&] {
        return MousePage() != nullptr && MousePage()->CommandProtocol().GetChannel() ==
                                             protocol::CDeviceProtocol::kPrimaryChannel;
    }));
    Battery(14, true);
    EXPECT_TRUE(m_wnd->TrayToolTip().contains(": battery 14 %, charging"))
        << m_wnd->TrayToolTip().toStdString();
    m_bus->Mouse()->SetBattery(12, false);  // what it reads once the cable is out
    m_bus->Unplug(m_bus->Find(sim::kCableChannel));
    ASSERT_TRUE(WaitFor([&] {
        return MousePage() != nullptr && MousePage()->CommandProtocol().GetChannel() ==
                                             protocol::CDeviceProtocol::kReceiverChannel;
    }));
    Battery(12, false);
    EXPECT_TRUE(WaitFor([&] { return fake.summaries.size() == 2; }));
    EXPECT_TRUE(fake.bodies.value(1).contains("12 %"));

    // The mouse going out of range and back within the discharge is not a new one.
    m_bus->Unplug(m_bus->Find(sim::kReceiverChannel));
    ASSERT_TRUE(WaitFor([&] { return MousePage() == nullptr; }));
    m_bus->Plug(m_bus->Find(sim::kReceiverChannel));
    ASSERT_TRUE(WaitFor([&] { return MouseShown(); }));
    Battery(11, false);
    notices.Notify("probe", "probe");  // queued behind anything the mouse could have raised
    ASSERT_TRUE(WaitFor([&] { return fake.summaries.size() == 3; }));
    EXPECT_EQ(fake.summaries.value(2), "probe");
    service.unregisterService("org.freedesktop.Notifications");
    QDBusConnection::disconnectFromBus("notification-service");
}

TEST(DesktopNotifications, WithoutAServiceOrABusANoticeIsDroppedAndNothingWaits) {
    ipc::test::PrivateSessionBus bus;
    ASSERT_TRUE(bus.Start());
    ipc::DesktopNotifications notices(QDBusConnection::connectToBus(bus.Address(), "lonely"));
    QSignalSpy dropped(&notices, &ipc::DesktopNotifications::dropped);
    QSignalSpy sent(&notices, &ipc::DesktopNotifications::notified);
    notices.Notify("Mouse battery low", "text");
    ASSERT_TRUE(WaitFor([&] { return dropped.count() == 1; }));
    EXPECT_EQ(dropped.at(0).at(0).toString(), "no service");
    EXPECT_EQ(sent.count(), 0);

    ipc::DesktopNotifications nowhere{QDBusConnection(QString())};
    QSignalSpy droppedToo(&nowhere, &ipc::DesktopNotifications::dropped);
    nowhere.Notify("Mouse battery low", "text");
    EXPECT_EQ(droppedToo.count(), 1);
}

}  // namespace

#include "TrayStatusTest.moc"
