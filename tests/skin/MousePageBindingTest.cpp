// The real mouse page built from this layout, the way the main window sets it up: it must find
// every key and LED button, both rows of lights and the logo, and its function panels must
// bring up the editor each editor tab asks for.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QTemporaryDir>

#include "pages/COrvenixMouseDevice.h"
#include "platform/Paths.h"
#include "tests/skin/MouseLayoutSupport.h"

namespace q840::skin::test {
namespace {

// The main window's tags, with the page's tag making the real page.
class PageTags : public MouseTags {
public:
    QWidget* CreateControl(const QString& tag) override {
        if (tag == "OrvenixMouseDevice") {
            return pages::COrvenixMouseDevice::Create();
        }
        return MouseTags::CreateControl(tag);
    }
};

class MousePageBinding : public ::testing::Test {
protected:
    void SetUp() override {
        ui::CPaintManagerUI::SetResourcePath(SourceSkin());
        ui::CResourceManager::GetInstance().SetResourcePath(SourceSkin());
        ui::CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
        ui::CDialogBuilder builder;
        tags.manager = &pm;
        root.reset(builder.Create(kMouseLayout, &tags, &pm));
        page = qobject_cast<pages::COrvenixMouseDevice*>(root.get());
        ASSERT_NE(page, nullptr) << "the layout's root did not become the mouse page";
        pm.AttachRoot(root.get());
        catalogue::DeviceListEntry record;
        record.typeCode = 2;  // the mouse by cable
        {
            auto setup = page->GetSetup();
            setup.paintManager = &pm;
            setup.layoutPath = kMouseLayout;
            setup.keyButtonCount = pages::COrvenixMouseDevice::kKeyButtons;
            setup.ledCount = 15;
            setup.interfaceRecord = record;
            page->Setup(setup);
        }
        page->BuildLayout();
        root->setAttribute(Qt::WA_DontShowOnScreen);
        root->resize(kPageWidth, kPageHeight);
        root->show();
        MousePage::Settle();
    }
    void TearDown() override {
        if (page != nullptr) {
            page->StopThreads();
        }
        root.reset();
    }

    PageTags tags;
    ui::CPaintManagerUI pm;
    std::unique_ptr<QWidget> root;
    pages::COrvenixMouseDevice* page = nullptr;
};

TEST_F(MousePageBinding, FindsEveryButtonOfThePicture) {
    ASSERT_EQ(page->GetKeyButtonCount(), 11);
    for (int n = 0; n < 11; ++n) {
        ASSERT_NE(page->GetKeyButton(n), nullptr) << n;
        EXPECT_EQ(page->GetKeyButton(n)->objectName(), QString("key_%1").arg(n));
    }
    for (int n = 0; n < 15; ++n) {
        ASSERT_NE(page->GetLedButton(n), nullptr) << n;
        EXPECT_EQ(page->GetLedButton(n)->objectName(), QString("light_%1").arg(n));
        // The page paints both rows white until a preview runs.
        auto* second = pm.FindControl<controls::CDeviceKeyButtonUI>(QString("light_0_%1").arg(n));
        EXPECT_EQ(second->GetBkColor(), qRgba(255, 255, 255, 255)) << n;
    }
    for (const char* editor : {"DeviceProfileItem", "LightControlItem", "MacroControlItem",
                               "KeySetControlItem", "ShootControlItem"}) {
        EXPECT_NE(page->GetEditor(editor), nullptr) << editor;
    }
}

TEST_F(MousePageBinding, EachFunctionPanelShowsItsEditor) {
    // The editor tabs' function panels: lighting 1, keys 2, macros 3, system 4, DPI 5, other 9.
    const std::vector<std::pair<int, const char*>> panels = {
        {1, "LightControlItem"},     {2, "KeySetControlItem"}, {3, "MacroControlItem"},
        {4, "pointer_speed_slider"}, {5, "DPI_slider_0"},      {9, "ble_sleep1_combo"},
    };
    for (const auto& [type, shown] : panels) {
        page->ShowFunctionPanel(type);
        MousePage::Settle();
        EXPECT_TRUE(pm.FindControl(shown)->isVisible()) << type << " " << shown;
        EXPECT_TRUE(pm.FindControl("SelectPanel")->isVisible()) << type;
        EXPECT_FALSE(pm.FindControl("device_tishi_info")->isVisible()) << type;
    }
    // Type 7 (no editor of its own) leaves an empty tab beside the picture.
    page->ShowFunctionPanel(7);
    MousePage::Settle();
    for (const char* editor : {"LightControlItem", "KeySetControlItem", "MacroControlItem"}) {
        EXPECT_FALSE(pm.FindControl(editor)->isVisible()) << editor;
    }
}

TEST_F(MousePageBinding, PictureTurnsOverToTheKeyListAndBack) {
    // The factory profile, in folders of the test's own.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SetUserDataFolder(dir.filePath("user") + "/");
    SetProgramFolder(dir.filePath("prog") + "/");
    QDir().mkpath(dir.filePath("prog/DefaultData"));
    for (const char* file : {"mouse.Json", "default_light.json"}) {
        ASSERT_TRUE(QFile::copy(SourceSkin() + "../DefaultData/" + file,
                                dir.filePath("prog/DefaultData/") + file));
    }
    auto setup = page->GetSetup();
    setup.deviceKindName = "mouse";
    setup.profileName.clear();  // no profile chosen: the factory profile is shown
    page->Setup(setup);
    page->LoadProfile();
    page->RefreshControls();
    auto* cards = pm.FindControl<QStackedWidget>("mouse_picture_switch");
    auto* list = pm.FindControl<QListWidget>("device_setkeyinfo_list");
    ASSERT_NE(cards, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 11) << "every key of the factory profile has a name";

    pm.FindControl<QAbstractButton>("mouse_keylist_btn")->click();
    MousePage::Settle();
    EXPECT_TRUE(list->isVisible());
    // Refreshed while the picture is turned away, the rows still follow the key buttons.
    page->RefreshKeyList();
    MousePage::Settle();
    for (int n = 0; n < list->count(); ++n) {
        EXPECT_FALSE(list->item(n)->isHidden()) << n;
        QWidget* row = list->itemWidget(list->item(n));
        EXPECT_TRUE(row->isVisible()) << n;
        // Both texts fit their row, or end in an ellipsis with the whole text in reach.
        for (auto* label : row->findChildren<QLabel*>()) {
            const bool fits = label->fontMetrics().horizontalAdvance(label->text()) <=
                              label->contentsRect().width();
            EXPECT_TRUE(fits) << n << " " << label->text().toStdString();
        }
        EXPECT_LE(row->geometry().right(), list->viewport()->width()) << n;
    }
    EXPECT_EQ(list->itemWidget(list->item(0))->findChild<QLabel*>("key_list_name")->text(),
              "Left button");

    pm.FindControl<QAbstractButton>("mouse_picture_btn")->click();
    MousePage::Settle();
    EXPECT_TRUE(pm.FindControl("SelectPanel")->isVisible());
    EXPECT_FALSE(list->isVisible());
    SetUserDataFolder(QString());
    SetProgramFolder(QString());
}

}  // namespace
}  // namespace q840::skin::test
