#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/DisplayEvents.h"
#include "app/PowerEvents.h"
#include "app/PrivateMessages.h"
#include "app/RegisteredMessages.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CMenuWnd.h"
#include "windows/CMsgWnd.h"
#include "tests/support/WaitFor.h"

using namespace q840;

namespace {

class RecordingLink : public IProgramLink {
public:
    struct Sent {
        QString target;
        QString name;
        quint64 wParam;
        qint64 lParam;
        QByteArray data;
    };
    void Broadcast(const QString& name, quint64 w, qint64 l) override {
        broadcasts.push_back({{}, name, w, l, {}});
    }
    bool SendToWindow(const QString& title, const QString& name, quint64 w, qint64 l) override {
        sent.push_back({title, name, w, l, {}});
        return true;
    }
    bool CopyDataToWindow(const QString& title, quint64 dwData, const QByteArray& data) override {
        sent.push_back({title, {}, dwData, 0, data});
        return true;
    }
    std::vector<Sent> broadcasts;
    std::vector<Sent> sent;
};

class MainWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStaticMessages();
        RegisterActivateMessage();
        RegisterGuidMessages();
        ResourceSetup();
        m_wnd = std::make_unique<CMainWnd>();
        m_wnd->SetProgramLink(&m_link);
        // The offscreen platform has no notification area; these tests stand for a desktop
        // with one.
        m_wnd->SetTrayAvailabilitySource([this] { return m_trayAvailable; });
        ASSERT_TRUE(m_wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE"));
        QSignalSpy activated(m_wnd.get(), &CMainWnd::activated);
        m_wnd->show();
        ASSERT_TRUE(activated.wait(5000));
    }
    LRESULT Send(UINT msg, WPARAM w, LPARAM l) { return SendMessageW(m_wnd->GetHWND(), msg, w, l); }
    void Click(const char* name) {
        QTest::mouseClick(qobject_cast<QPushButton*>(m_wnd->FindControl(name)), Qt::LeftButton);
    }

    RecordingLink m_link;
    bool m_trayAvailable = true;
    std::unique_ptr<CMainWnd> m_wnd;
};

TEST_F(MainWndTest, StartsVisibleWithItsTitleBarAndTellsOthersItDrivesTheLighting) {
    EXPECT_TRUE(m_wnd->isVisible());
    for (const char* name : {"closebtn",
                             "minbtn",
                             "maxbtn",
                             "restorebtn",
                             "setbtn",
                             "skinbtn",
                             "gamemodebtn",
                             "cloudbtn",
                             "smarteyesbtn",
                             "control_light_status",
                             "device_select_layout",
                             "device_switch",
                             "device_power_switch",
                             "device_select_prev",
                             "device_select_next",
                             "deng_same_mode",
                             "No_device_Link",
                             "nodevice_ok_btn",
                             "str_test",
                             "setting_progress"}) {
        EXPECT_NE(m_wnd->FindControl(name), nullptr) << name;
    }
    EXPECT_TRUE(m_wnd->FindControl("maxbtn")->isHidden());
    ASSERT_EQ(m_link.broadcasts.size(), 1u);
    EXPECT_EQ(m_link.broadcasts[0].name, "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    EXPECT_EQ(m_link.broadcasts[0].wParam, 1u);
    EXPECT_EQ(m_link.broadcasts[0].lParam, 1);
    EXPECT_EQ(CMainWnd::MainHandle(), m_wnd->GetHWND());
    EXPECT_FALSE(m_wnd->FindControl("No_device_Link")->isHidden());  // nothing attached
    EXPECT_TRUE(m_wnd->FindControl("device_switch")->isHidden());
    Send(kMsgDeviceInfoValid, 1, 0);
    EXPECT_TRUE(m_wnd->FindControl("No_device_Link")->isHidden());
    EXPECT_FALSE(m_wnd->FindControl("device_switch")->isHidden());
}

TEST_F(MainWndTest, CloseButtonHidesToTheTrayAndTheTrayIconBringsItBack) {
    Click("closebtn");
    EXPECT_FALSE(m_wnd->isVisible());
    EXPECT_FALSE(m_wnd->IsDestroyed());  // still running in the tray
    Send(kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_TRUE(m_wnd->isVisible());
    Send(kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_FALSE(m_wnd->isVisible());
    // A second start's activation shows it again.
    Send(Messages().UWM_APP_ACTIVATE_MSG, 0, 1);
    EXPECT_TRUE(m_wnd->isVisible());
    // A minimised window counts as hidden: the tray click restores it.
    m_wnd->showMinimized();
    Send(kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_FALSE(m_wnd->isMinimized());
    EXPECT_TRUE(m_wnd->isVisible());
}

TEST_F(MainWndTest, WithoutATrayClosingMinimisesAndSaysOnceWhereTheWindowWent) {
    m_trayAvailable = false;
    int boxes = 0;
    QTimer answer;  // answers the message box as a user would
    QObject::connect(&answer, &QTimer::timeout, [&boxes] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<CMsgWnd*>(widget);
            if (box != nullptr && box->isVisible() && !box->IsDestroyed()) {
                ++boxes;
                QTest::mouseClick(qobject_cast<QPushButton*>(box->FindControl("confirm_btn")),
                                  Qt::LeftButton);
            }
        }
    });
    answer.start(20);
    Click("closebtn");
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(m_wnd->isVisible());
    EXPECT_TRUE(m_wnd->isMinimized());

    m_wnd->showNormal();
    Click("closebtn");
    EXPECT_EQ(boxes, 1);  // said once
    EXPECT_TRUE(m_wnd->isMinimized());

    // A tray that appears later takes the window again.
    m_trayAvailable = true;
    m_wnd->showNormal();
    Click("closebtn");
    EXPECT_FALSE(m_wnd->isVisible());
}

TEST_F(MainWndTest, TrayMenuExitEndsTheProgramWithCodeZero) {
    auto* exit = new ui::MenuCmd{"EXIT", "", "menu_exit", false};  // names compare without case
    PostMessageW(m_wnd->GetHWND(), kMsgMenuCommand, reinterpret_cast<WPARAM>(exit), 0);
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });  // a hang fails, not blocks
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(m_wnd->IsDestroyed());
    EXPECT_FALSE(m_wnd->isVisible());
}

TEST_F(MainWndTest, LightOwnershipFollowsRequestsAndTheSwitch) {
    const UINT request = Messages().UWM_LIGHT_OWNER_REQUEST_MSG;
    Send(request, 0, 0);  // wParam other than 1: ignored
    EXPECT_TRUE(m_wnd->IsLightControlled());
    Send(request, 1, 0);
    EXPECT_FALSE(m_wnd->IsLightControlled());
    Send(request, 1, 1);
    EXPECT_TRUE(m_wnd->IsLightControlled());
    const size_t before = m_link.broadcasts.size();
    Click("control_light_status");
    EXPECT_FALSE(m_wnd->IsLightControlled());
    ASSERT_EQ(m_link.broadcasts.size(), before + 1);
    EXPECT_EQ(m_link.broadcasts.back().lParam, 0);
}

TEST_F(MainWndTest, WhileAsleepTrayClicksAndTimersDoNothing) {
    Send(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    Send(kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_TRUE(m_wnd->isVisible());  // the toggle was ignored
    int restores = 0;
    m_wnd->SetGameLightHooks({[](WPARAM, LPARAM) {}, [&] { ++restores; }});
    m_wnd->SetGameLightRestoreMs(10);
    Send(Messages().Game_Start, 0, 3);  // ignored while asleep: no timer starts
    EXPECT_EQ(-1, m_wnd->TimerRemainingMs(kTimerGameLightRestore));
    EXPECT_EQ(restores, 0);
    Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    Send(kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_FALSE(m_wnd->isVisible());
}

TEST_F(MainWndTest, TitleBarButtonsAndMessage3093OpenTheAuxiliaryWindows) {
    int settings = 0, skin = 0;
    m_wnd->SetWindowOpeners({[&] { ++settings; }, [&] { ++skin; }, {}});
    Click("setbtn");
    Click("skinbtn");
    Send(kMsgOpenSettings, 0, 0);
    EXPECT_EQ(settings, 2);
    EXPECT_EQ(skin, 1);
    // The tray menu's settings entry, and the macro editor's menu commands.
    std::vector<QString> macroCommands;
    m_wnd->SetMacroMenuHandler([&](const QString& c) { macroCommands.push_back(c); });
    for (const char* name : {"setwnd_menu", "Left_Click", "redio_later_ignore_time", "nonsense"}) {
        Send(kMsgMenuCommand, reinterpret_cast<WPARAM>(new ui::MenuCmd{name, "", "", false}), 0);
    }
    EXPECT_EQ(settings, 3);
    EXPECT_EQ(macroCommands, (std::vector<QString>{"Left_Click", "redio_later_ignore_time"}));
    m_wnd->SetWindowOpeners({});
    Click("setbtn");  // no window yet: a debug line, nothing else
    EXPECT_TRUE(m_wnd->isVisible());
}

TEST_F(MainWndTest, InputHookMessagesGoToTheEditorsAndWaitWhileAsleep) {
    std::vector<std::pair<UINT, WPARAM>> macro;
    int keys = 0;
    m_wnd->SetInputHookHandlers({[&](WPARAM, LPARAM) { ++keys; },
                                 [&](UINT m, WPARAM w, LPARAM) { macro.emplace_back(m, w); }});
    const RegisteredMessages& m = Messages();
    Send(m.WM_HOOK_KEY_SINGLEKEY_MSG, 0, 0);
    Send(m.WM_HOOK_KEY_HITKEY_MSG, 0, 0);  // ignored
    Send(m.WM_HOOK_KEY_MSMACRO_MSG, 7, 0);
    Send(m.WM_HOOK_KEY_KBMACROLATER_MSG, 8, 0);
    Send(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    Send(m.WM_HOOK_KEY_KBMACRO_MSG, 9, 0);
    Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(keys, 1);
    EXPECT_EQ(macro, (std::vector<std::pair<UINT, WPARAM>>{{m.WM_HOOK_KEY_MSMACRO_MSG, 7},
                                                           {m.WM_HOOK_KEY_KBMACROLATER_MSG, 8}}));
}

TEST_F(MainWndTest, SleepAndWakeOfTheMachineReachTheWindowAsPowerMessages) {
    PowerEvents power(m_wnd->GetHWND());
    power.OnPrepareForSleep(true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_wnd->IsAwake());
    power.OnPrepareForSleep(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_wnd->IsAwake());
    // No system bus here, or one without logind: listening fails or stays silent, nothing breaks.
    power.Listen(QDBusConnection(QStringLiteral("not-connected")));
}

TEST_F(MainWndTest, GameMessagesKeepTheGameEffectUntilTheLastOnePlusTheDelay) {
    std::vector<std::pair<WPARAM, LPARAM>> applied;
    int restores = 0;
    m_wnd->SetGameLightHooks(
        {[&](WPARAM w, LPARAM l) { applied.emplace_back(w, l); }, [&] { ++restores; }});
    // A delay no test run reaches: the timer is watched, and fired by hand at the end.
    constexpr int kDelayMs = 60000;
    m_wnd->SetGameLightRestoreMs(kDelayMs);
    // Each message starts the delay again: the timer's remaining time goes back up.
    auto sendAfterTimePassed = [&](UINT msg, WPARAM w, LPARAM l) {
        const int before = m_wnd->TimerRemainingMs(kTimerGameLightRestore);
        ASSERT_TRUE(test::WaitFor([&] {
            return m_wnd->TimerRemainingMs(kTimerGameLightRestore) < before;
        }));
        Send(msg, w, l);
        EXPECT_GT(m_wnd->TimerRemainingMs(kTimerGameLightRestore), before - 1);
    };
    Send(Messages().Game_Start, 0, 5);
    ASSERT_GT(m_wnd->TimerRemainingMs(kTimerGameLightRestore), kDelayMs - 1000);
    sendAfterTimePassed(Messages().Game_Kill, 1, 6);
    sendAfterTimePassed(Messages().Game_Death, 2, 7);
    // wParam above 2: no effect change, the timer restarts
    sendAfterTimePassed(Messages().Game_End, 3, 8);
    EXPECT_EQ(restores, 0);  // each message pushed the restore back
    Send(WM_TIMER, kTimerGameLightRestore, 0);
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(-1, m_wnd->TimerRemainingMs(kTimerGameLightRestore)) << "restored once";
    EXPECT_EQ(applied, (std::vector<std::pair<WPARAM, LPARAM>>{{0, 5}, {1, 6}, {2, 7}}));
}

TEST_F(MainWndTest, WorkToolQueryIsAnsweredWithTheDeviceTable) {
    Send(Messages().UWM_WORKTOOL_QUERY_MSG, 0, 0);
    ASSERT_EQ(m_link.sent.size(), 1u);
    const RecordingLink::Sent& reply = m_link.sent[0];
    EXPECT_EQ(reply.target, "WorkTool");
    EXPECT_EQ(reply.wParam, 5u);  // dwData
    ASSERT_EQ(reply.data.size(), 1024);
    const auto* values = reinterpret_cast<const int32_t*>(reply.data.constData());
    const std::vector<int32_t> head(values, values + 17);
    EXPECT_EQ(head, (std::vector<int32_t>{2, 3, 0, 2, 4, 0x320F, 0x226E, 2, 0x320F, 0, 1, 0x320F,
                                          0x1004, 3, 0x0C76, 0x1630, 7}));
    for (int i = 17; i < 256; ++i) {
        ASSERT_EQ(values[i], 0) << i;
    }
}

TEST_F(MainWndTest, CopyDataIsCutToItsBufferAndOtherKindsAreIgnored) {
    std::vector<uint8_t> big(3000);
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<uint8_t>(i * 7);
    }
    COPYDATASTRUCT levels{1, static_cast<uint32_t>(big.size()), big.data()};
    Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&levels));
    const WorkToolBuffers& buffers = m_wnd->WorkTool();
    EXPECT_EQ(std::memcmp(buffers.levels.data(), big.data(), 2000), 0);
    EXPECT_EQ(buffers.command, (std::array<uint8_t, 24>{}));  // the neighbour is untouched

    COPYDATASTRUCT command{2, 100, big.data() + 500};
    Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&command));
    EXPECT_EQ(std::memcmp(buffers.command.data(), big.data() + 500, 24), 0);

    const auto before = buffers.command;
    COPYDATASTRUCT other{9, 100, big.data()};
    COPYDATASTRUCT empty{2, 0, big.data()};
    Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&other));
    Send(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&empty));
    EXPECT_EQ(buffers.command, before);
}

TEST_F(MainWndTest, ScaleFollowsTheMonitor) {
    m_wnd->SetMonitorSizeSource([] { return QSize(1920, 1080); });
    m_wnd->AdaptScale();
    EXPECT_EQ(m_wnd->UIScale(), 144);
    EXPECT_EQ(m_wnd->size(), QSize(1500, 960));
    m_wnd->SetMonitorSizeSource([] { return QSize(1500, 1000); });
    m_wnd->AdaptScale();
    EXPECT_EQ(m_wnd->UIScale(), 96);
    EXPECT_EQ(m_wnd->size(), QSize(1000, 640));
    EXPECT_GT(m_wnd->maximumWidth(), 4000);  // a change of scale never pins the window's size
}

TEST_F(MainWndTest, ResolutionAndDpiChangesOfTheScreenRescaleTheWindow) {
    QSize monitor(1920, 1080);
    m_wnd->SetMonitorSizeSource([&monitor] { return monitor; });
    m_wnd->AdaptScale();
    ASSERT_EQ(m_wnd->size(), QSize(1500, 960));
    DisplayEvents display(m_wnd->GetHWND(), m_wnd.get());
    QScreen* screen = m_wnd->screen();
    ASSERT_NE(screen, nullptr);

    // 1920x1080 becomes 1280x720: the window must fit the smaller screen at once.
    monitor = QSize(1280, 720);
    emit screen->geometryChanged(QRect(0, 0, 1280, 720));
    emit screen->availableGeometryChanged(QRect(0, 0, 1280, 720));
    QTRY_COMPARE_WITH_TIMEOUT(m_wnd->size(), QSize(1000, 640), 5000);
    EXPECT_EQ(m_wnd->UIScale(), 96);

    // A new logical DPI of the window's screen takes the window to the suggested rectangle.
    const QRect before = m_wnd->geometry();
    emit screen->logicalDotsPerInchChanged(120);
    QTRY_COMPARE_WITH_TIMEOUT(m_wnd->UIScale(), 120, 5000);
    EXPECT_EQ(m_wnd->size(), QSize(1250, 800));
    EXPECT_EQ(DisplayEvents::SuggestedRect(before, 96, 120).size(), QSize(1250, 800));
}

TEST_F(MainWndTest, AboutMenuOpensTheAboutWindowAndExitClosesIt) {
    bool sawAbout = false;
    ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase& window) {
        sawAbout = m_wnd->AboutHandle() == window.GetHWND();
        return 0;
    });
    Send(kMsgMenuCommand, reinterpret_cast<WPARAM>(new ui::MenuCmd{"about_menu", "", "", false}),
         0);
    ui::ModalSeam::SetAnswerer(nullptr);
    EXPECT_TRUE(sawAbout);
    EXPECT_EQ(m_wnd->AboutHandle(), nullptr);  // cleared once it closed
}

TEST_F(MainWndTest, IndexedControlsReachTheirAreaWithTheirIndex) {
    std::vector<int> keyIndices;
    m_wnd->Router().SetHandler(RouteArea::KeyEditor, [&](ui::TNotifyUI&, const IndexedName& n) {
        keyIndices.push_back(n.index);
        return true;
    });
    ui::CDialogBuilder builder;
    std::unique_ptr<QWidget> extra(builder.CreateFromText(
        R"(<HorizontalLayout><Button name="key_12"/><Button name="key_"/>
             <Slider name="zelta_DPI_slider_2" min="200" max="6500"/><Edit name="zelta_DPI_edit_2"/>
             <Slider name="R_light_slider" max="255"/><Label name="R_light_label"/>
           </HorizontalLayout>)",
        nullptr, &m_wnd->PaintManager(), m_wnd->FindControl("device_area")));
    ASSERT_NE(extra, nullptr);
    QTest::mouseClick(m_wnd->PaintManager().FindControl<QPushButton>("key_12"), Qt::LeftButton);
    QTest::mouseClick(m_wnd->PaintManager().FindControl<QPushButton>("key_"), Qt::LeftButton);
    EXPECT_EQ(keyIndices, (std::vector<int>{12, 0}));

    // The main window's own DPI pair: the edit is limited to 200..6500 and drives the slider.
    auto* edit = m_wnd->PaintManager().FindControl<QLineEdit>("zelta_DPI_edit_2");
    auto* slider = m_wnd->PaintManager().FindControl<QSlider>("zelta_DPI_slider_2");
    edit->setText("99999");
    m_wnd->PaintManager().SendNotify(edit, "killfocus");
    EXPECT_EQ(edit->text(), "6500");
    EXPECT_EQ(slider->value(), 6500);
    m_wnd->PaintManager().SendNotify(slider, "movevaluechanged", 1234);
    EXPECT_EQ(edit->text(), "1234");
    m_wnd->PaintManager().SendNotify(m_wnd->FindControl("R_light_slider"), "valuechanged", 77);
    EXPECT_EQ(m_wnd->PaintManager().FindControl<QLabel>("R_light_label")->text(), "R 77");
}

}  // namespace

namespace {
TEST_F(MainWndTest, LanguageChoiceSwitchesEveryTextAndIsStored) {
    auto* hint = qobject_cast<QLabel*>(m_wnd->FindControl("nodevice_text"));
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(m_wnd->LanguageIndex(), 0);  // nothing stored: the first language of the list
    const QString english = hint->text();
    Send(kMsgLanguageChosen, 1, 0);
    EXPECT_EQ(m_wnd->LanguageIndex(), 1);
    EXPECT_NE(hint->text(), english);
    EXPECT_EQ(hint->text(), QString::fromUtf8("请插入鼠标或其接收器"));
    Send(kMsgLanguageChosen, 7, 0);  // not in the list: nothing changes
    EXPECT_EQ(m_wnd->LanguageIndex(), 1);
    Send(kMsgLanguageChosen, 0, 0);
    EXPECT_EQ(hint->text(), english);
}
}  // namespace

// A page with an entry in the device strip: what the main window asks of the current page.
namespace {
class RecordingPage : public pages::COrvenixUSBDevice {
public:
    void LoadDefaultProfile() override { calls << "LoadDefaultProfile"; }
    int ApplyKeys(int bank) override {
        calls << QString("ApplyKeys %1").arg(bank);
        return 1;
    }
    int WriteSettingsBlock(int w, int h) override {
        calls << QString("WriteSettingsBlock %1 %2").arg(w).arg(h);
        return 1;
    }
    QStringList calls;
};

class MainWndPageTest : public MainWndTest {
protected:
    void SetUp() override {
        MainWndTest::SetUp();
        m_page = new RecordingPage();
        // Built from the skin's entry layout, as the device list does.
        ui::CDialogBuilder builder;
        m_entry = qobject_cast<entry::CDeviceOptionUI*>(
            builder.Create(QString::fromLatin1(entry::CDeviceOptionUI::kLayoutFile), nullptr,
                           &m_wnd->PaintManager(), nullptr));
        ASSERT_NE(m_entry, nullptr);
        m_wnd->FindControl("device_select_layout")->layout()->addWidget(m_entry);
        m_entry->SetPage(m_page);
        m_entry->SetEntryVisible(true);
        m_entry->SelectEntry(true);
    }
    void TearDown() override {
        if (m_entry != nullptr) {
            m_entry->SetPage(nullptr);
        }
        delete m_page;
        ui::ModalSeam::SetAnswerer(nullptr);
    }
    RecordingPage* m_page = nullptr;
    entry::CDeviceOptionUI* m_entry = nullptr;
};

TEST_F(MainWndPageTest, TheCurrentPageIsTheVisibleSelectedEntrysPage) {
    EXPECT_EQ(m_wnd->CurrentPage(), m_page);
    m_entry->SelectEntry(false);
    EXPECT_EQ(m_wnd->CurrentPage(), nullptr);
    m_entry->SelectEntry(true);
    m_entry->SetEntryVisible(false);
    EXPECT_EQ(m_wnd->CurrentPage(), nullptr);
}

TEST_F(MainWndPageTest, RestoringDefaultsAsksFirstThenResetsTheCurrentPage) {
    QStringList asked;
    ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase& box) {
        asked << box.objectName();
        return 0;  // Cancel
    });
    m_wnd->PaintManager().SendNotify(m_wnd->FindControl("closebtn"), "click");  // hides
    Send(kMsgTrayIcon, 0, WM_LBUTTONUP);                                        // back
    QPushButton button;
    button.setObjectName("default_btn");
    m_wnd->PaintManager().SendNotify(&button, "click");
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(m_page->calls.isEmpty());
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 1; });  // OK
    m_wnd->PaintManager().SendNotify(&button, "click");
    const QSize screen = m_wnd->ScreenSize();
    EXPECT_EQ(m_page->calls,
              QStringList(
                  {"LoadDefaultProfile", "ApplyKeys 0",
                   QString("WriteSettingsBlock %1 %2").arg(screen.width()).arg(screen.height())}));
}

TEST_F(MainWndPageTest, FirmwareCheckAsksForOldFirmwareAndStartsTheUpgradeProgram) {
    QStringList launched;
    m_wnd->SetLauncher([&](const QString& program, const QStringList& args, const QString& folder) {
        launched << program << args.join(' ') << folder;
        return true;
    });
    int asked = 0;
    ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase&) {
        ++asked;
        return 1;
    });
    Send(kMsgFirmwareCheck, 0, 294);  // new enough: nothing to ask
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(m_wnd->IsDeviceInfoValid());
    Send(kMsgFirmwareCheck, 0, 293);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(m_wnd->IsDeviceInfoValid());
    EXPECT_TRUE(m_page->GetUpgradeRequest());
    ASSERT_EQ(launched.size(), 3);
    EXPECT_TRUE(launched[0].endsWith("/Update/q840update"));
    EXPECT_EQ(launched[1], "On the upgrade");
    EXPECT_TRUE(launched[2].endsWith("/Update"));
    EXPECT_FALSE(m_wnd->FindControl("No_device_Link")->isHidden());
    Send(kMsgFirmwareCheck, 0, 300);
    EXPECT_FALSE(m_page->GetUpgradeRequest());

    // Declining ends the program.
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 0; });
    Send(kMsgFirmwareCheck, 0, 100);
    EXPECT_TRUE(m_wnd->IsDestroyed());
}

TEST_F(MainWndPageTest, HidingTheWindowPausesThePages) {
    Click("closebtn");
    EXPECT_TRUE(m_page->GetHiddenFlag());
    Send(kMsgTrayIcon, 0, WM_LBUTTONUP);
    EXPECT_FALSE(m_page->GetHiddenFlag());
}
}  // namespace
