#include <QAbstractButton>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>

#include "platform/ui/StyleSheet.h"
#include "tests/entry/EntryTestSupport.h"

using namespace q840::entry;
using namespace q840::entry::test;

namespace {

QString NormalImage(const CDeviceOptionUI* entry) {
    return entry->GetSelectOption()->property("dui_normalimage").toString();
}
QString SelectedImage(const CDeviceOptionUI* entry) {
    return entry->GetSelectOption()->property("dui_selectedimage").toString();
}

class DeviceOptionTest : public EntryFixture {};

TEST_F(DeviceOptionTest, BuiltFromItsLayoutAsAnUnknownDevice) {
    CDeviceOptionUI* entry = AddEntry();
    ASSERT_NE(entry, nullptr) << "the layout's root is the entry";
    EXPECT_EQ(entry->GetClass(), "DeviceOption");
    ASSERT_NE(entry->GetSelectOption(), nullptr);
    ASSERT_NE(entry->GetSynchroOption(), nullptr);
    ASSERT_NE(entry->GetNameLabel(), nullptr);
    EXPECT_TRUE(entry->GetSynchroOption()->isHidden()) << "synchro option shows on demand";
    EXPECT_EQ(NormalImage(entry), "entry/unknow_device_normal.svg");
    EXPECT_EQ(entry->GetIcons()[3], "entry/unknow_device_synchro_selected.svg");
    EXPECT_TRUE(entry->IsEntryVisible());
    EXPECT_FALSE(entry->IsEntrySelected());
    EXPECT_FALSE(entry->IsSynchro());
    // Its options notify through the window it was built for.
    EXPECT_EQ(q840::ui::CPaintManagerUI::FromControl(entry->GetSelectOption()), &pm);
}

TEST_F(DeviceOptionTest, IconsAndTooltipFollowTheDeviceType) {
    CDeviceOptionUI* entry = AddEntry();
    ASSERT_NE(entry, nullptr);
    struct Case {
        int type, variant;
        const char* stem;
        const char* tooltip;
    };
    const Case cases[] = {{1, 0, "kb", "Keyboard"},
                          {2, 0, "ms", "Q840-VEX Mouse"},
                          {3, 0, "hard_mp", "Mouse Pad (Hard)"},
                          {3, 1, "soft_mp", "Mouse Pad (Soft)"},
                          {4, 0, "hd", "Headset"},
                          {7, 0, "hd", "Headset"},
                          {5, 0, "hub", "Hub"},
                          {6, 0, "unknow", "Unknown Device"},  // receiver code: not in the table
                          {9, 0, "unknow", "Unknown Device"},
                          {-1, 0, "unknow", "Unknown Device"}};
    for (const Case& c : cases) {
        entry->SetEntryDeviceType(c.type, c.variant);
        const QString stem = QString("entry/%1_device_").arg(c.stem);
        EXPECT_EQ(NormalImage(entry), stem + "normal.svg") << c.type;
        EXPECT_EQ(SelectedImage(entry), stem + "selected.svg") << c.type;
        EXPECT_EQ(entry->GetIcons()[2], stem + "synchro_normal.svg") << c.type;
        EXPECT_EQ(entry->GetSelectOption()->toolTip(), c.tooltip) << c.type;
        EXPECT_EQ(entry->GetEntryDeviceType(), c.type);
        // Every picture the table names is in the skin.
        for (const QString& icon : entry->GetIcons()) {
            EXPECT_TRUE(QFileInfo::exists(q840::controls::test::SourceSkin() + icon))
                << icon.toStdString();
        }
    }
    // A mouse pad we have no pictures for leaves the entry as it was.
    entry->SetEntryDeviceType(3, 1);
    entry->SetEntryDeviceType(3, 2);
    EXPECT_EQ(NormalImage(entry), "entry/soft_mp_device_normal.svg");
    EXPECT_EQ(entry->GetEntryDeviceVariant(), 1);
}

TEST_F(DeviceOptionTest, SynchroOptionSwitchesToTheSynchronisedIcons) {
    CDeviceOptionUI* entry = AddEntry();
    ASSERT_NE(entry, nullptr);
    ShowRoot();
    entry->SetEntryDeviceType(2, 0);
    entry->SelectEntry(true);
    entry->ShowSynchroOption(true);
    EXPECT_TRUE(entry->GetSynchroOption()->isVisible());
    EXPECT_EQ(SelectedImage(entry), "entry/ms_device_selected.svg");

    recorder.notices.clear();
    entry->SetSynchro(true);
    EXPECT_TRUE(entry->IsSynchro());
    EXPECT_EQ(SelectedImage(entry), "entry/ms_device_synchro_selected.svg");
    EXPECT_EQ(NormalImage(entry), "entry/ms_device_synchro_normal.svg");
    ASSERT_EQ(recorder.Types(), QStringList{"selectchanged"});
    EXPECT_EQ(recorder.notices[0].sender, entry->GetSynchroOption());
    entry->SetSynchro(true);
    EXPECT_EQ(recorder.notices.size(), 1u) << "no notification without a change";

    // The device type changing keeps the synchronised look.
    entry->SetEntryDeviceType(1, 0);
    EXPECT_EQ(SelectedImage(entry), "entry/kb_device_synchro_selected.svg");

    entry->SetSynchro(false);
    EXPECT_EQ(SelectedImage(entry), "entry/kb_device_selected.svg");
    EXPECT_EQ(NormalImage(entry), "entry/kb_device_normal.svg");
    entry->ShowSynchroOption(false);
    EXPECT_FALSE(entry->GetSynchroOption()->isVisible());

    // The user's own click on the badge switches the icons as well.
    entry->ShowSynchroOption(true);
    QTest::mouseClick(entry->GetSynchroOption(), Qt::LeftButton);
    EXPECT_TRUE(entry->IsSynchro());
    EXPECT_EQ(SelectedImage(entry), "entry/kb_device_synchro_selected.svg");
}

TEST_F(DeviceOptionTest, OneSelectedDeviceAtATimeAndTheSelectionShowsItsPage) {
    auto* tabs = new QStackedWidget(root.get());
    tabs->setObjectName("device_switch");
    tabs->addWidget(new QWidget());
    tabs->addWidget(new QWidget());
    tabs->addWidget(new QWidget());
    CDeviceOptionUI* first = AddEntry();
    CDeviceOptionUI* second = AddEntry();
    ASSERT_TRUE(first && second);
    first->SetOptionGroup("device_select");
    second->SetOptionGroup("device_select");
    first->BindTab("device_switch", 1);
    second->BindTab("device_switch", 2);
    EXPECT_EQ(first->GetBoundTabName(), "device_switch");
    EXPECT_EQ(second->GetBoundTabIndex(), 2);
    ShowRoot();

    first->SelectEntry(true);
    EXPECT_EQ(tabs->currentIndex(), 1);
    ASSERT_EQ(recorder.Types(), QStringList{"selectchanged"});
    EXPECT_EQ(recorder.notices[0].sender, first->GetSelectOption());
    first->SelectEntry(true);
    EXPECT_EQ(recorder.notices.size(), 1u) << "already selected: nothing sent";

    second->SelectEntry(true);
    EXPECT_TRUE(second->IsEntrySelected());
    EXPECT_FALSE(first->IsEntrySelected()) << "the group keeps one device selected";
    EXPECT_EQ(tabs->currentIndex(), 2);

    // The last device going away leaves nothing selected, even in an exclusive group.
    second->SelectEntry(false);
    EXPECT_FALSE(second->IsEntrySelected());
    EXPECT_FALSE(first->IsEntrySelected());
    EXPECT_EQ(recorder.Count("selectchanged"), 3);

    // A user's click selects and notifies too (the window's own wiring).
    recorder.notices.clear();
    QTest::mouseClick(first->GetSelectOption(), Qt::LeftButton);
    EXPECT_TRUE(first->IsEntrySelected());
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(recorder.Count("selectchanged"), 1);

    // A binding beyond the tab container's pages changes nothing.
    second->BindTab("device_switch", 7);
    second->SelectEntry(true);
    EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST_F(DeviceOptionTest, AnEntryWithoutItsOptionsAnswersSafely) {
    CDeviceOptionUI bare;
    bare.BindTab("device_switch", 3);
    EXPECT_EQ(bare.GetBoundTabIndex(), -1);
    EXPECT_TRUE(bare.GetBoundTabName().isEmpty());
    bare.SelectEntry(true);
    EXPECT_FALSE(bare.IsEntrySelected());
    bare.SetSynchro(true);
    EXPECT_FALSE(bare.IsSynchro());
    bare.SetEntryName("ms_device_name_text");
    bare.ShowSynchroOption(true);
}

TEST_F(DeviceOptionTest, LinksNameVisibilityAndActivation) {
    CDeviceOptionUI* entry = AddEntry();
    ASSERT_NE(entry, nullptr);
    ShowRoot();

    EXPECT_EQ(entry->GetBatteryValue(), -1);
    entry->SetPowerControl("power_0", 80);
    entry->SetPowerControl("", -1);
    EXPECT_EQ(entry->GetPowerControlName(), "power_0") << "an empty name keeps the old one";
    EXPECT_EQ(entry->GetBatteryValue(), 80) << "-1 keeps the old value";
    entry->SetPowerControl("power_1", 0);
    EXPECT_EQ(entry->GetPowerControlName(), "power_1");
    EXPECT_EQ(entry->GetBatteryValue(), 0);

    entry->SetEntryName("ms_device_name_text");
    EXPECT_EQ(entry->GetNameLabel()->text(), "Q840-VEX Mouse");
    entry->SetEntryName("My mouse");
    EXPECT_EQ(entry->GetNameLabel()->text(), "My mouse");

    entry->SetEntryVisible(false);
    EXPECT_FALSE(entry->IsEntryVisible());
    EXPECT_FALSE(entry->isVisible());
    entry->SetEntryVisible(true);
    EXPECT_TRUE(entry->IsEntryVisible());
    EXPECT_TRUE(entry->isVisible());

    recorder.notices.clear();
    EXPECT_TRUE(entry->Activate());
    ASSERT_EQ(recorder.Types(), QStringList{"selectchanged"});
    EXPECT_EQ(recorder.notices[0].sender, entry);
    entry->setEnabled(false);
    EXPECT_FALSE(entry->Activate());
    EXPECT_EQ(recorder.notices.size(), 1u);

    // An entry not yet in the strip never turns into a window of its own.
    CDeviceOptionUI loose;
    loose.SetEntryVisible(false);
    loose.SetEntryVisible(true);
    EXPECT_TRUE(loose.IsEntryVisible());
    EXPECT_FALSE(loose.isVisible());
    // Once placed in the strip it shows with it.
    strip->layout()->addWidget(&loose);
    QApplication::processEvents();
    EXPECT_TRUE(loose.isVisible());
    strip->layout()->removeWidget(&loose);
    loose.setParent(nullptr);
}

// Renders two entries (the first selected) at a scale, saves the picture for a look and checks the
// accent underline of the selected one.
class DeviceOptionPaint : public EntryFixture, public ::testing::WithParamInterface<int> {
protected:
    void TearDown() override {
        qApp->setStyleSheet(QString());
        EntryFixture::TearDown();
    }
};

TEST_P(DeviceOptionPaint, SelectedEntryIsUnderlinedInTheAccentColour) {
    const int dpi = GetParam();
    // The program's own look: the skin's global style at this scale.
    ASSERT_TRUE(q840::ui::ApplyGlobalStyleSheet("style.qss", dpi));
    root->setStyleSheet("background-color: #14161B;");
    CDeviceOptionUI* mouse = AddEntry();
    CDeviceOptionUI* pad = AddEntry();
    ASSERT_TRUE(mouse && pad);
    mouse->SetOptionGroup("device_select");
    pad->SetOptionGroup("device_select");
    mouse->SetEntryDeviceType(2, 0);
    mouse->SetEntryName("ms_device_name_text");
    mouse->ShowSynchroOption(true);
    mouse->SetSynchro(true);
    pad->SetEntryDeviceType(3, 1);
    pad->SetEntryName("soft_mp_device_name_text");
    mouse->SelectEntry(true);
    pm.SetDPI(dpi);
    root->resize(pm.Scale(400), pm.Scale(60));
    ShowRoot();
    QApplication::processEvents();

    EXPECT_EQ(mouse->height(), pm.Scale(40));
    const QImage picture = root->grab().toImage();
    const QString file =
        QString("%1/entry_%2.png").arg(QString::fromLocal8Bit(qgetenv("Q840_BUILD_DIR"))).arg(dpi);
    picture.save(file);

    const QImage own = mouse->grab().toImage();
    const QImage other = pad->grab().toImage();
    const int bottom = own.height() - 1;
    EXPECT_EQ(own.pixelColor(own.width() / 2, bottom).rgb(), QColor(0xFF00B4FF).rgb());
    EXPECT_EQ(own.pixelColor(own.width() / 2, bottom - pm.Scale(2) + 1).rgb(),
              QColor(0xFF00B4FF).rgb());
    EXPECT_NE(other.pixelColor(other.width() / 2, other.height() - 1).rgb(),
              QColor(0xFF00B4FF).rgb());
}

INSTANTIATE_TEST_SUITE_P(Scales, DeviceOptionPaint, ::testing::Values(96, 144));

}  // namespace
