// The shoot pattern editor as a user drives it: the real main window over the simulated mouse,
// bullets chosen and edited, guns switched and reset, patterns imported, exported and sent; what
// matters is what ends up in the pattern files and in the mouse's shoot area.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <filesystem>

#include "core/macro/ShootFile.h"
#include "core/profile/JsonFileStore.h"
#include "core/protocol/codecs/EventArea.h"
#include "editors/CShootControlUI.h"
#include "tests/app/MouseWindowFixture.h"
#include "tests/support/TempDir.h"

using namespace q840;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    QFile file(QString::fromStdString(path.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), qint64(bytes.size()));
}

class ShootCommandsTest : public test::MouseWindowTest {
protected:
    void SetUp() override {
        MouseWindowTest::SetUp();
        ASSERT_NE(Editor(), nullptr);
    }
    editors::CShootControlUI* Editor() { return Page()->GetShootEditor(); }
    template <class T = QWidget>
    T* Control(const QString& name) {
        T* control = Editor()->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name.toStdString();
        return control;
    }
    void Notify(const QString& name, const QString& type) {
        if (QWidget* control = Control(name)) {
            m_wnd->PaintManager().SendNotify(control, type);
        }
    }
    void Click(const QString& name) { Notify(name, ui::notify::kClick); }
    // A user's choice of an option: it turns on, then tells the window.
    void Choose(const QString& name, bool on = true) {
        if (auto* option = Control<QAbstractButton>(name)) {
            option->setChecked(on);
            Notify(name, ui::notify::kSelectChanged);
        }
    }
    // Typing into an edit and leaving it.
    void Type(const char* edit, const QString& text) {
        Control<QLineEdit>(edit)->setText(text);
        Notify(edit, ui::notify::kKillFocus);
    }
    QString Shown(const char* name) {
        if (auto* edit = qobject_cast<QLineEdit*>(Control(name))) {
            return edit->text();
        }
        auto* label = qobject_cast<QLabel*>(Control(name));
        return label != nullptr ? label->text() : QString();
    }
    std::filesystem::path Work(int gun) { return Editor()->Store().WorkFile(gun); }
    std::filesystem::path Factory(int gun) { return Editor()->Store().FactoryFile(gun); }
    macro::ShootBullet Bullet(int gun, int bullet) {
        return macro::ShootFile::GetBullet(profile::JsonFileStore().ReadJsonFile(Work(gun)),
                                           bullet);
    }
    test::TempDir folder;
};

TEST_F(ShootCommandsTest, BulletsAreEditedWithinTheirLimitsAndReachTheMouse) {
    // The macros tab's bar turns to the shoot patterns; the working files are the factory ones.
    Page()->ShowFunctionPanel(3);
    auto* turn = Page()->findChild<QAbstractButton*>("mouse_shoot_panel_op");
    ASSERT_NE(turn, nullptr);
    EXPECT_FALSE(Editor()->isVisible());
    turn->click();
    EXPECT_TRUE(test::WaitFor([&] { return Editor()->isVisible(); }));
    for (int gun = 0; gun < 4; ++gun) {
        ASSERT_EQ(ReadFile(Work(gun)), ReadFile(Factory(gun))) << gun;
    }
    EXPECT_EQ(Editor()->GetCurrentGun(), 0);
    EXPECT_EQ(Shown("bullet_select_index"), "1");

    // Previous on bullet 1 and next on bullet 30 stay where they are.
    Click("bullet_selected_prev");
    EXPECT_EQ(Shown("bullet_select_index"), "1");
    Choose("bullet_op_29");
    Click("bullet_selected_next");
    EXPECT_EQ(Shown("bullet_select_index"), "30");
    EXPECT_TRUE(Control<QAbstractButton>("bullet_op_29")->isChecked());
    Click("bullet_selected_prev");
    EXPECT_EQ(Editor()->GetCurrentBullet(), 28);
    EXPECT_FALSE(Control<QAbstractButton>("bullet_op_29")->isChecked());

    // X = 300 is more than a move carries: the file, the edit and the mouse all take 255.
    Choose("bullet_op_3");
    Type("bullet_x_eidt", "300");
    Type("bullet_y_eidt", "12");
    Type("bullet_delay_eidt", "99999");
    EXPECT_EQ(Shown("bullet_x_eidt"), "255");
    EXPECT_EQ(Shown("bullet_delay_eidt"), "65535");
    // A direction turned is saved at once and its button names it.
    Choose("bullet_x_check", true);
    Choose("bullet_y_check", false);
    EXPECT_EQ(Control<QAbstractButton>("bullet_x_check")->text(), Text("mouse_move_to_left_text"));
    EXPECT_EQ(Control<QAbstractButton>("bullet_y_check")->text(), Text("mouse_move_to_down_text"));
    EXPECT_EQ(Bullet(0, 3), (macro::ShootBullet{255, true, 12, false, 65535}));

    // Another gun keeps the bullet number and shows that bullet of its own pattern.
    Choose("shoot_gun_op_2");
    EXPECT_EQ(Shown("bullet_select_index"), "4");
    const macro::ShootBullet factory2 = Bullet(2, 3);
    EXPECT_EQ(Shown("bullet_y_eidt"), QString::number(factory2.y));
    EXPECT_EQ(Shown("bullet_delay_eidt"), QString::number(factory2.delay));
    Type("bullet_y_eidt", "9");

    // Send: the mouse holds the four files as they are now.
    Click("shootdate_save_btn");
    std::vector<std::vector<protocol::MacroStep>> records;
    for (int gun = 0; gun < 4; ++gun) {
        records.push_back(
            macro::ShootFile::Steps(profile::JsonFileStore().ReadJsonFile(Work(gun))));
    }
    const std::vector<uint8_t> expected = protocol::BuildEventArea(records);
    const std::vector<uint8_t> area = m_mouse->ShootArea();
    ASSERT_GE(area.size(), expected.size());
    EXPECT_EQ(expected, std::vector<uint8_t>(area.begin(), area.begin() + expected.size()));
    EXPECT_EQ(records[0][3 * 6 + 2].button, 255);
    EXPECT_TRUE(records[0][3 * 6 + 2].down);
    EXPECT_FALSE(Page()->HasPendingWrites());

    // Reset asks first; "no" keeps the gun, "yes" restores it and leaves the other guns alone.
    Choose("shoot_gun_op_0");
    const std::string edited2 = ReadFile(Work(2));
    const std::string edited0 = ReadFile(Work(0));
    m_answer = 0;
    Click("shootdate_reset_btn");
    EXPECT_EQ(TakeMessage(), Text("shoot_reset_confirm"));
    EXPECT_EQ(ReadFile(Work(0)), edited0);
    m_answer = 1;
    Click("shootdate_reset_btn");
    EXPECT_EQ(TakeMessage(), Text("shoot_reset_confirm"));
    EXPECT_EQ(ReadFile(Work(0)), ReadFile(Factory(0)));
    EXPECT_EQ(ReadFile(Work(2)), edited2);
    EXPECT_EQ(Shown("bullet_x_eidt"), QString::number(Bullet(0, 3).x));
}

TEST_F(ShootCommandsTest, OnlyWholePatternsAreImportedAndExportsReadBack) {
    Choose("shoot_gun_op_1");
    Choose("bullet_op_0");
    Type("bullet_y_eidt", "42");
    const std::string mine = ReadFile(Work(1));

    // Export adds the extension to a name typed without one, and copies byte for byte.
    m_saveAs = QString::fromStdString((folder / "mine").string());
    Click("shootdate_export_btn");
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(ReadFile(folder / "mine.shoot"), mine);

    // Refused: a macro, a pattern cut short, one with a move too long, a huge file, a folder.
    Json::Value wide = profile::JsonFileStore().ReadJsonFile(Work(1));
    wide["Events"][2]["Button"] = 300;
    WriteFile(folder / "macro.shoot",
              R"({"Events":[{"Action":"down","Button":4,"Delay":"35","Type":10}],"Version":64})");
    WriteFile(folder / "short.shoot", mine.substr(0, mine.size() / 2));
    WriteFile(folder / "wide.shoot", profile::JsonFileStore::StoredText(wide));
    WriteFile(folder / "huge.shoot", mine + std::string(macro::kMaxShootFileBytes, ' '));
    Choose("shoot_gun_op_3");
    const std::string gun3 = ReadFile(Work(3));
    for (const char* name : {"macro.shoot", "short.shoot", "wide.shoot", "huge.shoot", "."}) {
        m_open = QString::fromStdString((folder / name).string());
        Click("shootdate_import_btn");
        EXPECT_EQ(TakeMessage(), Text("shoot_import_bad_file")) << name;
        EXPECT_EQ(ReadFile(Work(3)), gun3) << name;
    }
    // A cancelled dialog does nothing.
    m_open.clear();
    Click("shootdate_import_btn");
    EXPECT_TRUE(m_messages.isEmpty());

    // A pattern goes into the current gun whole, and the view shows it.
    m_open = QString::fromStdString((folder / "mine.shoot").string());
    Click("shootdate_import_btn");
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(ReadFile(Work(3)), mine);
    Choose("bullet_op_0");
    EXPECT_EQ(Shown("bullet_y_eidt"), "42");
}

}  // namespace
