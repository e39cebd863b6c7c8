#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "controls/CDeviceProfileUI.h"
#include "controls/Controls.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/controls/ControlsTestSupport.h"

namespace q840::controls::test {
namespace {

class DeviceProfileBar : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        UseSourceSkin();
        ui::CControlFactory::GetInstance().Clear();
        RegisterControls();
        ui::CDialogBuilder builder;
        bar = qobject_cast<CDeviceProfileUI*>(
            builder.Create(QString::fromLatin1(CDeviceProfileUI::kLayoutFile), nullptr, &pm,
                           root.get()));
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(folder.isValid());
        QFile defaults(folder.filePath("mouse.Json"));
        ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
        defaults.write(R"({"profilename":"Factory","Device":[{}]})");
        defaults.close();
        bar->SetPaths(folder.filePath("mouse") + "/", defaults.fileName());
        QDir().mkpath(folder.filePath("mouse"));
    }
    QAbstractButton* Tab(int n) {
        return bar->findChild<QAbstractButton*>(CDeviceProfileUI::kTabNames[size_t(n - 1)]);
    }
    std::vector<int> Visible() {
        std::vector<int> tabs;
        for (int n = 1; n <= CDeviceProfileUI::kTabCount; ++n) {
            if (!Tab(n)->isHidden()) {
                tabs.push_back(n);
            }
        }
        return tabs;
    }
    std::vector<int> Checked() {
        std::vector<int> tabs;
        for (int n = 1; n <= CDeviceProfileUI::kTabCount; ++n) {
            if (Tab(n)->isChecked()) {
                tabs.push_back(n);
            }
        }
        return tabs;
    }

    QTemporaryDir folder;
    CDeviceProfileUI* bar = nullptr;
};

TEST_F(DeviceProfileBar, TabsFollowTheDeviceTypeAndOneOrNoneIsChecked) {
    bar->SetDeviceType(2);
    bar->InitProfileList();
    EXPECT_EQ(Visible(), (std::vector<int>{1, 2, 3, 4, 5, 9}));  // the mouse
    bar->SelectEditorTab(3);
    EXPECT_EQ(Checked(), std::vector<int>{3});
    bar->SelectEditorTab(5);
    EXPECT_EQ(Checked(), std::vector<int>{5});
    bar->SelectEditorTab(0);  // any other number clears all nine
    EXPECT_TRUE(Checked().empty());
    bar->SelectEditorTab(2);
    EXPECT_EQ(Checked(), std::vector<int>{2});
    EXPECT_EQ(recorder.Count(ui::notify::kSelectChanged), 0);

    bar->SetDeviceType(7);
    bar->InitProfileList();
    EXPECT_EQ(Visible(), (std::vector<int>{1, 6, 7, 8, 9}));  // the headset
}

TEST_F(DeviceProfileBar, TheListShowsTheProfilesAndAPickNotifiesOnlyWhenAsked) {
    bar->SetDeviceType(2);
    ASSERT_EQ(bar->InitProfileList(), 1);
    ASSERT_EQ(bar->NewProfile(), 0);
    ASSERT_EQ(bar->CopyProfile(), 0);
    auto* combo = bar->findChild<QComboBox*>("device_profile_combo");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(2), "Profile1 copy1");
    EXPECT_EQ(combo->itemData(2).toString(), "Profile1 copy1");
    EXPECT_EQ(combo->itemData(2, Qt::ToolTipRole).toString(), "Profile1 copy1");
    EXPECT_EQ(combo->currentIndex(), 0);

    bar->SelectProfile(1, false);
    EXPECT_EQ(recorder.Count(ui::notify::kItemSelect), 0);
    EXPECT_EQ(bar->GetNameEditText(), "profile2");
    EXPECT_EQ(bar->GetCurrentProfileId().toStdString(), bar->List().Entries()[1].id);
    bar->SelectProfile(2, true);
    ASSERT_EQ(recorder.Count(ui::notify::kItemSelect), 1);
    EXPECT_EQ(recorder.notices.back().sender, combo);
    EXPECT_EQ(recorder.notices.back().wParam, 2u);

    EXPECT_EQ(bar->RenameProfile("PROFILE2"), 0);
    EXPECT_EQ(bar->RenameProfile("Mine"), 1);
    EXPECT_EQ(combo->itemText(2), "Mine");
    EXPECT_EQ(bar->GetNameEditText(), "Mine");

    EXPECT_FALSE(bar->IsProfileMenuVisible());
    bar->ShowProfileMenu(true);
    EXPECT_TRUE(bar->IsProfileMenuVisible());
}

TEST(DeviceProfileBarAlone, WithoutItsControlsTheOperationsDoNothing) {
    CDeviceProfileUI bar;
    EXPECT_EQ(bar.GetSelectedIndex(), -1);
    EXPECT_TRUE(bar.GetNameEditText().isEmpty());
    EXPECT_FALSE(bar.IsProfileMenuVisible());
    bar.SelectEditorTab(2);
    bar.SetNameEditText("x");
    EXPECT_EQ(bar.CopyProfile(), -1);  // nothing selected
    EXPECT_EQ(bar.DeleteProfile(), -1);
}

}  // namespace
}  // namespace q840::controls::test
