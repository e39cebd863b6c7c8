// The macro editor as a user drives it: the real main window over the simulated mouse, the
// buttons clicked, the step menu chosen, the messages read from the message box, the file dialogs
// answered; what matters is what ends up in the macro files and in the profiles.
#include <gtest/gtest.h>

#include <json/json.h>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <filesystem>
#include <map>

#include "controls/CDeviceProfileUI.h"
#include "core/macro/MacroStore.h"
#include "core/profile/CBasicProfiledata.h"
#include "core/profile/JsonFileStore.h"
#include "editors/CMacroControlUI.h"
#include "tests/app/MouseWindowFixture.h"
#include "tests/support/TempDir.h"

using namespace q840;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

class MacroCommandsTest : public test::MouseWindowTest {
protected:
    editors::CMacroControlUI* Editor() { return Page()->GetMacroEditor(); }
    QWidget* Control(const char* name) {
        QWidget* control = Editor()->findChild<QWidget*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Click(const char* name) {
        if (QWidget* control = Control(name)) {
            m_wnd->PaintManager().SendNotify(control, ui::notify::kClick);
        }
    }
    void SetEdit(const char* name, const QString& text) {
        if (auto* edit = qobject_cast<QLineEdit*>(Control(name))) {
            edit->setText(text);
        }
    }
    // The user picks a macro in the name list.
    void Pick(int number) {
        auto* list = qobject_cast<QListWidget*>(Control("macro_name_list"));
        list->setCurrentRow(number);
        m_wnd->PaintManager().SendNotify(list, ui::notify::kItemSelect, quint64(number));
    }
    QStringList Names() { return Editor()->GetMacroNames(); }
    std::filesystem::path Folder() { return Editor()->Store().Folder(); }
    Json::Value MacroFile(int number) {
        return profile::JsonFileStore().ReadJsonFile(Editor()->Store().MacroFilePath(number));
    }
    // The steps of a macro file as "Type/Action/Button/Delay" lines.
    QStringList Steps(int number) {
        QStringList steps;
        const Json::Value file = MacroFile(number);
        for (const Json::Value& e : file["Events"]) {
            steps << QString("%1/%2/%3/%4")
                         .arg(e["Type"].asInt())
                         .arg(QString::fromStdString(e["Action"].asString()))
                         .arg(e["Button"].asInt())
                         .arg(QString::fromStdString(e["Delay"].asString()));
        }
        return steps;
    }
    static uint32_t MacroKey(int number) { return 0x700000u | (uint32_t(number) << 8); }
    // The key assignments of a profile file, and writing them back as the key editor would.
    static std::vector<profile::KeyAssignmentPair> KeysOf(const std::filesystem::path& file) {
        profile::CBasicProfiledata data;
        data.SetDeviceIndex(0);
        data.LoadDeviceNode(file);
        return data.ReadKeyAssignments();
    }
    static void SetKeys(const std::filesystem::path& file, const std::map<int, uint32_t>& codes) {
        profile::CBasicProfiledata data;
        data.SetDeviceIndex(0);
        data.LoadDeviceNode(file);
        auto pairs = data.ReadKeyAssignments();
        for (const auto& [key, code] : codes) {
            pairs.at(size_t(key)).current.SetCode(code);
        }
        data.WriteKeyAssignments(pairs);
        ASSERT_TRUE(data.SaveNode(data.GetDeviceNode(), file));
    }
};

TEST_F(MacroCommandsTest, AUserBuildsAMacroStepByStepAndTheFileHoldsIt) {
    ASSERT_NE(Editor(), nullptr);
    EXPECT_FALSE(Control("macro_action_layout")->isEnabled()) << "nothing selected yet";
    Click("macro_btn_name_add");
    Click("macro_btn_name_add");
    EXPECT_EQ(Names(), (QStringList{"macro_1", "macro_2"}));
    // The page reads the names again for its key list and key editor.
    EXPECT_EQ(Page()->GetMacroNames(), Names());
    EXPECT_EQ(Editor()->GetSelectedMacro(), 1) << "a new macro is selected";
    Pick(0);
    EXPECT_TRUE(Control("macro_action_layout")->isEnabled());

    // A click from the menu: press and release, each with the 50 ms delay, saved at once.
    m_wnd->Macros().HandleMenu("left_click");
    EXPECT_EQ(Steps(0), (QStringList{"1/down/1/50", "1/up/1/50"}));
    // A move one step cannot carry is kept at the largest it can (not 300 modulo 256 = 44).
    SetEdit("mouse_x_left_edit", "300");
    Click("macro_inset_moveleftkey_btn");
    EXPECT_EQ(qobject_cast<QLineEdit*>(Control("mouse_x_left_edit"))->text(), "255");
    EXPECT_EQ(Steps(0), (QStringList{"1/down/1/50", "1/up/1/50", "4/down/255/50"}));

    // The user empties the first delay and leaves the field: saved as 0, and it shows 0.
    auto* list = qobject_cast<QListWidget*>(Control("macro_action_list"));
    auto* delay = list->itemWidget(list->item(0))->findChild<QLineEdit*>("macro_delay");
    ASSERT_NE(delay, nullptr);
    delay->setText("");
    m_wnd->PaintManager().SendNotify(delay, ui::notify::kKillFocus);
    EXPECT_EQ(delay->text(), "0");
    EXPECT_EQ(Steps(0).front(), "1/down/1/0");

    // Reordering changes nothing on disk until the next save; revert drops it.
    Editor()->SelectStep(2);
    Click("macro_btn_uptop");
    EXPECT_EQ(Editor()->StepAt(0).type, macro::kStepMoveHorizontal);
    EXPECT_EQ(Steps(0).front(), "1/down/1/0");
    Click("macro_btn_cancel");
    EXPECT_EQ(Editor()->StepAt(0).type, macro::kStepMouseButton);
    Editor()->SelectStep(2);
    Click("macro_btn_uptop");
    Click("macro_btn_up");  // already at the top: nothing
    Click("macro_btn_save");
    EXPECT_EQ(Steps(0), (QStringList{"4/down/255/50", "1/down/1/0", "1/up/1/50"}));
    const Json::Value file = MacroFile(0);
    EXPECT_EQ(file["MacroName"].asString(), "macro_1");
    EXPECT_EQ(file["Version"].asInt(), 64);
    EXPECT_EQ(file["Guid"].asString(), Editor()->Store().Entries()[0].guid);

    // Deleting a step takes it out of the list; the save writes what is left.
    Editor()->SelectStep(0);
    Click("macro_btn_delete");
    Click("macro_btn_save");
    EXPECT_EQ(Steps(0), (QStringList{"1/down/1/0", "1/up/1/50"}));
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('|').toStdString();
}

TEST_F(MacroCommandsTest, RenameExportImportAndTheirRefusals) {
    test::TempDir outside;
    Click("macro_btn_name_add");
    Click("macro_btn_name_add");
    m_wnd->Macros().HandleMenu("right_click");

    // A name in use (in any letter case, its own included) is refused with a message; a blank
    // one quietly changes nothing.
    SetEdit("macro_edit_macroname", "MACRO_1");
    Click("macro_btn_name_edit");
    EXPECT_EQ(TakeMessage(), Text("message_text_5"));
    SetEdit("macro_edit_macroname", "   ");
    Click("macro_btn_name_edit");
    EXPECT_EQ(TakeMessage(), QString());
    // A key bound to the macro is named by it in the key list and its tool tip.
    auto pairs = Page()->GetProfileData()->GetKeyAssignments();
    pairs.at(0).current.SetCode(MacroKey(1));
    Page()->GetProfileData()->WriteKeyAssignments(pairs);
    Page()->RefreshKeyList();
    EXPECT_EQ(Page()->GetKeyButton(0)->property("tooltipText").toString(), "macro_2");
    SetEdit("macro_edit_macroname", "fire");
    Click("macro_btn_name_edit");
    EXPECT_EQ(Names(), (QStringList{"macro_1", "fire"}));
    EXPECT_EQ(Page()->GetMacroNames(), Names());
    EXPECT_EQ(Page()->GetKeyButton(0)->property("tooltipText").toString(), "fire");

    // Export without an extension gets ".mac"; the copy is the macro file byte for byte.
    m_saveAs = QString::fromStdString((outside.path() / "fire").string());
    Click("macro_btn_export");
    const auto exported = outside.path() / "fire.mac";
    ASSERT_TRUE(std::filesystem::exists(exported));
    EXPECT_EQ(ReadFile(exported), ReadFile(Editor()->Store().MacroFilePath(1)));

    // Imported again it is a new macro with its own file and the same steps.
    m_open = QString::fromStdString(exported.string());
    Click("macro_btn_import");
    EXPECT_EQ(Names(), (QStringList{"macro_1", "fire", "fire(2)"}));
    EXPECT_EQ(Editor()->GetSelectedMacro(), 2);
    EXPECT_EQ(Steps(2), Steps(1));
    EXPECT_NE(Editor()->Store().MacroFilePath(2), Editor()->Store().MacroFilePath(1));
    EXPECT_EQ(Editor()->StepCount(), 2);

    // What is not a macro file is refused with a message, and nothing is added.
    m_open = QString::fromStdString(outside.path().string());
    Click("macro_btn_import");
    EXPECT_EQ(TakeMessage(), Text("macro_import_bad_file"));
    EXPECT_EQ(Names().size(), 3);
    // A cancelled dialog does nothing.
    m_open.clear();
    Click("macro_btn_import");
    EXPECT_EQ(Names().size(), 3);
    EXPECT_EQ(TakeMessage(), QString());
}

// Deleting macro 2 of 4: keys on macro 2 get their default back, keys on macros 3 and 4 move
// down by one, in every profile of the page; cancelling either question changes nothing.
TEST_F(MacroCommandsTest, DeleteRenumbersTheMacroKeysOfEveryProfile) {
    controls::CDeviceProfileUI* bar = Page()->GetProfileBar();
    bar->NewProfile();
    bar->NewProfile();
    ASSERT_EQ(bar->GetProfileCount(), 3);
    for (int i = 0; i < 4; ++i) {
        Click("macro_btn_name_add");
    }
    const std::filesystem::path current = Page()->GetProfileData()->GetProfilePath();
    std::vector<std::filesystem::path> others;
    for (int i = 0; i < bar->GetProfileCount(); ++i) {
        const std::filesystem::path file = bar->GetProfileFilePath(i).toStdString();
        if (file != current) {
            others.push_back(file);
        }
    }
    ASSERT_EQ(others.size(), 2u);
    SetKeys(others[0], {{0, MacroKey(1)}, {1, MacroKey(2)}, {2, MacroKey(3)}, {3, MacroKey(0)}});
    SetKeys(others[1], {{4, MacroKey(3)}});
    auto pairs = Page()->GetProfileData()->GetKeyAssignments();
    const uint32_t defaultOfKey5 = pairs.at(5).defaults.Code();
    pairs.at(5).current.SetCode(MacroKey(1));
    pairs.at(6).current.SetCode(0x710200);  // the other macro group, macro 2
    Page()->GetProfileData()->WriteKeyAssignments(pairs);
    Page()->SaveProfile();

    Pick(1);
    m_answer = 0;  // "Delete the selected macro?" - no
    Click("macro_btn_name_sub");
    EXPECT_EQ(Names().size(), 4);
    m_answer = 1;
    int asked = 0;
    ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase&) { return ++asked == 1 ? 1 : 0; });
    Click("macro_btn_name_sub");  // yes, then "a key of this profile uses it" - no
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Names().size(), 4);
    EXPECT_EQ(KeysOf(others[0]).at(2).current.Code(), MacroKey(3)) << "nothing renumbered";

    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase&) { return 1; });
    Click("macro_btn_name_sub");
    EXPECT_EQ(Names(), (QStringList{"macro_1", "macro_3", "macro_4"}));
    const auto first = KeysOf(others[0]);
    EXPECT_EQ(first.at(0).current.Code(), first.at(0).defaults.Code());
    EXPECT_EQ(first.at(1).current.Code(), MacroKey(1));
    EXPECT_EQ(first.at(2).current.Code(), MacroKey(2));
    EXPECT_EQ(first.at(3).current.Code(), MacroKey(0)) << "an earlier macro keeps its number";
    EXPECT_EQ(KeysOf(others[1]).at(4).current.Code(), MacroKey(2));
    const auto now = KeysOf(current);
    EXPECT_EQ(now.at(5).current.Code(), defaultOfKey5);
    EXPECT_EQ(now.at(6).current.Code(), 0x710100u);
    EXPECT_EQ(Page()->GetProfileData()->GetKeyAssignments().at(6).current.Code(), 0x710100u);
    EXPECT_EQ(Page()->GetMacroNames(), Names());
}

TEST_F(MacroCommandsTest, LimitsAndWriteFailuresAreReportedAndChangeNothing) {
    Click("macro_btn_name_add");
    // 60 steps: the save is refused by 2 and the file keeps what it had.
    m_wnd->Macros().HandleMenu("left_click");
    const QStringList saved = Steps(0);
    for (int i = 0; i < 29; ++i) {
        Editor()->InsertMenuSteps("back_click");
    }
    ASSERT_EQ(Editor()->StepCount(), 60);
    Click("macro_btn_save");
    QString expected = Text("message_text_26");
    expected.replace(expected.indexOf("%d"), 2, "2");
    EXPECT_EQ(TakeMessage(), expected);
    EXPECT_EQ(Steps(0), saved);

    // A disk that refuses writes: the user is told, and the list stays as it was.
    profile::JsonFileStore::SetBeforeRenameHook(
        [](const std::filesystem::path&, const std::filesystem::path&) { return false; });
    Click("macro_btn_name_add");
    SetEdit("macro_edit_macroname", "other");
    Click("macro_btn_name_edit");
    profile::JsonFileStore::SetBeforeRenameHook(nullptr);
    EXPECT_EQ(TakeMessage(), Text("macro_write_failed"));
    EXPECT_EQ(Names(), QStringList{"macro_1"});
    EXPECT_EQ(macro::MacroStore::DefaultMacroName({}), "macro_1");

    // At 50 macros there is no room for another.
    for (int i = 1; i < macro::kMaxMacros; ++i) {
        Click("macro_btn_name_add");
    }
    ASSERT_EQ(Names().size(), macro::kMaxMacros);
    m_messages.clear();
    Click("macro_btn_name_add");
    EXPECT_EQ(TakeMessage(), Text("message_text_33"));
    EXPECT_EQ(Names().size(), macro::kMaxMacros);
}

}  // namespace
