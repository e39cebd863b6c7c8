// The mouse page's key list and key tool tips: each key's function named in words, in the
// current language, and the logo's lighting effect.

#include <QLabel>
#include <QListWidget>

#include "core/profile/JsonFileStore.h"
#include "platform/ui/CResourceManager.h"
#include "tests/pages/MouseTestSupport.h"

namespace q840::pages::test {
namespace {

class MouseKeyList : public MousePageTest {
protected:
    void SetUp() override {
        MousePageTest::SetUp();
        const QString skin = qEnvironmentVariable("Q840_SOURCE_DIR") + "/skin/";
        ui::CResourceManager::GetInstance().SetResourcePath(skin);
        ASSERT_TRUE(ui::CResourceManager::GetInstance().LoadLanguage("lan_en.xml"));
        BuildLayout();
        list = Find<QListWidget>("device_setkeyinfo_list");
        ASSERT_NE(nullptr, list);
        page->LoadProfile();
    }

    void WriteMacros(const QStringList& names) {
        Json::Value root(Json::objectValue);
        Json::Value& info = root["MacroInfo"] = Json::Value(Json::arrayValue);
        for (const QString& name : names) {
            Json::Value macro(Json::objectValue);
            macro["MacroName"] = name.toStdString();
            macro["Guid"] = "{" + name.toStdString() + "}";
            info.append(macro);
        }
        ASSERT_EQ(
            0, profile::JsonFileStore().WriteJsonFile(page->MacroListPath().toStdString(), root));
    }
    void SetKeys(std::initializer_list<std::pair<int, uint32_t>> codes) {
        auto pairs = page->MouseProfile()->GetKeyAssignments();
        for (const auto& [key, code] : codes) {
            pairs[size_t(key)].current.SetCode(code);
        }
        page->MouseProfile()->WriteKeyAssignments(pairs);
    }
    QWidget* Key(int n) { return Find<QWidget>(QString("key_%1").arg(n)); }
    // The two texts of row `n`.
    std::pair<QString, QString> Row(int n) {
        QWidget* row = list->itemWidget(list->item(n));
        return {row->findChild<QLabel*>("key_list_name")->text(),
                row->findChild<QLabel*>("key_list_function")->text()};
    }
    std::pair<QString, QString> Tip(QWidget* button) {
        return {button->property("tooltipTitle").toString(),
                button->property("tooltipText").toString()};
    }
    using Texts = std::pair<QString, QString>;

    QListWidget* list = nullptr;
};

TEST_F(MouseKeyList, RowsAndToolTipsNameEachKeysFunction) {
    WriteMacros({"Reload", "Burst"});
    SetKeys({{0, 0x200004}, {1, 0x200204}, {2, 0x710100}, {5, 0x130100}, {6, 0x201012}});
    page->RefreshControls();

    ASSERT_EQ(11, list->count());
    EXPECT_EQ(Texts("Left button", "A"), Row(0));
    EXPECT_EQ(Texts("Right button", "Left Shift+A"), Row(1));
    EXPECT_EQ(Texts("Middle button", "Burst"), Row(2));
    EXPECT_EQ(Texts("Forward", "Forward"), Row(3)) << "the factory assignment";
    EXPECT_EQ(Texts("DPI +", "DPI +"), Row(5));
    EXPECT_EQ(Texts("DPI -", "Right Ctrl+O"), Row(6));
    EXPECT_EQ(Texts("Game mode", "Game mode"), Row(8));
    EXPECT_EQ(Texts("Fire key", "Fire key"), Row(10));
    for (int n = 0; n < 11; ++n) {
        EXPECT_FALSE(list->item(n)->isHidden()) << n;
        EXPECT_EQ(Row(n), Tip(Key(n))) << n;
    }
    EXPECT_TRUE(Key(1)->toolTip().contains("Left Shift+A"));
    EXPECT_EQ(25, list->item(0)->sizeHint().height());
}

TEST_F(MouseKeyList, KeyWithoutANameKeepsItsToolTipAndHasNoRowShown) {
    WriteMacros({"Reload"});
    SetKeys({{3, 0x700100}, {10, 0x150000}});  // macro 1 of one; a group with no names
    const QString before = Key(3)->toolTip();
    page->RefreshKeyList();

    EXPECT_EQ(before, Key(3)->toolTip());
    EXPECT_TRUE(Tip(Key(3)).first.isEmpty());
    EXPECT_TRUE(list->item(3)->isHidden());
    EXPECT_FALSE(list->item(4)->isHidden());
    EXPECT_EQ(10, list->count()) << "the list ends with the last key that has a name";

    // A hidden key button has no row either.
    Key(4)->hide();
    page->RefreshKeyList();
    EXPECT_TRUE(list->item(4)->isHidden());
    EXPECT_EQ(Texts("Back", "Back"), Tip(Key(4))) << "its tool tip still follows";
}

TEST_F(MouseKeyList, DroppedMacroKeysAndRenamedMacrosShowAtOnce) {
    WriteMacros({"Reload", "Burst"});
    SetKeys({{0, 0x700000}, {3, 0x700100}});
    page->RefreshKeyList();
    EXPECT_EQ("Burst", Row(3).second);

    WriteMacros({"Reload again"});
    page->RefreshKeyList();
    EXPECT_EQ("Reload again", Row(0).second) << "the macro names are read again";
    EXPECT_TRUE(list->item(3)->isHidden());
    page->DropStaleMacroKeys();
    EXPECT_FALSE(list->item(3)->isHidden()) << "the key got its default back";
    EXPECT_EQ("Forward", Row(3).second);
}

TEST_F(MouseKeyList, MacroNamesAreShownAsWritten) {
    WriteMacros({"<b>Spray</b> & pray"});
    SetKeys({{0, 0x700000}});
    page->RefreshKeyList();
    EXPECT_EQ("<b>Spray</b> & pray", Row(0).second);
    EXPECT_EQ(
        Qt::PlainText,
        list->itemWidget(list->item(0))->findChild<QLabel*>("key_list_function")->textFormat());
    EXPECT_TRUE(Key(0)->toolTip().contains("&lt;b&gt;Spray&lt;/b&gt; &amp; pray"));
}

TEST_F(MouseKeyList, LanguageSwitchRenamesEveryRowAndToolTip) {
    SetKeys({{1, 0x200204}});
    page->RefreshKeyList();
    ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
    ASSERT_TRUE(resources.LoadLanguage("lan_cn.xml"));
    resources.ReloadText();
    EXPECT_EQ(Texts("右键", "左 Shift+A"), Row(1));
    EXPECT_EQ(Texts("右键", "左 Shift+A"), Tip(Key(1)));
    ASSERT_TRUE(resources.LoadLanguage("lan_en.xml"));
    resources.ReloadText();
    EXPECT_EQ(Texts("Right button", "Left Shift+A"), Tip(Key(1)));
}

TEST_F(MouseKeyList, LogoToolTipNamesTheCurrentEffect) {
    QWidget* logo = Find<QWidget>("logo");
    auto showEffect = [&](int effect) {
        auto light = page->GetLightSettingsRecord();
        light.effect = uint8_t(effect);
        page->SetLightSettingsRecord(light);
        page->RefreshKeyList();
        return Tip(logo);
    };
    const QString prefix = "Lighting settings\nWhole-mouse effect: ";
    page->InitLightPreview();
    const std::string builtIn = page->LightConfigList(0)[2]["LightName"].asString();
    ASSERT_FALSE(builtIn.empty());
    EXPECT_EQ(Texts("Logo", prefix + ui::CResourceManager::GetInstance().GetText(
                                         QString::fromStdString(builtIn))),
              showEffect(2));

    Json::Value custom(Json::arrayValue);
    custom.append(Json::Value(Json::objectValue))["LightName"] = "Light_Static";
    page->LightConfigList(2) = custom;
    EXPECT_EQ(Texts("Logo", prefix + "Light_Static"), showEffect(12))
        << "a custom effect's name is the user's text, not a key";
    EXPECT_EQ(Texts("Logo", prefix), showEffect(13));
    EXPECT_TRUE(logo->toolTip().contains("<br>"));
}

}  // namespace
}  // namespace q840::pages::test
