// The macro editor on its own: where inserted steps go, how rows show their steps, and what a
// save makes of what was loaded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <fstream>
#include <memory>

#include "core/profile/JsonFileStore.h"
#include "editors/CMacroControlUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "tests/support/TempDir.h"

namespace q840::editors {
namespace {

class MacroEditor : public ::testing::Test, public ui::IDialogBuilderCallback {
protected:
    void SetUp() override {
        const QString skin = qEnvironmentVariable("Q840_SOURCE_DIR") + "/skin/";
        ui::CPaintManagerUI::SetResourcePath(skin);
        ui::CResourceManager::GetInstance().SetResourcePath(skin);
        ui::CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
        root = std::make_unique<QWidget>();
        root->setAttribute(Qt::WA_DontShowOnScreen);
        ui::CDialogBuilder builder;
        editor = qobject_cast<CMacroControlUI*>(builder.Create(
            QString::fromLatin1(CMacroControlUI::kLayoutFile), this, &pm, root.get()));
        ASSERT_NE(editor, nullptr);
        pm.AttachRoot(root.get());
        root->resize(600, 420);
        root->show();
        editor->SetDataFolder(QString::fromStdString(folder.path().string()) + "/");
        editor->LoadMacroIndex();
    }
    QWidget* CreateControl(const QString& tag) override {
        return tag == "CMacroControlUI" ? CMacroControlUI::Create() : nullptr;
    }
    QListWidget* Steps() { return editor->findChild<QListWidget*>("macro_action_list"); }
    // The texts of a row's name and action labels and its delay field.
    QStringList Row(int row) {
        QWidget* widget = Steps()->itemWidget(Steps()->item(row));
        const auto labels = widget->findChildren<QLabel*>();
        return {labels.at(0)->text(), labels.at(1)->text(),
                widget->findChild<QLineEdit*>("macro_delay")->text()};
    }
    static QString Text(const char* key) {
        return ui::CResourceManager::GetInstance().GetText(QString::fromLatin1(key));
    }
    macro::MacroEvent Step(const char* action, int button, int type) {
        macro::MacroEvent step;
        step.action = action;
        step.button = button;
        step.type = type;
        step.delay = "50";  // what inserted steps get
        return step;
    }

    test::TempDir folder;
    ui::CPaintManagerUI pm;
    std::unique_ptr<QWidget> root;
    CMacroControlUI* editor = nullptr;
};

TEST_F(MacroEditor, InsertedStepsGoAfterTheSelectionOrAfterTheFirstRow) {
    QString name;
    ASSERT_EQ(editor->CreateMacro(&name), macro::MacroResult::Done);
    // Into an empty list at 0, with the constant delay.
    ASSERT_TRUE(editor->InsertMenuSteps("right_down"));
    EXPECT_EQ(editor->StepCount(), 1);
    EXPECT_EQ(editor->DelayTextAt(0), "50");
    editor->InsertMenuSteps("middle_down");
    editor->InsertMenuSteps("middle_up");
    ASSERT_EQ(editor->StepCount(), 3);
    // Three steps, none selected: a click goes in after the first row.
    editor->SelectStep(-1);
    ASSERT_TRUE(editor->InsertMenuSteps("left_click"));
    ASSERT_EQ(editor->StepCount(), 5);
    EXPECT_EQ(editor->StepAt(1), Step("down", 1, 1));
    EXPECT_EQ(editor->StepAt(2), Step("up", 1, 1));
    EXPECT_EQ(editor->SelectedStep(), 2);
    EXPECT_FALSE(editor->InsertMenuSteps("left_double")) << "not a menu command";
    EXPECT_FALSE(editor->InsertMenuSteps("redio_later_record_time"));

    // Moving at the ends changes nothing.
    editor->SelectStep(0);
    EXPECT_FALSE(editor->MoveSelectedStep(CMacroControlUI::StepMove::Up));
    editor->SelectStep(4);
    EXPECT_FALSE(editor->MoveSelectedStep(CMacroControlUI::StepMove::Bottom));
    EXPECT_TRUE(editor->MoveSelectedStep(CMacroControlUI::StepMove::Top));
    EXPECT_EQ(editor->StepAt(0), Step("up", 4, 1));
    EXPECT_EQ(editor->SelectedStep(), 0);
}

TEST_F(MacroEditor, RowsNameTheirStepsAndASaveKeepsWhatTheRowsShow) {
    // A file as another program version (or a hand) may have written it.
    QString name;
    ASSERT_EQ(editor->CreateMacro(&name), macro::MacroResult::Done);
    {
        std::ofstream out(editor->Store().MacroFilePath(0));
        out << R"({"Events":[
            {"Action":"down","Button":4,"Delay":"70000","Type":10},
            {"Action":"up","Button":2,"Delay":0,"Type":9},
            {"Action":"down","Button":16,"Delay":"abc","Type":1},
            {"Action":"up","Button":7,"Delay":"12","Type":5}]})";
    }
    editor->SelectMacro(0);
    ASSERT_EQ(editor->StepCount(), 4);
    EXPECT_EQ(Row(0), (QStringList{Text("keyboard_key_A"), Text("macro_action_down"), "65535"}));
    EXPECT_EQ(Row(1), (QStringList{Text("keyboard_key_LShift"), Text("macro_action_up"), "0"}));
    EXPECT_EQ(Row(2), (QStringList{Text("mouse_key_forward"), Text("macro_action_down"), "0"}));
    EXPECT_EQ(Row(3), (QStringList{Text("mouse_move_to_down_text"), "7", "12"}));
    EXPECT_NE(Text("keyboard_key_A"), "keyboard_key_A") << "the language file names the key";

    // The save takes every delay from the row's field.
    ASSERT_EQ(editor->SaveMacroEvents(), 0);
    const Json::Value saved =
        profile::JsonFileStore().ReadJsonFile(editor->Store().MacroFilePath(0));
    EXPECT_EQ(saved["Events"][0]["Delay"].asString(), "65535");
    EXPECT_EQ(saved["Events"][1]["Delay"].asString(), "0");
    EXPECT_EQ(saved["Events"][2]["Delay"].asString(), "0");
    EXPECT_EQ(saved["MacroName"].asString(), "macro_1");
}

// The steps shown are always those of the macro the list highlights, however it got there, so a
// save never writes one macro's steps into another; deleting the last macro leaves nothing to
// edit.
TEST_F(MacroEditor, TheStepsFollowTheHighlightedMacroAndTheLastDeleteDisablesEditing) {
    QString name;
    editor->CreateMacro(&name);
    editor->InsertMenuSteps("left_click");
    ASSERT_EQ(editor->SaveMacroEvents(), 0);
    editor->CreateMacro(&name);
    EXPECT_EQ(editor->StepCount(), 0);
    auto* names = editor->findChild<QListWidget*>("macro_name_list");
    names->setCurrentRow(0);  // as the arrow keys do: no notification
    EXPECT_EQ(editor->GetSelectedMacro(), 0);
    EXPECT_EQ(editor->StepCount(), 2);
    names->setCurrentRow(1);
    ASSERT_EQ(editor->SaveMacroEvents(), 0);
    EXPECT_EQ(editor->Store().LoadMacroEvents(editor->Store().Entries()[0].guid).size(), 2u);

    ASSERT_EQ(editor->DeleteMacro(), 1);
    ASSERT_EQ(editor->DeleteMacro(), 0);
    EXPECT_EQ(editor->GetSelectedMacro(), -1);
    EXPECT_EQ(editor->DeleteMacro(), -1);
    for (const char* control : {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                                "macro_btn_name_sub", "macro_btn_save"}) {
        EXPECT_FALSE(editor->findChild<QWidget*>(control)->isEnabled()) << control;
    }
    const Json::Value index =
        profile::JsonFileStore().ReadJsonFile(editor->Store().IndexFilePath());
    EXPECT_TRUE(index["MacroInfo"].isArray());
    EXPECT_EQ(index["MacroInfo"].size(), 0u);
}

}  // namespace
}  // namespace q840::editors
