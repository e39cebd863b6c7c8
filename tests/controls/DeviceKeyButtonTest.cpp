#include <QMouseEvent>
#include <QTest>

#include "controls/CDeviceKeyButtonUI.h"
#include "controls/Controls.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace q840::controls;
using namespace q840::controls::test;
using q840::ui::CDialogBuilder;

namespace {

class DeviceKeyButtonTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        UseSourceSkin();
        button = new CDeviceKeyButtonUI(root.get());
        button->setGeometry(10, 10, 40, 40);
        pm.AttachControl(button);  // as the layout builder does
        CDialogBuilder::SetAttribute(button, "normalimage", "controls/key_normal.svg", &pm);
        CDialogBuilder::SetAttribute(button, "lightimage", "controls/key_light.svg", &pm);
        CDialogBuilder::SetAttribute(button, "keysetimage", "controls/key_keyset.svg", &pm);
    }
    QColor PixelAt(int x, int y) { return button->grab().toImage().pixelColor(x, y); }
    // What the system delivers for a double click: press, release, double click, release.
    void DoubleClick(const QPoint& pos) {
        const QPoint global = button->mapToGlobal(pos);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held =
                type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, pos, global, Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(button, &event);
        }
    }

    CDeviceKeyButtonUI* button = nullptr;
};

TEST_F(DeviceKeyButtonTest, StartsUnlitKeySetAndUnselectedAndAnswersItsClass) {
    EXPECT_FALSE(button->IsLight());
    EXPECT_TRUE(button->IsKeySet());
    EXPECT_FALSE(button->IsSelected());
    EXPECT_EQ(button->GetClass(), "DeviceKeyButton");
    EXPECT_EQ(button->GetLightImage(), "controls/key_light.svg");
    EXPECT_EQ(button->GetKeySetImage(), "controls/key_keyset.svg");
}

TEST_F(DeviceKeyButtonTest, LightImageShowsOnlyWhileLitAndKeySetImageOnlyWhileCleared) {
    const QColor dark = PixelAt(20, 20);
    EXPECT_LT(dark.lightness(), 80);
    button->SetLight(true);
    EXPECT_GT(PixelAt(20, 20).lightness(), 180) << "the light image is drawn over the status";
    button->SetLight(false);
    EXPECT_EQ(PixelAt(20, 20), dark);

    // The key-set mark sits in the top right corner (amber).
    EXPECT_LT(PixelAt(32, 12).red(), 200);
    button->SetKeySet(false);
    const QColor mark = PixelAt(32, 12);
    EXPECT_GT(mark.red(), 230);
    EXPECT_LT(mark.blue(), 80);
}

TEST_F(DeviceKeyButtonTest, PreviewColourFillsTheButtonUnderTheLightImage) {
    button->SetBkColor(0xFFFF0000);
    EXPECT_EQ(PixelAt(20, 20), QColor(Qt::red));
    EXPECT_EQ(PixelAt(3, 3), QColor(Qt::red));
    button->SetLight(true);
    const QColor lit = PixelAt(20, 20);
    EXPECT_GT(lit.green(), 150) << "the light image lies over the colour";
    button->SetLight(false);
    button->SetBkColor(0);  // transparent: the status image shows again
    EXPECT_LT(PixelAt(20, 20).lightness(), 80);
    EXPECT_NE(PixelAt(20, 20), QColor(Qt::red));
}

TEST_F(DeviceKeyButtonTest, SelectionDrawsARingWithoutTouchingTheCentre) {
    const QColor centre = PixelAt(20, 20);
    const QColor edge = PixelAt(1, 20);
    button->SetSelected(true);
    EXPECT_EQ(PixelAt(20, 20), centre);
    EXPECT_NE(PixelAt(1, 20), edge);
}

TEST_F(DeviceKeyButtonTest, DoubleClickSendsDbclickAndReleaseStillClicks) {
    ShowRoot();
    DoubleClick(QPoint(20, 20));
    EXPECT_EQ(recorder.Types(), (QStringList{"click", "dbclick", "click"}));
    ASSERT_FALSE(recorder.notices.empty());
    for (const Notice& notice : recorder.notices) {
        EXPECT_EQ(notice.sender, button);
    }
    EXPECT_FALSE(button->isDown()) << "the release ends the press of the double click";
}

TEST_F(DeviceKeyButtonTest, DisabledButtonSendsNothing) {
    ShowRoot();
    button->setEnabled(false);
    DoubleClick(QPoint(20, 20));
    EXPECT_TRUE(recorder.notices.empty()) << recorder.Types().join(',').toStdString();
}

TEST(ControlRegistrationTest, LayoutTagsAndFactoryNamesBuildEveryControlWithItsAttributes) {
    q840::ui::CControlFactory::GetInstance().Clear();
    RegisterControls();
    int count = 0;
    const ControlEntry* entries = ControlEntries(&count);
    ASSERT_EQ(count, 12);
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<QWidget> made(entries[i].create());
        ASSERT_NE(made, nullptr) << entries[i].factoryName;
        EXPECT_FALSE(ControlClassOf(made.get()).isEmpty()) << entries[i].factoryName;
    }
    q840::ui::CPaintManagerUI pm;
    CDialogBuilder builder;
    std::unique_ptr<QWidget> root(builder.CreateFromText(
        R"(<SelectPanel name="panel"><DeviceKeyButton name="key_0" float="true" pos="1,2,41,42"
              lightimage="a.svg" keysetimage="b.svg"/><CChartViewUI name="chart" view="histpgram"/>
           </SelectPanel>)",
        nullptr, &pm));
    ASSERT_NE(root, nullptr);
    pm.AttachRoot(root.get());
    EXPECT_EQ(ControlClassOf(root.get()), "SelectPanel");
    auto* key = pm.FindControl<CDeviceKeyButtonUI>("key_0");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->GetLightImage(), "a.svg");
    EXPECT_EQ(key->geometry(), QRect(1, 2, 40, 40));
    EXPECT_NE(pm.FindControl("chart"), nullptr);
    q840::ui::CControlFactory::GetInstance().Clear();
}

}  // namespace
