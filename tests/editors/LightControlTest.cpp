#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "editors/CLightControlUI.h"
#include "editors/LightLayoutMaps.h"
#include "platform/ui/CColorPaletteUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

namespace q840::editors {
namespace {

using profile::LightSetting;

class LightEditor : public ::testing::Test,
                    public ui::INotifyUI,
                    public ui::IDialogBuilderCallback {
protected:
    void SetUp() override {
        const QString skin = qEnvironmentVariable("Q840_SOURCE_DIR") + "/skin/";
        ui::CPaintManagerUI::SetResourcePath(skin);
        ui::CResourceManager::GetInstance().SetResourcePath(skin);
        ui::CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
        root = std::make_unique<QWidget>();
        root->setAttribute(Qt::WA_DontShowOnScreen);
        ui::CDialogBuilder builder;
        editor = qobject_cast<CLightControlUI*>(builder.Create(
            QString::fromLatin1(CLightControlUI::kLayoutFile), this, &pm, root.get()));
        ASSERT_NE(editor, nullptr);
        pm.AttachRoot(root.get());
        pm.AddNotifier(this);
        root->resize(600, 420);
        root->show();
        std::vector<CLightControlUI::EffectEntry> effects;
        for (int i = 0; i < 12; ++i) {
            effects.push_back({QString("Light_%1").arg(i), i != 9});
        }
        editor->SetLightDeviceType(2);
        editor->SetEffectList(effects, 4, 4);
    }
    QWidget* CreateControl(const QString& tag) override {
        return tag == "CLightControlUI" ? CLightControlUI::Create() : nullptr;
    }
    void Notify(ui::TNotifyUI& msg) override { last = msg; }
    template <typename T = QWidget>
    T* W(const char* name) {
        T* w = editor->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool On(const char* name) { return W(name)->isEnabled(); }
    bool Shown(const char* name) { return !W(name)->isHidden(); }
    // The user leaves an edit after typing.
    bool Type(const char* edit, const QString& text, LightSetting& record) {
        W<QLineEdit>(edit)->setText(text);
        ui::TNotifyUI msg;
        msg.sType = ui::notify::kKillFocus;
        msg.pSender = W(edit);
        return editor->ApplyNotification(msg, record);
    }
    bool Send(QWidget* sender, const QString& type, LightSetting& record) {
        ui::TNotifyUI msg;
        msg.sType = type;
        msg.pSender = sender;
        return editor->ApplyNotification(msg, record);
    }

    ui::CPaintManagerUI pm;
    std::unique_ptr<QWidget> root;
    CLightControlUI* editor = nullptr;
    ui::TNotifyUI last;
};

TEST_F(LightEditor, EachEffectEnablesItsParametersAndSameModeOnlyWhereAllowed) {
    LightSetting s;
    s.effect = 10;  // off: nothing to set but the effect
    editor->ShowLightSetting(s);
    EXPECT_TRUE(On("lighteffect_layout"));
    for (const char* group : {"deng_color_layout", "colorpallet_layout", "deng_light_layout",
                              "deng_speed_layout", "deng_fx_layout", "deng_7color_check"}) {
        EXPECT_FALSE(On(group)) << group;
    }
    EXPECT_FALSE(Shown("deng_same_mode"));
    editor->SetSameModeAllowed(true);
    EXPECT_TRUE(Shown("deng_same_mode"));

    s.effect = 2;  // wave: everything, with a direction, and it cannot be carried over
    editor->ShowLightSetting(s);
    for (const char* group : {"deng_color_layout", "colorpallet_layout", "deng_light_layout",
                              "deng_speed_layout", "deng_fx_layout", "deng_7color_check"}) {
        EXPECT_TRUE(On(group)) << group;
    }
    EXPECT_FALSE(Shown("deng_same_mode"));
    s.effect = 0;  // static: no speed
    editor->ShowLightSetting(s);
    EXPECT_FALSE(On("deng_speed_layout"));
    EXPECT_TRUE(On("deng_light_layout"));
    EXPECT_TRUE(Shown("deng_same_mode"));

    // The mouse through its receiver edits the same way.
    editor->SetLightDeviceType(6);
    s.effect = 10;
    editor->ShowLightSetting(s);
    EXPECT_FALSE(On("deng_light_layout"));

    // The keyboard's extras: effect 17 shows the audio mode and its colour tab, hides speed.
    editor->SetLightDeviceType(1);
    s.effect = 17;
    editor->ShowLightSetting(s);
    EXPECT_TRUE(Shown("light_combo_AudiomodeSelectLayout"));
    EXPECT_FALSE(Shown("deng_speed_layout"));
    EXPECT_EQ(W<QStackedWidget>("light_color_tablayout")->currentIndex(), 1);
    s.effect = 8;  // direction texts "upwards" / "downwards"
    editor->ShowLightSetting(s);
    EXPECT_TRUE(Shown("deng_speed_layout"));
    EXPECT_FALSE(Shown("light_combo_AudiomodeSelectLayout"));
    EXPECT_EQ(W<QAbstractButton>("deng_FXL_check")->text(),
              ui::CResourceManager::GetInstance().GetText("light_set_down_to_up_text"));
}

TEST_F(LightEditor, AHiddenEffectKeepsItsPlaceAndTheRecordShowsInEveryControl) {
    auto* combo = W<QComboBox>("light_combo_modeSelect");
    ASSERT_EQ(combo->count(), 12);
    auto* view = qobject_cast<QListView*>(combo->view());
    EXPECT_TRUE(view->isRowHidden(9));
    EXPECT_FALSE(view->isRowHidden(10));
    EXPECT_EQ(combo->itemData(10).toString(), "Light_10");

    LightSetting s;
    s.effect = 10;
    s.brightness = 3;
    s.speed = 1;
    s.direction = 1;
    s.multiColour = 1;
    s.red = 18;
    s.green = 52;
    s.blue = 86;
    editor->ShowLightSetting(s);
    EXPECT_EQ(editor->GetSelectedEffect(), 10);
    EXPECT_EQ(editor->GetBrightness(), 3);
    EXPECT_EQ(editor->GetSpeed(), 1);
    EXPECT_TRUE(editor->GetMultiColour());
    EXPECT_TRUE(W<QAbstractButton>("deng_FXL_check")->isChecked());
    EXPECT_FALSE(W<QAbstractButton>("deng_FXR_check")->isChecked());
    EXPECT_EQ(editor->GetColourText('G'), "52");
    EXPECT_EQ(editor->GetPaletteColour(), 0xFF123456u);
    EXPECT_TRUE(last.sType.isEmpty()) << "showing the record notifies nothing";
}

TEST_F(LightEditor, ColourChangesClampTheEditsAndEndTheColourCycle) {
    LightSetting r;
    r.multiColour = 1;
    r.red = 1;
    editor->ShowLightSetting(r);
    ASSERT_TRUE(Type("deng_edit_G", "300", r));
    EXPECT_EQ(r.green, 255);
    EXPECT_EQ(editor->GetColourText('G'), "255");
    EXPECT_EQ(r.multiColour, 0);
    EXPECT_FALSE(editor->GetMultiColour());
    ASSERT_TRUE(Type("deng_edit_B", "", r));
    EXPECT_EQ(r.blue, 0);
    EXPECT_EQ(editor->GetColourText('B'), "0");
    EXPECT_EQ(editor->GetPaletteColour(), 0xFF01FF00u);

    // A preset takes its button's colour; the palette the colour picked on it.
    r.multiColour = 1;
    ASSERT_TRUE(Send(W("color_option_5"), ui::notify::kClick, r));
    EXPECT_EQ(r.red << 16 | r.green << 8 | r.blue, 0x0000FF);
    EXPECT_EQ(r.multiColour, 0);
    EXPECT_EQ(editor->GetColourText('B'), "255");
    r.multiColour = 1;
    W<ui::CColorPaletteUI>("deng_Color_Pallet")->SetSelectColor(0xFF808000);
    ASSERT_TRUE(Send(W("deng_Color_Pallet"), ui::notify::kColorChanged, r));
    EXPECT_EQ(r.red, 0x80);
    EXPECT_EQ(r.green, 0x80);
    EXPECT_EQ(r.blue, 0);
    EXPECT_EQ(r.multiColour, 0);

    // Sliders, direction and effect.
    W<QSlider>("deng_speed_slider")->setValue(4);
    ASSERT_TRUE(Send(W("deng_speed_slider"), ui::notify::kValueChanged, r));
    EXPECT_EQ(r.speed, 4);
    W<QAbstractButton>("deng_FXR_check")->setChecked(true);
    ASSERT_TRUE(Send(W("deng_FXR_check"), ui::notify::kSelectChanged, r));
    EXPECT_EQ(r.direction, 0);
    W<QComboBox>("light_combo_modeSelect")->setCurrentIndex(3);
    ASSERT_TRUE(Send(W("light_combo_modeSelect"), ui::notify::kItemSelect, r));
    EXPECT_EQ(r.effect, 3);
    EXPECT_FALSE(On("deng_color_layout"));  // the layout follows the pick

    // A control outside the editor is not its business.
    QWidget outside;
    outside.setObjectName("deng_speed_slider");
    EXPECT_FALSE(Send(&outside, ui::notify::kValueChanged, r));
}

TEST_F(LightEditor, ThePalettePicksWithTheMouseAndNotifies) {
    auto* palette = W<ui::CColorPaletteUI>("deng_Color_Pallet");
    QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(1, 1));  // top left: red, saturated
    EXPECT_EQ(last.sType, ui::notify::kColorChanged);
    EXPECT_EQ(last.pSender, palette);
    EXPECT_EQ(palette->GetSelectColor() & 0x00FF0000u, 0x00FF0000u);
    EXPECT_EQ(uint32_t(last.wParam), palette->GetSelectColor());
}

}  // namespace
}  // namespace q840::editors
