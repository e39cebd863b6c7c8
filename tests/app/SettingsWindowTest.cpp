// The settings window with the real main window over the simulated mouse: where it opens, the
// versions it lists, the language chosen in it, the update progress the main window passes on
// (played by the simulator's stand-in update process), and the start hidden in the tray.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <set>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "app/UpdateStandIn.h"
#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/AppSettings.h"
#include "tests/support/WaitFor.h"
#include "windows/CSetWnd.h"
#include "windows/CSkinFrame.h"
#include "windows/SkinChoice.h"

using namespace q840;
using q840::test::WaitFor;

namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStaticMessages();
        RegisterActivateMessage();
        RegisterGuidMessages();
        ResourceSetup();
        sim::DemoOptions cableOnly;
        cableOnly.cable = true;
        cableOnly.receiver = cableOnly.mousePad = cableOnly.headset = false;
        hid::SetHidBackend(sim::MakeDemoBus(cableOnly));
        QFile::remove(AppSettings::ConfigFile());
        m_wnd = std::make_unique<CMainWnd>();
        m_wnd->SetTrayAvailabilitySource([] { return true; });
    }
    void Start() {
        ASSERT_TRUE(m_wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE"));
        QSignalSpy activated(m_wnd.get(), &CMainWnd::activated);
        m_wnd->show();
        ASSERT_TRUE(activated.wait(5000));
        ASSERT_TRUE(WaitFor([&] {
            const auto& entries = m_wnd->Devices().Entries();
            return m_wnd->FirstReadsDone() && !entries.empty() && entries[0]->GetPage() &&
                   entries[0]->GetPage()->CommandProtocol().IsOpen();
        }));
    }
    void TearDown() override {
        ui::ModalSeam::SetAnswerer(nullptr);
        if (m_wnd && !m_wnd->IsDestroyed()) {
            m_wnd->Close();
        }
        m_wnd.reset();
        hid::SetHidBackend(nullptr);
    }
    // Opens the settings window the way `open` does and hands it to `look` while it runs.
    void WithSettings(const std::function<void()>& open,
                      const std::function<void(CSetWnd&)>& look) {
        bool seen = false;
        ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase& window) {
            auto* settings = dynamic_cast<CSetWnd*>(&window);
            EXPECT_NE(settings, nullptr);
            if (settings != nullptr) {
                seen = true;
                EXPECT_EQ(m_wnd->SettingsHandle(), settings->GetHWND());
                look(*settings);
            }
            return 0;
        });
        open();
        ui::ModalSeam::SetAnswerer(nullptr);
        EXPECT_TRUE(seen) << "no settings window opened";
        EXPECT_EQ(m_wnd->SettingsHandle(), nullptr);
    }
    void Click(QWidget* button) {
        QTest::mouseClick(qobject_cast<QPushButton*>(button), Qt::LeftButton);
    }

    std::unique_ptr<CMainWnd> m_wnd;
};

TEST_F(SettingsWindowTest, BesideTheWindowFromItsButtonCentredFromTheMenuWithTheVersions) {
    Start();
    WithSettings([&] { Click(m_wnd->FindControl("setbtn")); },
                 [&](CSetWnd& settings) {
                     const QRect main = m_wnd->geometry();
                     EXPECT_EQ(settings.pos(),
                               QPoint(main.right() + 1 - settings.width() - 30, main.top() + 60));
                     // The mouse (its device's version) and the program (its table text).
                     ASSERT_EQ(settings.RowCount(), 2);
                     EXPECT_EQ(settings.Row(0)->GetName(), "MS");
                     EXPECT_EQ(settings.Row(0)->GetOldVersion(), "V0100");
                     EXPECT_EQ(settings.Row(1)->GetName(), "AP");
                     EXPECT_EQ(settings.Row(1)->GetOldVersion(), "V0100");
                 });
    WithSettings(
        [&] {
            SendMessageW(m_wnd->GetHWND(), kMsgMenuCommand,
                         reinterpret_cast<WPARAM>(new ui::MenuCmd{"setwnd_menu", "", "", false}),
                         0);
        },
        [&](CSetWnd& settings) {
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            EXPECT_NEAR(settings.geometry().center().x(), screen.center().x(), 1);
            EXPECT_NEAR(settings.geometry().center().y(), screen.center().y(), 1);
        });
    // Progress with no settings window open goes nowhere, and nothing breaks.
    SendMessageW(m_wnd->GetHWND(), Messages().UWM_UPDATE_PROGRESS_MSG, 4, 57);
}

TEST_F(SettingsWindowTest, TheLanguageChosenThereIsAppliedAndStoredAndTheSameOneWritesNothing) {
    Start();
    EXPECT_EQ(m_wnd->LanguageIndex(), 0);
    WithSettings([&] { SendMessageW(m_wnd->GetHWND(), kMsgOpenSettings, 0, 0); },
                 [&](CSetWnd& settings) {
                     auto* combo =
                         qobject_cast<QComboBox*>(settings.FindControl("Language_combox_info"));
                     ASSERT_NE(combo, nullptr);
                     EXPECT_EQ(combo->currentIndex(), 0);
                     combo->setCurrentIndex(1);
                     emit combo->activated(1);
                     EXPECT_EQ(m_wnd->LanguageIndex(), 1);
                     EXPECT_EQ(QSettings(AppSettings::ConfigFile(), QSettings::IniFormat)
                                   .value("LANGUAGE")
                                   .toUInt(),
                               2052u);
                     // The window's own texts followed.
                     auto* title = qobject_cast<QLabel*>(settings.FindControl("set_title"));
                     EXPECT_EQ(title->text(), QString::fromUtf8("设置"));
                     // The language that is on already: nothing is written.
                     QFile::remove(AppSettings::ConfigFile());
                     emit combo->activated(1);
                     EXPECT_FALSE(QFile::exists(AppSettings::ConfigFile()));
                     combo->setCurrentIndex(0);
                     emit combo->activated(0);
                 });
    EXPECT_EQ(m_wnd->LanguageIndex(), 0);
}

TEST_F(SettingsWindowTest, TheStandInUpdateWalksTheMouseRowThroughDownloadAndUpdate) {
    Start();
    UpdateStandIn standIn(m_wnd->GetHWND(), Messages().UWM_UPDATE_PROGRESS_MSG);
    standIn.SetStepMs(2);
    m_wnd->SetUpdateStandIn(&standIn);
    WithSettings([&] { SendMessageW(m_wnd->GetHWND(), kMsgOpenSettings, 0, 0); },
                 [&](CSetWnd& settings) {
                     windows::CUpdateInfoListItemUI* mouse = settings.Row(0);
                     ASSERT_NE(mouse, nullptr);
                     EXPECT_EQ(mouse->GetState(), 1);
                     EXPECT_EQ(mouse->GetNewVersion(), "V0101");
                     EXPECT_EQ(settings.GetStatus(), CSetWnd::kHaveUpdate);
                     QTest::mouseClick(mouse->Option(), Qt::LeftButton);
                     Click(settings.FindControl("update_fw_and_ap"));
                     Click(settings.FindControl("update_OK_btn"));
                     std::set<int> seen;
                     ASSERT_TRUE(WaitFor([&] {
                         seen.insert(mouse->GetState());
                         return mouse->GetState() == 7;
                     }));
                     EXPECT_TRUE(seen.count(4) && seen.count(6)) << "no download or update seen";
                     EXPECT_EQ(mouse->GetOldVersion(), "V0101");
                     EXPECT_EQ(settings.GetStatus(), CSetWnd::kLatest);
                     EXPECT_FALSE(standIn.IsRunning());
                 });
    m_wnd->SetUpdateStandIn(nullptr);
}

TEST_F(SettingsWindowTest, StartedHiddenItStaysInTheTrayUntilItIsActivatedAgain) {
    m_wnd->SetStartHidden(true);
    ASSERT_TRUE(m_wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE"));
    QSignalSpy activated(m_wnd.get(), &CMainWnd::activated);
    m_wnd->show();
    ASSERT_TRUE(activated.wait(5000));
    EXPECT_FALSE(m_wnd->isVisible());
    // The mouse found at start-up and the end of the first scan leave it in the tray.
    ASSERT_TRUE(WaitFor([&] {
        const auto& entries = m_wnd->Devices().Entries();
        return m_wnd->FirstReadsDone() && !entries.empty() && entries[0]->GetPage() &&
               entries[0]->GetPage()->CommandProtocol().IsOpen() && !m_wnd->IsStartingHidden();
    }));
    EXPECT_FALSE(m_wnd->isVisible());
    // The tray icon (or a second start) brings it as usual.
    SendMessageW(m_wnd->GetHWND(), Messages().UWM_APP_ACTIVATE_MSG, 0, 1);
    EXPECT_TRUE(m_wnd->isVisible());
}

}  // namespace

namespace {

TEST_F(SettingsWindowTest, TheBackgroundChosenLastTimeComesBackAndTheSkinPopUpChangesIt) {
    windows::SkinChangedParam dusk;
    dusk.image = "skins/dusk.svg";
    ASSERT_TRUE(windows::WriteSkinChoice(dusk, false));
    Start();
    QWidget* root = m_wnd->FindControl("root");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->property("dui_bkimage").toString(), "skins/dusk.svg");

    Click(m_wnd->FindControl("skinbtn"));
    CSkinFrame* frame = m_wnd->SkinFrame();
    ASSERT_NE(frame, nullptr);
    QPushButton* first = nullptr;
    for (QPushButton* button : frame->findChildren<QPushButton*>("skin_image_btn")) {
        first = first != nullptr ? first : button;
    }
    ASSERT_NE(first, nullptr);
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(root->property("dui_bkimage").toString(), "skins/carbon.svg");
    QFile::remove(windows::MainIniPath());
}

}  // namespace
