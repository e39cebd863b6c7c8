// Recording a macro as a user does it: the real main window over the simulated mouse, the record
// buttons and menu items chosen, keys and buttons coming from an input source the test drives
// (the X11 source itself is tested against a real X server in tests/input). What matters is the
// steps in the editor and the file, the delays, what is locked meanwhile, and what the mouse gets.
#include <gtest/gtest.h>

#include <json/json.h>
#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

#include "controls/CDeviceProfileUI.h"
#include "core/macro/MacroRecorder.h"
#include "core/profile/CBasicProfiledata.h"
#include "core/profile/JsonFileStore.h"
#include "editors/CMacroControlUI.h"
#include "platform/input/CTestInputSource.h"
#include "tests/app/MouseWindowFixture.h"

using namespace q840;
using input::CTestInputSource;

namespace {

// Set-1 codes.
constexpr uint32_t kA = 0x1E, kB = 0x30, kC = 0x2E, kQ = 0x10, kX = 0x2D, kCaps = 0x3A;

class RecordingTest : public test::MouseWindowTest {
protected:
    void SetUp() override {
        test::MouseWindowTest::SetUp();
        macro::RecordFilters::Shared().Reset();
        m_wnd->InputHook().SetSourceFactory([this](std::string*) {
            auto source = std::make_unique<CTestInputSource>();
            m_source = source.get();
            return source;
        });
        m_wnd->Macros().SetTickSource([this] { return m_tick; });
        Page()->ShowFunctionPanel(3);  // the Macros tab: the stop button is on the screen
        Click("macro_btn_name_add");
        ASSERT_EQ(Editor()->GetSelectedMacro(), 0);
    }
    editors::CMacroControlUI* Editor() { return Page()->GetMacroEditor(); }
    QWidget* Control(const char* name) {
        QWidget* control = Editor()->findChild<QWidget*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const char* name) {
        m_wnd->PaintManager().SendNotify(Control(name), ui::notify::kClick);
    }
    // A key pressed and released `ms` later, the clock moving on.
    void Tap(uint32_t scan, uint32_t ms = 10) {
        m_source->Press(scan);
        m_tick += ms;
        m_source->Release(scan);
        m_tick += ms;
    }
    // The editor's rows as "Type/Action/Button/Delay field".
    QStringList Rows() {
        QStringList rows;
        for (int i = 0; i < Editor()->StepCount(); ++i) {
            const macro::MacroEvent step = Editor()->StepAt(i);
            rows << QString("%1/%2/%3/%4")
                        .arg(step.type)
                        .arg(QString::fromStdString(step.action))
                        .arg(step.button)
                        .arg(Editor()->DelayTextAt(i));
        }
        return rows;
    }
    QStringList FileSteps() {
        QStringList steps;
        const Json::Value file =
            profile::JsonFileStore().ReadJsonFile(Editor()->Store().MacroFilePath(0));
        for (const Json::Value& e : file["Events"]) {
            steps << QString("%1/%2/%3/%4")
                         .arg(e["Type"].asInt())
                         .arg(QString::fromStdString(e["Action"].asString()))
                         .arg(e["Button"].asInt())
                         .arg(QString::fromStdString(e["Delay"].asString()));
        }
        return steps;
    }
    QPoint StopButtonCentre() { return Editor()->StopButtonScreenRect().center(); }
    bool Locked() {
        return !Control("macro_btn_starredio")->isVisible() &&
               Control("macro_btn_stopredio")->isVisible() &&
               !Control("macro_tab_macroaction_edit")->isEnabled() &&
               !Control("macro_tab_macrodelay_edit")->isEnabled() &&
               !m_wnd->FindControl("device_select_layout")->isEnabled() &&
               !Page()->GetProfileBar()->isEnabled();
    }
    bool Unlocked() {
        return Control("macro_btn_starredio")->isVisible() &&
               !Control("macro_btn_stopredio")->isVisible() &&
               Control("macro_tab_macroaction_edit")->isEnabled() &&
               Control("macro_tab_macrodelay_edit")->isEnabled() &&
               m_wnd->FindControl("device_select_layout")->isEnabled() &&
               Page()->GetProfileBar()->isEnabled();
    }

    CTestInputSource* m_source = nullptr;
    uint32_t m_tick = 1000;
};

TEST_F(RecordingTest, AppendRecordsKeysAndClicksWithMeasuredDelaysAndTheMouseGetsThem) {
    // A key of the mouse plays macro 0, so the recording reaches the mouse.
    profile::CBasicProfiledata* data = Page()->GetProfileData();
    auto pairs = data->GetKeyAssignments();
    pairs.at(3).current.SetCode(0x700000);
    data->WriteKeyAssignments(pairs);
    Page()->SaveProfile();

    Click("macro_btn_starredio");
    ASSERT_NE(m_source, nullptr);
    ASSERT_TRUE(m_source->IsStarted());
    EXPECT_TRUE(m_source->KeysWanted() && m_source->MouseWanted());
    EXPECT_EQ(m_wnd->InputHook().GetMode(), 4);
    EXPECT_TRUE(Locked());
    EXPECT_TRUE(Control("macro_record_hint")->isVisible());

    m_tick += 100;
    m_source->Press(kA);
    for (int i = 0; i < 5; ++i) {
        m_tick += 30;
        m_source->Press(kA);  // auto-repeat
    }
    m_tick += 100;  // 250 ms after the first press
    m_source->Press(kB);
    m_tick += 50;
    m_source->Release(kA);
    m_tick += 50;
    m_source->Release(kB);
    m_source->Press(0x5D, true);                  // App (extended)
    m_source->Key(input::kKeyDown, 0x59, false);  // no key of the table: dropped
    m_source->Release(0x5D, true);
    // Right Ctrl is a modifier step; the E0 flag tells it from left Ctrl.
    m_source->Press(0x1D, true);
    m_source->Release(0x1D, true);
    // A right click on the stop button is recorded, the left click that stops is not.
    const QPoint stop = StopButtonCentre();
    ASSERT_FALSE(stop.isNull());
    m_source->Mouse(input::kRightDown, stop.x(), stop.y());
    m_source->Mouse(input::kRightUp, stop.x(), stop.y());
    m_source->Mouse(input::kExtraDown, 5, 5, input::kExtraForward);
    m_source->Mouse(input::kExtraDown, 5, 5, input::kExtraBack);  // same message: dropped
    m_source->Mouse(input::kExtraUp, 5, 5, input::kExtraBack);
    m_source->Mouse(input::kLeftDown, stop.x(), stop.y());
    m_source->Mouse(input::kLeftUp, stop.x(), stop.y());
    EXPECT_EQ(Rows(), (QStringList{"10/down/4/250", "10/down/5/50", "10/up/4/50", "10/up/5/0",
                                   "10/down/101/0", "10/up/101/0", "9/down/16/0", "9/up/16/0",
                                   "1/down/2/0", "1/up/2/0", "1/down/16/0", "1/up/8/0"}));
    Click("macro_btn_stopredio");
    EXPECT_FALSE(m_source->IsStarted());
    EXPECT_TRUE(Unlocked());
    EXPECT_FALSE(Control("macro_record_hint")->isVisible());
    EXPECT_EQ(FileSteps().size(), 12);
    EXPECT_EQ(FileSteps().front(), "10/down/4/250");
    // The mouse's macro area holds the steps: A pressed, 250 ms.
    const std::vector<uint8_t> area = m_mouse->MacroArea();
    const uint8_t aDown[] = {250, 0, 0x8A, 0x04};
    EXPECT_NE(std::search(area.begin(), area.end(), std::begin(aDown), std::end(aDown)),
              area.end());
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('|').toStdString();

    // C held over the stop: the next recording in the same place drops its first press, and
    // its step before it gets the time since this recording began.
    Click("macro_btn_starredio");
    m_source->Press(kC);
    Click("macro_btn_stopredio");
    Click("macro_btn_deleteall");
    Click("macro_btn_starredio");
    m_tick += 40;
    m_source->Press(kC);
    m_source->Release(kC);
    m_source->Press(kC);
    EXPECT_EQ(Rows(), (QStringList{"10/up/6/0", "10/down/6/0"}));
    // Caps Lock is a key like the others for the recorder.
    m_tick += 40;
    Tap(kCaps);
    EXPECT_EQ(Rows().mid(1), (QStringList{"10/down/6/40", "10/down/57/10", "10/up/57/0"}));
    Click("macro_btn_stopredio");
}

TEST_F(RecordingTest, FixedAndNoDelaysTheStepLimitAndTheOtherPositions) {
    // Fixed delay: 70000 is more than a step carries.
    qobject_cast<QAbstractButton*>(Control("macro_check_time"))->setChecked(true);
    auto* fixed = qobject_cast<QLineEdit*>(Control("macro_fixed_time_edit"));
    fixed->setText("70000");
    Click("macro_btn_starredio");
    EXPECT_EQ(fixed->text(), "65535");
    EXPECT_EQ(fixed->cursorPosition(), 5);
    Tap(kA);
    EXPECT_EQ(Rows(), (QStringList{"10/down/4/65535", "10/up/4/65535"}));
    // 58 steps at most while recording; the stop still saves them.
    for (int i = 0; i < 40; ++i) {
        Tap(kB);
    }
    EXPECT_EQ(Editor()->StepCount(), 58);
    Click("macro_btn_stopredio");
    EXPECT_EQ(FileSteps().size(), 58);

    // No delays, after the selected step: the step before takes 0.
    Click("macro_btn_deleteall");
    qobject_cast<QAbstractButton*>(Control("macro_check_time"))->setChecked(false);
    // Inserted steps now take the fixed delay the recording read.
    m_wnd->Macros().HandleMenu("left_click");
    Editor()->SelectStep(0);
    m_wnd->Macros().HandleMenu("redio_later_ignore_time");
    EXPECT_EQ(m_wnd->InputHook().GetMode(), 16);
    m_tick += 500;
    Tap(kX);
    EXPECT_EQ(Rows(), (QStringList{"1/down/1/0", "10/down/27/0", "10/up/27/0", "1/up/1/65535"}));
    Click("macro_btn_stopredio");

    // Before the selected step, measured: the selection stays on the step it was on.
    Editor()->SelectStep(3);
    m_wnd->Macros().HandleMenu("redio_previous_record_time");
    EXPECT_EQ(m_wnd->InputHook().GetMode(), 8);
    m_tick += 70;
    m_source->Press(kQ);
    EXPECT_EQ(Editor()->SelectedStep(), 4);
    EXPECT_EQ(Rows().mid(2), (QStringList{"10/up/27/70", "10/down/20/0", "1/up/1/65535"}));
    Click("macro_btn_stopredio");

    // Replace: nothing selected, nothing changes; a selected press becomes a press of Q.
    Editor()->SelectStep(-1);
    m_wnd->Macros().HandleMenu("macro_action_edit");
    EXPECT_EQ(m_wnd->InputHook().GetMode(), 32);
    const QStringList before = Rows();
    Tap(kQ);
    EXPECT_EQ(Rows(), before);
    Click("macro_btn_stopredio");
    Editor()->SelectStep(1);
    m_wnd->Macros().HandleMenu("macro_action_edit");
    Tap(kQ);
    EXPECT_EQ(Rows().at(1), "10/down/20/0");
    m_source->Mouse(input::kRightDown, 1, 1);
    EXPECT_EQ(Rows().at(1), "1/down/2/0");
    Click("macro_btn_stopredio");
    EXPECT_EQ(FileSteps().at(1), "1/down/2/0");
}

TEST_F(RecordingTest, AHookThatCannotStartSaysWhyAndTheStopButtonUnlocks) {
    m_wnd->InputHook().SetSourceFactory([](std::string* why) {
        auto source = std::make_unique<CTestInputSource>();
        source->FailStarts("another program holds the keyboard");
        return source;
    });
    m_wnd->Macros().HandleMenu("left_click");
    Click("macro_btn_starredio");
    ASSERT_FALSE(m_messages.isEmpty());
    EXPECT_TRUE(TakeMessage().contains("another program holds the keyboard"));
    EXPECT_TRUE(Locked());
    EXPECT_TRUE(m_wnd->IsInputHookInstalled());
    Click("macro_btn_stopredio");
    EXPECT_TRUE(Unlocked());
    EXPECT_EQ(FileSteps().size(), 2);
}

TEST_F(RecordingTest, KeyCaptureForTheKeyEditorAndAWindowOnlySource) {
    std::vector<std::pair<unsigned, bool>> captured;
    CMainWnd::InputHookHandlers handlers;
    handlers.singleKey = [&](WPARAM wParam, LPARAM lParam) {
        const auto& record = *reinterpret_cast<const input::KeyHookRecord*>(lParam);
        if (input::IsKeyPress(wParam)) {
            captured.emplace_back(record.vkCode, record.Extended());
        }
    };
    handlers.macro = [this](UINT msg, WPARAM wParam, LPARAM lParam) {
        m_wnd->Macros().HandleHookMessage(msg, wParam, lParam);
    };
    m_wnd->SetInputHookHandlers(handlers);
    SendMessageW(m_wnd->GetHWND(), 1054, 1, 0);
    ASSERT_NE(m_source, nullptr);
    EXPECT_EQ(m_wnd->InputHook().GetMode(), 1);
    EXPECT_TRUE(m_source->KeysWanted());
    EXPECT_FALSE(m_source->MouseWanted());
    m_source->Key(input::kKeyDown, 0x48, true, 0x26);
    m_source->Key(input::kKeyUp, 0x48, true, 0x26);
    EXPECT_EQ(captured, (std::vector<std::pair<unsigned, bool>>{{0x26, true}}));
    SendMessageW(m_wnd->GetHWND(), 1054, 0, 0);
    EXPECT_FALSE(m_source->IsStarted());

    // A recording is not ended by the key editor losing the focus, nor taken over by it.
    m_source->SetReach(input::InputReach::OwnWindows);
    Click("macro_btn_starredio");
    auto* hint = qobject_cast<QLabel*>(Control("macro_record_hint"));
    EXPECT_EQ(hint->text(), Text("macro_record_window_only"));
    SendMessageW(m_wnd->GetHWND(), 1054, 0, 0);
    SendMessageW(m_wnd->GetHWND(), 1054, 1, 0);
    EXPECT_EQ(m_wnd->InputHook().GetMode(), 4);
    Tap(kA);
    EXPECT_EQ(Editor()->StepCount(), 2);
    EXPECT_TRUE(captured.size() == 1);
    // Closing the window to the tray ends the recording: the keyboard is not left captured.
    m_wnd->PaintManager().SendNotify(m_wnd->FindControl("closebtn"), ui::notify::kClick);
    EXPECT_FALSE(m_source->IsStarted());
    EXPECT_FALSE(m_wnd->IsInputHookInstalled());
    EXPECT_EQ(FileSteps().size(), 2);
}

}  // namespace
