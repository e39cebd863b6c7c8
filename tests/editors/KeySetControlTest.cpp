// The key assignment editor on its own: what it offers a keyboard, how the category row follows
// the page shown, and the macro choice when macros come and go.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <memory>

#include "core/keys/KeyEditorCodes.h"
#include "editors/CKeySetControlUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

namespace q840::editors {
namespace {

class KeySetEditor : public ::testing::Test, public ui::IDialogBuilderCallback {
protected:
    void SetUp() override {
        const QString skin = qEnvironmentVariable("Q840_SOURCE_DIR") + "/skin/";
        ui::CPaintManagerUI::SetResourcePath(skin);
        ui::CResourceManager::GetInstance().SetResourcePath(skin);
        ui::CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
        root = std::make_unique<QWidget>();
        root->setAttribute(Qt::WA_DontShowOnScreen);
        ui::CDialogBuilder builder;
        editor = qobject_cast<CKeySetControlUI*>(builder.Create(
            QString::fromLatin1(CKeySetControlUI::kLayoutFile), this, &pm, root.get()));
        ASSERT_NE(editor, nullptr);
        pm.AttachRoot(root.get());
        root->resize(600, 440);
        root->show();
        editor->InitControls();
    }
    QWidget* CreateControl(const QString& tag) override {
        return tag == "CKeySetControlUI" ? CKeySetControlUI::Create() : nullptr;
    }
    QWidget* Find(const QString& name) { return editor->findChild<QWidget*>(name); }
    bool Shown(const QString& name) { return Find(name)->isVisibleTo(editor); }
    bool Checked(const QString& name) {
        return qobject_cast<QAbstractButton*>(Find(name))->isChecked();
    }
    void Show(uint32_t code, uint32_t defaults = 0x100100) {
        profile::KeyAssignmentPair pair;
        pair.current.SetCode(code);
        pair.defaults.SetCode(defaults);
        editor->SetKeyAssignment(pair);
    }

    ui::CPaintManagerUI pm;
    std::unique_ptr<QWidget> root;
    CKeySetControlUI* editor = nullptr;
};

TEST_F(KeySetEditor, CategoriesFollowThePageAndAKeyboardHasNoDpiOrShootFunctions) {
    // A wheel swing: the mouse category, with its four pages in the second row.
    Show(0x1235F6);
    EXPECT_EQ(editor->ShownPage(), keys::kPageSwingVertical);
    EXPECT_TRUE(Checked("keyset_category_option_1"));
    EXPECT_TRUE(Checked("keyset_page_option_3"));
    EXPECT_TRUE(Shown("keyset_page_option_5"));
    EXPECT_FALSE(Shown("keyset_page_option_6"));
    // A page option chosen by hand shows its page and offers to apply it.
    qobject_cast<QAbstractButton*>(Find("keyset_page_option_5"))->click();
    EXPECT_EQ(editor->ShownPage(), keys::kPageFire);
    EXPECT_TRUE(editor->AreApplyButtonsEnabled());
    // DPI: one page, no second row.
    Show(0x130200);
    EXPECT_TRUE(Checked("keyset_category_option_4"));
    EXPECT_FALSE(Shown("keyset_subpage_bar"));
    EXPECT_EQ(qobject_cast<QComboBox*>(Find("keyset_mousedpi_combo"))->currentIndex(), 1);
    EXPECT_EQ(qobject_cast<QLabel*>(Find("keyset_current_function"))->text(),
              ui::CResourceManager::GetInstance().GetText("mouse_key_DPI_sub"));

    // The keyboard: its DPI and shoot functions are gone, and a DPI code shows no page.
    editor->ApplyDeviceType(1);
    EXPECT_FALSE(Shown("keyset_category_option_4"));
    EXPECT_FALSE(Shown("keyset_category_option_6"));
    EXPECT_TRUE(Shown("keyset_category_option_5"));
    Show(0x130200);
    EXPECT_EQ(editor->ShownPage(), keys::kNoPage);
    EXPECT_TRUE(Shown("keyset_unknown_hint"));
    Show(0x720100);
    EXPECT_EQ(editor->ShownPage(), keys::kNoPage);
    // A code of group 0x15 hides the pages on the mouse as well.
    editor->ApplyDeviceType(2);
    Show(0x150000);
    EXPECT_EQ(editor->ShownPage(), keys::kNoPage);
    Show(0x720100);
    EXPECT_EQ(editor->ShownPage(), keys::kPageGun);
}

TEST_F(KeySetEditor, TheMacroChoiceFollowsMacrosComingAndGoing) {
    editor->SetMacroNames({"a", "b", "c"});
    Show(0x700201);
    auto* macros = qobject_cast<QComboBox*>(Find("keyset_macro_combo"));
    auto* modes = qobject_cast<QComboBox*>(Find("keyset_macro_over_combo"));
    EXPECT_EQ(macros->currentIndex(), 2);
    EXPECT_EQ(modes->currentIndex(), 1);
    EXPECT_FALSE(Shown("keyset_macro_empty_hint"));
    EXPECT_EQ(qobject_cast<QLabel*>(Find("keyset_current_function"))->text(), "c");
    editor->RenameMacroName(2, "<b>burst</b>");
    EXPECT_EQ(qobject_cast<QLabel*>(Find("keyset_current_function"))->text(), "<b>burst</b>");
    // Macro "c" is deleted: the key's macro no longer exists, nothing is shown or changed.
    editor->ReplaceMacroNames({"a", "b"});
    EXPECT_EQ(macros->currentIndex(), -1);
    EXPECT_EQ(modes->currentIndex(), -1);
    EXPECT_EQ(editor->BuildAssignment().current.Code(), 0x700201u);
    // No macros at all: the page says where to make one.
    editor->ReplaceMacroNames({});
    Show(0x700000);
    EXPECT_TRUE(Shown("keyset_macro_empty_hint"));
}

}  // namespace
}  // namespace q840::editors
