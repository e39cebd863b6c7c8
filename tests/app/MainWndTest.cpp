#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "platform/base/RegisteredMessage.h"
#include "platform/ui/CMenuWnd.h"

using namespace q840;

namespace {

struct Broadcast {
    QString name;
    quint64 wParam;
    qint64 lParam;
};

class MainWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStaticMessages();
        RegisterActivateMessage();
        RegisterGuidMessages();
        ResourceSetup();
        m_wnd = std::make_unique<CMainWnd>();
        m_wnd->SetBroadcaster([this](const QString& name, quint64 w, qint64 l) {
            m_broadcasts.push_back({name, w, l});
        });
        ASSERT_TRUE(m_wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE"));
        QSignalSpy activated(m_wnd.get(), &CMainWnd::activated);
        m_wnd->show();
        ASSERT_TRUE(activated.wait(5000));
    }
    std::unique_ptr<CMainWnd> m_wnd;
    std::vector<Broadcast> m_broadcasts;
};

TEST_F(MainWndTest, StartsVisibleWithItsTitleBarAndTellsOthersItDrivesTheLighting) {
    EXPECT_TRUE(m_wnd->isVisible());
    for (const char* name : {"closebtn", "minbtn", "setbtn", "skinbtn", "control_light_status",
                             "device_select_layout", "No_device_Link", "str_test"}) {
        EXPECT_NE(m_wnd->FindControl(name), nullptr) << name;
    }
    EXPECT_TRUE(m_wnd->FindControl("maxbtn")->isHidden());
    ASSERT_EQ(m_broadcasts.size(), 1u);
    EXPECT_EQ(m_broadcasts[0].name, "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    EXPECT_EQ(m_broadcasts[0].wParam, 1u);
    EXPECT_EQ(m_broadcasts[0].lParam, 1);
    EXPECT_EQ(CMainWnd::MainHandle(), m_wnd->GetHWND());
}

TEST_F(MainWndTest, CloseButtonHidesToTheTrayAndTheTrayIconBringsItBack) {
    QTest::mouseClick(qobject_cast<QPushButton*>(m_wnd->FindControl("closebtn")), Qt::LeftButton);
    EXPECT_FALSE(m_wnd->isVisible());
    EXPECT_FALSE(m_wnd->IsDestroyed());  // still running in the tray
    SendMessageW(m_wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_TRUE(m_wnd->isVisible());
    SendMessageW(m_wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_FALSE(m_wnd->isVisible());
    // A second start's activation shows it again.
    SendMessageW(m_wnd->GetHWND(), Messages().UWM_APP_ACTIVATE_MSG, 0, 1);
    EXPECT_TRUE(m_wnd->isVisible());
}

TEST_F(MainWndTest, TrayMenuExitEndsTheWindow) {
    auto* exit = new ui::MenuCmd{"exit", "", "menu_exit", false};
    SendMessageW(m_wnd->GetHWND(), kMsgMenuCommand, reinterpret_cast<WPARAM>(exit), 0);
    EXPECT_TRUE(m_wnd->IsDestroyed());
    EXPECT_FALSE(m_wnd->isVisible());
}

TEST_F(MainWndTest, LightOwnershipFollowsRequestsAndTheSwitch) {
    const UINT request = Messages().UWM_LIGHT_OWNER_REQUEST_MSG;
    SendMessageW(m_wnd->GetHWND(), request, 0, 0);  // wParam other than 1: ignored
    EXPECT_TRUE(m_wnd->IsLightControlled());
    SendMessageW(m_wnd->GetHWND(), request, 1, 0);
    EXPECT_FALSE(m_wnd->IsLightControlled());
    SendMessageW(m_wnd->GetHWND(), request, 1, 1);
    EXPECT_TRUE(m_wnd->IsLightControlled());
    const size_t before = m_broadcasts.size();
    QTest::mouseClick(qobject_cast<QPushButton*>(m_wnd->FindControl("control_light_status")),
                      Qt::LeftButton);
    EXPECT_FALSE(m_wnd->IsLightControlled());
    ASSERT_EQ(m_broadcasts.size(), before + 1);
    EXPECT_EQ(m_broadcasts.back().lParam, 0);
}

TEST_F(MainWndTest, WhileAsleepOnlyPowerAndActivationMessagesAreHandled) {
    SendMessageW(m_wnd->GetHWND(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessageW(m_wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_TRUE(m_wnd->isVisible());  // the toggle was ignored
    SendMessageW(m_wnd->GetHWND(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    SendMessageW(m_wnd->GetHWND(), kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_FALSE(m_wnd->isVisible());
}

}  // namespace
