// The mouse page's layout and settings controls without a device: what RefreshControls shows,
// the DPI stage rules, the values ApplySettingsControl stores, the second LED row and the logo.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "pages/LedButtonPaint.h"
#include "tests/pages/MouseTestSupport.h"

namespace q840::pages::test {
namespace {

class MouseControls : public MousePageTest {
protected:
    void SetUp() override {
        MousePageTest::SetUp();
        BuildLayout();
        page->LoadProfile();
        page->RefreshControls();
    }
    bool Notify(const QString& type, const QString& name) {
        ui::TNotifyUI msg;
        msg.sType = type;
        msg.pSender = page->findChild<QWidget*>(name);
        return page->ApplySettingsControl(msg);
    }
    QAbstractButton* Button(const QString& name) { return Find<QAbstractButton>(name); }
    profile::MouseSystemSettings System() { return page->MouseProfile()->GetSystemSettings(); }
};

TEST_F(MouseControls, OutOfRangeOptionValuesShowTheFirstOption) {
    auto s = System();
    s.reportRate = 4;
    s.ripple = 7;
    s.linearCalibration = 1;
    s.bleSleep2 = 5;
    s.keyDebounceTime = 2;
    page->MouseProfile()->WriteSystemSettings(s);
    page->RefreshControls();
    EXPECT_TRUE(Button("polling_rate_option_0")->isChecked());
    EXPECT_FALSE(Button("polling_rate_option_4")->isChecked());
    EXPECT_TRUE(Button("Ripple_option_0")->isChecked());
    EXPECT_TRUE(Button("Linear_Calibration_option_1")->isChecked());
    EXPECT_EQ(1, Find<QComboBox>("ble_sleep2_combo")->currentIndex());
    EXPECT_EQ(2, Find<QComboBox>("Anti_Shake_combo_timeSelect")->currentIndex());
    EXPECT_FALSE(Find<QWidget>("device_tishi_info")->isVisibleTo(page.get()));
}

TEST_F(MouseControls, OptionsCombosAndSlidersStoreTheirValues) {
    Button("polling_rate_option_2")->setChecked(true);
    EXPECT_TRUE(Notify(ui::notify::kSelectChanged, "polling_rate_option_2"));
    EXPECT_EQ(2, System().reportRate);
    Button("polling_rate_option_4")->setChecked(true);
    EXPECT_FALSE(Notify(ui::notify::kSelectChanged, "polling_rate_option_4"))
        << "option 4 has no report rate";
    EXPECT_TRUE(Button("polling_rate_option_2")->isChecked());

    Button("Silent_Altitude_option_1")->setChecked(true);
    EXPECT_TRUE(Notify(ui::notify::kSelectChanged, "Silent_Altitude_option_1"));
    EXPECT_EQ(1, System().silentAltitude);

    Find<QComboBox>("device_sleep1_combo")->setCurrentIndex(2);
    EXPECT_TRUE(Notify(ui::notify::kItemSelect, "device_sleep1_combo"));
    EXPECT_EQ(10, System().deviceSleep1) << "the item's user data, not its index";
    Find<QComboBox>("Anti_Shake_combo_timeSelect")->setCurrentIndex(0);
    EXPECT_TRUE(Notify(ui::notify::kItemSelect, "Anti_Shake_combo_timeSelect"));
    EXPECT_EQ(0, System().keyDebounceTime);

    Find<QSlider>("double_click_slider")->setValue(700);
    EXPECT_TRUE(Notify(ui::notify::kValueChanged, "double_click_slider"));
    EXPECT_EQ(700, System().doubleClickTime);
    EXPECT_EQ(QString("700"), Find<QLabel>("double_click_value")->text());
    Button("pointer_precision_check")->setChecked(false);
    EXPECT_TRUE(Notify(ui::notify::kSelectChanged, "pointer_precision_check"));
    EXPECT_EQ(0, System().pointerPrecision);
    EXPECT_FALSE(Notify(ui::notify::kSelectChanged, "pointer_precision_check")) << "no change";

    EXPECT_TRUE(Notify(ui::notify::kClick, "reset_repeat_btn"));
    EXPECT_EQ(500, System().doubleClickTime);
    EXPECT_EQ(1, System().pointerPrecision);
    EXPECT_EQ(500, Find<QSlider>("double_click_slider")->value());
    EXPECT_EQ(QString("500"), Find<QLabel>("double_click_value")->text());
    EXPECT_EQ(1, System().silentAltitude) << "only the system settings are reset";
}

TEST_F(MouseControls, ActiveAndLastEnabledStagesCannotBeSwitchedOff) {
    // The factory profile: seven stages on, stage 1 active.
    EXPECT_FALSE(Button("DPI_enable_check_1")->isEnabled());
    EXPECT_TRUE(Button("DPI_enable_check_0")->isEnabled());
    EXPECT_TRUE(Button("DPI_select_check_1")->isChecked());

    for (int n : {0, 2, 3, 4, 5}) {
        const QString name = QString("DPI_enable_check_%1").arg(n);
        Button(name)->setChecked(false);
        EXPECT_TRUE(Notify(ui::notify::kSelectChanged, name)) << n;
        EXPECT_FALSE(Find<QSlider>(QString("DPI_slider_%1").arg(n))->isEnabled());
        EXPECT_TRUE(Button(name)->isEnabled()) << "its own box stays usable inside the row";
    }
    // Stages 1 (active) and 6 are left: the active stage's box is locked, 6 may still go.
    EXPECT_TRUE(Button("DPI_enable_check_6")->isEnabled());
    Button("DPI_enable_check_6")->setChecked(false);
    EXPECT_TRUE(Notify(ui::notify::kSelectChanged, "DPI_enable_check_6"));
    // Switching the active stage off is refused and the box goes back.
    Button("DPI_enable_check_1")->setChecked(false);
    EXPECT_FALSE(Notify(ui::notify::kSelectChanged, "DPI_enable_check_1"));
    EXPECT_TRUE(Button("DPI_enable_check_1")->isChecked());
    EXPECT_EQ(1, page->MouseProfile()->GetDpiStages()[1].enabled);

    // A stage that is off cannot become the active one.
    Button("DPI_select_check_3")->setChecked(true);
    EXPECT_FALSE(Notify(ui::notify::kSelectChanged, "DPI_select_check_3"));
    EXPECT_TRUE(Button("DPI_select_check_1")->isChecked());
    EXPECT_EQ(1, page->MouseProfile()->GetActiveDpiStage());

    // Only one stage left on: when another becomes active, the old one may go, the new one not.
    Button("DPI_enable_check_6")->setChecked(true);
    ASSERT_TRUE(Notify(ui::notify::kSelectChanged, "DPI_enable_check_6"));
    Button("DPI_select_check_6")->setChecked(true);
    EXPECT_TRUE(Notify(ui::notify::kSelectChanged, "DPI_select_check_6"));
    EXPECT_EQ(6, page->MouseProfile()->GetActiveDpiStage());
    EXPECT_TRUE(Button("DPI_enable_check_1")->isEnabled());
    EXPECT_FALSE(Button("DPI_enable_check_6")->isEnabled());
}

TEST_F(MouseControls, DpiRowShowsNumbersAndColours) {
    // No identity read yet: sensor unknown, values are shown but not stored.
    auto* slider = Find<QSlider>("DPI_slider_0");
    slider->setValue(20);
    EXPECT_FALSE(Notify(ui::notify::kValueChanged, "DPI_slider_0"));
    EXPECT_EQ(7, slider->value()) << "the stored index is shown again";
    EXPECT_EQ(0xFFFF0000u, Find<QWidget>("DPI_color_option_0")->property("stageColour").toUInt());
}

TEST_F(MouseControls, MovingTheSliderOnlyUpdatesTheEdit) {
    Open(false);
    page->ReadIdentity();  // sensor 0x3104
    auto* slider = Find<QSlider>("DPI_slider_4");
    slider->setValue(54);
    EXPECT_FALSE(Notify(ui::notify::kMoveValueChanged, "DPI_slider_4"));
    EXPECT_EQ("3000", Find<QLineEdit>("DPI_edit_4")->text());
    EXPECT_EQ(47, page->MouseProfile()->GetDpiStages()[4].dpiX);
    // Typed text that is no number is not guessed at.
    Find<QLineEdit>("DPI_edit_4")->setText("12a");
    EXPECT_FALSE(Notify(ui::notify::kKillFocus, "DPI_edit_4"));
    EXPECT_EQ(47, page->MouseProfile()->GetDpiStages()[4].dpiX);
    Find<QLineEdit>("DPI_edit_4")->setText("375");
    EXPECT_TRUE(Notify(ui::notify::kKillFocus, "DPI_edit_4"));
    EXPECT_EQ(1, page->MouseProfile()->GetDpiStages()[4].dpiX);
    EXPECT_EQ("400", Find<QLineEdit>("DPI_edit_4")->text());
}

TEST_F(MouseControls, The3104TopComesFromTheInformationRecord) {
    auto info = mouse->Info();
    info[12] = 124 + 10;  // a mouse whose sensor reaches 10 000 DPI
    info[13] = 0;
    mouse->SetInfo(info);
    Open(false);
    ASSERT_EQ(1, page->ReadIdentity());
    auto* slider = Find<QSlider>("DPI_slider_2");
    EXPECT_EQ(124, slider->maximum());
    auto* edit = Find<QLineEdit>("DPI_edit_2");
    edit->setText("10000");
    EXPECT_TRUE(Notify(ui::notify::kKillFocus, "DPI_edit_2"));
    EXPECT_EQ(124, page->MouseProfile()->GetDpiStages()[2].dpiX);
    EXPECT_EQ("10000", edit->text()) << "the number typed is the number shown";
    slider->setValue(110);
    Notify(ui::notify::kMoveValueChanged, "DPI_slider_2");
    EXPECT_EQ("8600", edit->text()) << "each position above 104 shows its own number";
}

TEST_F(MouseControls, SecondLedRowAndLogoFollowTheLeds) {
    EXPECT_EQ(PackLed(255, 255, 255, 255), PaintedLedValue(Find<QWidget>("light_0_3")));
    page->SetLedColour(3, PackLed(1, 2, 3, 200));
    page->SetLedColour(7, PackLed(9, 8, 7, 100));
    page->PushPreview();
    EXPECT_EQ(PackLed(1, 2, 3, 200), PaintedLedValue(Find<QWidget>("light_0_3")));
    EXPECT_EQ(PackLed(1, 2, 3, 200), PaintedLedValue(Find<QWidget>("light_3")));
    EXPECT_EQ(PackLed(9, 8, 7, 100), PaintedLedValue(Find<QWidget>("logo")));

    {
        auto setup = page->GetSetup();
        setup.logoLed = -1;
        page->Setup(setup);
    }
    page->SetLedColour(7, PackLed(50, 50, 50, 50));
    page->PushPreview();
    EXPECT_EQ(PackLed(9, 8, 7, 100), PaintedLedValue(Find<QWidget>("logo"))) << "-1: not painted";

    // Without software light control the LED buttons keep their colours; the light bar and the
    // logo still follow.
    {
        auto setup = page->GetSetup();
        setup.logoLed = 7;
        page->Setup(setup);
    }
    page->SetSoftwareLightControl(false);
    page->SetLedColour(3, PackLed(4, 5, 6, 70));
    page->SetLedColour(7, PackLed(40, 50, 60, 80));
    page->PushPreview();
    EXPECT_EQ(PackLed(4, 5, 6, 70), PaintedLedValue(Find<QWidget>("light_0_3")));
    EXPECT_EQ(PackLed(40, 50, 60, 80), PaintedLedValue(Find<QWidget>("logo")));
    EXPECT_EQ(PackLed(1, 2, 3, 200), PaintedLedValue(Find<QWidget>("light_3")));
}

}  // namespace
}  // namespace q840::pages::test
