// The key assignment editor as a user drives it: the real main window over the simulated mouse,
// a key clicked on the picture, a function chosen in the editor, applied and sent; what matters
// is what ends up in the simulated mouse's key table and macro area and in the profile file.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <array>

#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CDeviceProfileUI.h"
#include "core/keys/KeyEditorCodes.h"
#include "core/profile/CBasicProfiledata.h"
#include "core/protocol/codecs/EventArea.h"
#include "editors/CKeySetControlUI.h"
#include "editors/CMacroControlUI.h"
#include "platform/input/CTestInputSource.h"
#include "tests/app/MouseWindowFixture.h"

using namespace q840;

namespace {

class KeyCommandsTest : public test::MouseWindowTest {
protected:
    editors::CKeySetControlUI* Editor() { return Page()->GetKeyEditor(); }
    QWidget* Control(const char* name) {
        QWidget* control = Editor()->findChild<QWidget*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Send(QWidget* control, const QString& type, quint64 wParam = 0) {
        m_wnd->PaintManager().SendNotify(control, type, wParam);
    }
    void Click(const char* name) { Send(Control(name), ui::notify::kClick); }
    // A key of the mouse picture, clicked.
    void ClickKey(int key) { Send(Page()->GetKeyButton(key), ui::notify::kClick); }
    // The user picks item `index` of one of the editor's combo boxes.
    void Pick(const char* combo, int index) {
        auto* box = qobject_cast<QComboBox*>(Control(combo));
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(index);
        Send(box, ui::notify::kItemSelect, quint64(index));
    }
    // The user picks the function page `page` from the function list.
    void PickFunction(int page) {
        auto* box = qobject_cast<QComboBox*>(Control("keyset_function_combo"));
        ASSERT_NE(box, nullptr);
        const int index = box->findData(QString::number(page));
        ASSERT_GE(index, 0) << page;
        Pick("keyset_function_combo", index);
    }
    // Types into a number field and leaves it.
    void Type(const char* edit, const QString& text) {
        auto* field = qobject_cast<QLineEdit*>(Control(edit));
        ASSERT_NE(field, nullptr);
        field->setText(text);
        Send(field, ui::notify::kKillFocus);
    }
    QString EditText(const char* edit) { return qobject_cast<QLineEdit*>(Control(edit))->text(); }
    uint32_t ProfileCode(int key) {
        return Page()->GetProfileData()->GetKeyAssignments().at(size_t(key)).current.Code();
    }
    // The code of a key in the profile file on disk.
    uint32_t FileCode(int key) {
        profile::CBasicProfiledata data;
        data.SetDeviceIndex(0);
        data.LoadDeviceNode(Page()->GetProfileData()->GetProfilePath());
        return data.ReadKeyAssignments().at(size_t(key)).current.Code();
    }
    // The three bytes of a key's slot in the simulated mouse's key table.
    std::array<uint8_t, 3> MouseSlot(int key) {
        const auto table = m_mouse->KeyTable();
        const size_t at = size_t(Page()->GetKeySlotMap()[size_t(key)]) * 3;
        return {table.at(at), table.at(at + 1), table.at(at + 2)};
    }
    bool Enabled(const char* name) { return Control(name)->isEnabled(); }
};

TEST_F(KeyCommandsTest, AShortcutForAClickedKeyReachesTheMouseAndTheProfileFile) {
    ASSERT_NE(Editor(), nullptr);
    // Before any key is picked the editor says what to do and offers nothing to apply.
    EXPECT_FALSE(Control("keyset_layout")->isVisibleTo(Editor()));
    EXPECT_TRUE(Control("keyset_select_hint")->isVisibleTo(Editor()));
    EXPECT_FALSE(Enabled("key_butt_prosave"));

    // A click on the forward button of the picture, from another tab: the key tab opens on it.
    Page()->ShowFunctionPanel(1);
    ClickKey(3);
    EXPECT_EQ(Page()->GetFunctionPanel(), 2);
    EXPECT_EQ(Page()->GetSelectedKey(), 3);
    auto* marked = qobject_cast<controls::CDeviceKeyButtonUI*>(Page()->GetKeyButton(3));
    EXPECT_TRUE(marked->IsSelected());
    EXPECT_FALSE(
        qobject_cast<controls::CDeviceKeyButtonUI*>(Page()->GetKeyButton(0))->IsSelected());
    const uint32_t forward = ProfileCode(3);
    EXPECT_EQ(forward, 0x101000u);
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageDefault) << "its factory function";
    EXPECT_EQ(qobject_cast<QLabel*>(Control("keyset_key_name"))->text(), Text("mouse_key_forward"));
    EXPECT_EQ(qobject_cast<QLabel*>(Control("keyset_current_function"))->text(),
              Text("mouse_key_forward"));
    const auto before = MouseSlot(3);

    // The shortcut "copy": applied at once, kept in the profile file, not on the mouse yet.
    PickFunction(keys::kPageShortcut);
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageShortcut);
    Pick("keyset_combokey_combo", 4);
    EXPECT_EQ(ProfileCode(3), 0x201006u);
    EXPECT_EQ(FileCode(3), 0x201006u);
    EXPECT_EQ(MouseSlot(3), before);
    EXPECT_TRUE(Enabled("key_butt_prosave"));
    EXPECT_TRUE(Control("keyset_pending_hint")->isVisibleTo(Editor()));
    EXPECT_EQ(qobject_cast<QLabel*>(Control("keyset_current_function"))->text(),
              Text("keyboard_key_RCtrl") + "+" + Text("keyboard_key_C"));
    EXPECT_EQ(Page()->GetKeyButton(3)->property("tooltipText").toString(),
              Text("keyboard_key_RCtrl") + "+" + Text("keyboard_key_C"));
    EXPECT_FALSE(marked->IsKeySet()) << "the picture marks a key that is not as from the factory";

    // Save: the mouse's key table holds the bytes, the buttons rest, nothing is left to send.
    Click("key_butt_prosave");
    EXPECT_EQ(MouseSlot(3), (std::array<uint8_t, 3>{0x20, 0x10, 0x06}));
    EXPECT_EQ(FileCode(3), 0x201006u);
    EXPECT_FALSE(Enabled("key_butt_prosave"));
    EXPECT_FALSE(Enabled("key_butt_keysave"));
    EXPECT_FALSE(Control("keyset_pending_hint")->isVisibleTo(Editor()));
    EXPECT_FALSE(Page()->HasPendingWrites());
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('|').toStdString();

    // Another key and back: the editor shows each key's own function.
    ClickKey(0);
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageDefault);
    ClickKey(3);
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageShortcut);
    EXPECT_EQ(qobject_cast<QComboBox*>(Control("keyset_combokey_combo"))->currentIndex(), 4);

    // Default, then Save: the factory function is back on the mouse and in the file.
    Click("key_butt_keydefalut");
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageDefault);
    EXPECT_EQ(ProfileCode(3), 0x201006u) << "shown, not yet applied";
    Click("key_butt_prosave");
    EXPECT_EQ(ProfileCode(3), forward);
    EXPECT_EQ(FileCode(3), forward);
    EXPECT_EQ(MouseSlot(3), (std::array<uint8_t, 3>{0x10, 0x10, 0x00}));
    EXPECT_TRUE(marked->IsKeySet());
}

TEST_F(KeyCommandsTest, AMacroBoundToAKeyIsSentAndTheKeyNamesItsPlaceInTheArea) {
    // Two macros; only the second gets steps and a key.
    auto* macros = Page()->GetMacroEditor();
    ASSERT_NE(macros, nullptr);
    for (int i = 0; i < 2; ++i) {
        Send(macros->findChild<QWidget*>("macro_btn_name_add"), ui::notify::kClick);
    }
    ASSERT_EQ(macros->GetSelectedMacro(), 1);
    m_wnd->Macros().HandleMenu("right_click");
    EXPECT_EQ(Editor()->GetMacroNames(), (QStringList{"macro_1", "macro_2"}));

    ClickKey(4);
    PickFunction(keys::kPageMacro);
    EXPECT_FALSE(Control("keyset_macro_empty_hint")->isVisibleTo(Editor()));
    Pick("keyset_macro_combo", 1);
    Pick("keyset_macro_over_combo", keys::kPlayModeRepeat);
    EXPECT_TRUE(Control("keyset_macro_cycle_layout")->isVisibleTo(Editor()));
    Type("keyset_macro_cycle_edit", "7");
    EXPECT_EQ(ProfileCode(4), 0x710107u) << "the profile names the macro by its number";
    Click("key_butt_prosave");
    // The mouse's area holds the one macro in use, first; the key names that place.
    EXPECT_EQ(MouseSlot(4), (std::array<uint8_t, 3>{0x71, 0x00, 0x07}));
    const auto area = m_mouse->MacroArea();
    const auto records = protocol::ParseEventArea(area.data(), area.size());
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].size(), 2u);
    EXPECT_EQ(records[0][0].button, 2);
    EXPECT_TRUE(records[0][0].down);
    EXPECT_EQ(FileCode(4), 0x710107u);

    // Play mode 1 without repeat; the repeat field goes.
    Pick("keyset_macro_over_combo", 1);
    EXPECT_FALSE(Control("keyset_macro_cycle_layout")->isVisibleTo(Editor()));
    EXPECT_EQ(ProfileCode(4), 0x700101u);

    // Another profile (the factory one) and back: the editor shows each profile's function.
    auto* bar = Page()->GetProfileBar();
    auto* profiles = bar->findChild<QComboBox*>("device_profile_combo");
    Send(bar->findChild<QWidget*>("device_add_btn"), ui::notify::kClick);
    ASSERT_EQ(profiles->count(), 2);
    profiles->setCurrentIndex(1);
    m_wnd->Profiles().SwitchProfile();
    EXPECT_EQ(Page()->GetSelectedKey(), 4);
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageDefault);
    EXPECT_EQ(MouseSlot(4), (std::array<uint8_t, 3>{0x10, 0x08, 0x00}));
    profiles->setCurrentIndex(0);
    m_wnd->Profiles().SwitchProfile();
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageMacro);
    EXPECT_EQ(MouseSlot(4), (std::array<uint8_t, 3>{0x70, 0x00, 0x01}));

    // The macro is renamed: the editor's choice and heading follow.
    macros->SelectMacro(1);
    qobject_cast<QLineEdit*>(macros->findChild<QWidget*>("macro_edit_macroname"))->setText("burst");
    Send(macros->findChild<QWidget*>("macro_btn_name_edit"), ui::notify::kClick);
    EXPECT_EQ(Editor()->GetMacroNames(), (QStringList{"macro_1", "burst"}));
    EXPECT_EQ(qobject_cast<QLabel*>(Control("keyset_current_function"))->text(), "burst");
}

TEST_F(KeyCommandsTest, CapturedKeysSwingsAndCodesNoPageShows) {
    input::CTestInputSource* source = nullptr;
    m_wnd->InputHook().SetSourceFactory([&source](std::string*) {
        auto made = std::make_unique<input::CTestInputSource>();
        source = made.get();
        return made;
    });
    ClickKey(1);
    // Focus on the key field starts single-key capture; leaving it stops it.
    PickFunction(keys::kPageKeyboard);
    QWidget* field = Control("keyset_keyboard_text_edit");
    Send(field, ui::notify::kSetFocus);
    EXPECT_TRUE(m_wnd->IsInputHookInstalled());
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source->KeysWanted());
    // Shift, then A, through the input hook and the main window to the page; releases change
    // nothing.
    source->Key(input::kKeyDown, 0x2A, false, 0xA0);
    source->Key(input::kKeyUp, 0x2A, false, 0xA0);
    EXPECT_EQ(Editor()->GetSelectedModifier(), 2);
    EXPECT_EQ(EditText("keyset_keyboard_text_edit"), QString());
    source->Key(input::kKeyDown, 0x1E, false, 0x41);
    EXPECT_EQ(EditText("keyset_keyboard_text_edit"), Text("keyboard_key_A"));
    EXPECT_EQ(ProfileCode(1), 0x200204u);
    // Right Ctrl alone: option 1, the key field empty.
    Page()->HandleCapturedKey(0xA3, true);
    EXPECT_EQ(Editor()->GetSelectedModifier(), 1);
    EXPECT_EQ(EditText("keyset_keyboard_text_edit"), QString());
    EXPECT_EQ(ProfileCode(1), 0x200100u);
    Page()->HandleCapturedKey(0x43, false);  // C
    EXPECT_EQ(ProfileCode(1), 0x200106u);
    Send(field, ui::notify::kKillFocus);
    EXPECT_FALSE(m_wnd->IsInputHookInstalled());
    // A modifier option chosen by hand keeps the key.
    QWidget* alt = Control("key_ComBox_check_3");
    qobject_cast<QAbstractButton*>(alt)->setChecked(true);
    Send(alt, ui::notify::kSelectChanged, 1);
    EXPECT_EQ(ProfileCode(1), 0x200406u);
    // Captured keys reach only the keyboard page.
    PickFunction(keys::kPageSensitivity);
    Page()->HandleCapturedKey(0x42, false);
    EXPECT_EQ(ProfileCode(1), 0x200406u);

    // A wheel swing down with a delay beyond its four bits: the longest delay, and the field says
    // so (not 20 & 15 = 4).
    PickFunction(keys::kPageSwingVertical);
    Pick("keyset_mousewheel_combo", 1);
    Type("keyset_mousewheel_num_edit", "10");
    Type("keyset_mousewheel_speed_edit", "5");
    Type("keyset_mousewheel_delay_edit", "20");
    EXPECT_EQ(EditText("keyset_mousewheel_delay_edit"), "15");
    EXPECT_EQ(ProfileCode(1), 0x12F5F6u);
    Click("key_butt_prosave");
    EXPECT_EQ(MouseSlot(1), (std::array<uint8_t, 3>{0x12, 0xF5, 0xF6}));
    // Shown again from the profile: ten steps down.
    ClickKey(0);
    ClickKey(1);
    EXPECT_EQ(Editor()->ShownPage(), keys::kPageSwingVertical);
    EXPECT_EQ(EditText("keyset_mousewheel_num_edit"), "10");
    EXPECT_EQ(qobject_cast<QComboBox*>(Control("keyset_mousewheel_combo"))->currentIndex(), 1);

    // A function no page shows: the pages hide and say so, and Save leaves the key alone.
    auto pairs = Page()->GetProfileData()->GetKeyAssignments();
    pairs.at(5).current.SetCode(0x150000u);
    Page()->GetProfileData()->WriteKeyAssignments(pairs);
    ClickKey(5);
    EXPECT_FALSE(Control("keyset_layout")->isVisibleTo(Editor()));
    EXPECT_TRUE(Control("keyset_unknown_hint")->isVisibleTo(Editor()));
    Click("key_butt_prosave");
    EXPECT_EQ(ProfileCode(5), 0x150000u);
    // Default brings it back.
    Click("key_butt_keydefalut");
    Click("key_butt_keysave");
    EXPECT_EQ(ProfileCode(5), 0x130100u);
    EXPECT_TRUE(Control("keyset_layout")->isVisibleTo(Editor()));
}

}  // namespace
