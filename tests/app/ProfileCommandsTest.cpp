// The profile bar as a user drives it: the real main window over the simulated mouse, the
// commands clicked, the messages read from the message box, the file dialogs answered.
#include <gtest/gtest.h>

#include <json/json.h>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/RegisteredMessages.h"
#include "controls/CDeviceProfileUI.h"
#include "core/hid/HidBackend.h"
#include "core/profile/JsonFileStore.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/sim/DemoDevices.h"
#include "editors/CLightControlUI.h"
#include "pages/COrvenixMouseDevice.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/ui/CColorPaletteUI.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "tests/app/MouseWindowFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"
#include "windows/CColorSelectWnd.h"

using namespace q840;
using q840::test::WaitFor;

namespace {

class ProfileCommandsTest : public test::MouseWindowTest {
protected:
    controls::CDeviceProfileUI* Bar() { return Page()->GetProfileBar(); }
    QComboBox* Combo() { return Bar()->findChild<QComboBox*>("device_profile_combo"); }
    void Click(const char* name) {
        QWidget* control = Bar()->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        m_wnd->PaintManager().SendNotify(control, ui::notify::kClick);
    }
    // The user picks a profile in the list; the switch follows 400 ms later.
    void Pick(int index) {
        Combo()->setCurrentIndex(index);
        m_wnd->PaintManager().SendNotify(Combo(), ui::notify::kItemSelect, quint64(index));
    }
    void Rename(const QString& name) {
        Bar()->SetNameEditText(name);
        Click("device_profile_edit_save_btn");
    }
    QStringList Names() {
        QStringList names;
        for (int i = 0; i < Combo()->count(); ++i) {
            names << Combo()->itemText(i);
        }
        return names;
    }
};

// Stage 2's X index and the report rate in profile 0's block (sensor 0x3104).
constexpr size_t kStage2X = 14 + 18 + 2;
constexpr size_t kReportRate = 11;

TEST_F(ProfileCommandsTest, SwitchingProfilesWritesEachProfilesSettingsToTheMouse) {
    const QString firstId = Page()->GetProfileFileName();
    EXPECT_EQ(Names(), QStringList{"Profile1"});
    // Picking the current profile again writes it whole (the mouse's DPI stages are not read
    // back into a profile, so until now the mouse held its own).
    m_mouse->SetSettings(std::vector<uint8_t>(MouseSettings().size(), 0));
    Pick(0);
    ASSERT_TRUE(WaitFor([&] { return MouseSettings()[kStage2X] != 0; }));
    const std::vector<uint8_t> first = MouseSettings();

    Click("device_add_btn");
    ASSERT_EQ(Names(), (QStringList{"Profile1", "profile2"}));
    EXPECT_EQ(Combo()->currentIndex(), 0);  // a new profile is not picked for the user
    EXPECT_EQ(Page()->GetProfileFileName(), firstId);

    // The second profile differs in a DPI stage and the report rate.
    const std::string second = Bar()->GetProfileFilePath(1).toStdString();
    profile::JsonFileStore store;
    Json::Value content = store.ReadJsonFile(second);
    Json::Value& stage = content["Device"][0]["DPIStages"]["StageDPIs"][2];
    const int x = (stage["StageDPIX"].asInt() + 7) % 100;
    stage["StageDPIX"] = x;
    stage["StageDPIY"] = x;
    content["Device"][0]["ReportStages"]["StageActive"] = 1;
    ASSERT_EQ(0, store.WriteJsonFile(second, content));

    Pick(1);
    ASSERT_TRUE(WaitFor([&] { return MouseSettings()[kStage2X] == x; }));
    EXPECT_EQ(MouseSettings()[kReportRate], 1);
    EXPECT_NE(Page()->GetProfileFileName(), firstId);
    EXPECT_EQ(Bar()->GetNameEditText(), "profile2");
    EXPECT_EQ(Bar()->List().StoredSelection(), 1);

    // Back to the first: the mouse holds exactly its block again.
    Pick(0);
    ASSERT_TRUE(WaitFor([&] { return Page()->GetProfileFileName() == firstId; }));
    EXPECT_EQ(MouseSettings(), first);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join('|').toStdString();
}

TEST_F(ProfileCommandsTest, RenameChecksTheNameInTheirOrderAndSaysWhatIsWrong) {
    Click("device_add_btn");
    Rename("my mouse");
    EXPECT_EQ(TakeMessage(), Text("message_text_35"));
    Rename("游戏配置一二三四五");  // 18 bytes
    EXPECT_EQ(TakeMessage(), Text("message_text_34"));
    Rename("游戏配置一二三四");  // 16 bytes
    EXPECT_TRUE(TakeMessage().isEmpty());
    EXPECT_EQ(Names().front(), "游戏配置一二三四");

    Combo()->setCurrentIndex(1);
    Rename("游戏配置一二三四");
    EXPECT_EQ(TakeMessage(), Text("message_text_5"));
    Rename("");  // nothing
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(Names(), (QStringList{"游戏配置一二三四", "profile2"}));
    // The name is in the list file and in the profile file.
    profile::JsonFileStore store;
    EXPECT_EQ(
        store.ReadJsonFile(Bar()->GetProfileFilePath(0).toStdString())["profilename"].asString(),
        "游戏配置一二三四");
}

TEST_F(ProfileCommandsTest, ExportImportDeleteAndTheLimitAsAUserMeetsThem) {
    test::TempDir files;
    m_saveAs = QString::fromStdString((files / "gaming").string());  // typed without extension
    Click("device_export_btn");
    ASSERT_TRUE(QFile::exists(m_saveAs + ".json"));
    m_open = m_saveAs + ".json";
    Click("device_import_btn");
    Click("device_import_btn");
    EXPECT_EQ(Names(), (QStringList{"Profile1", "gaming", "gaming(1)"}));

    // A file that is no profile changes nothing and says so.
    QFile bad(QString::fromStdString((files / "notes.json").string()));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"profilename":"x"})");
    bad.close();
    m_open = bad.fileName();
    Click("device_import_btn");
    EXPECT_EQ(TakeMessage(), Text("profile_import_bad_file"));
    EXPECT_EQ(Names().size(), 3);
    // A cancelled dialog ends the command without a word.
    m_open.clear();
    Click("device_import_btn");
    EXPECT_TRUE(m_messages.isEmpty());

    // Delete asks first; "no" keeps the profile.
    Combo()->setCurrentIndex(2);
    m_answer = 0;
    Click("device_sub_btn");
    EXPECT_EQ(TakeMessage(), Text("profile_delete_confirm"));
    EXPECT_EQ(Names().size(), 3);
    m_answer = 1;
    const QString gone = Bar()->GetProfileFilePath(2);
    Click("device_sub_btn");
    EXPECT_EQ(Names(), (QStringList{"Profile1", "gaming"}));
    EXPECT_FALSE(QFile::exists(gone));
    // The one before becomes current at once.
    EXPECT_EQ(Combo()->currentIndex(), 1);
    EXPECT_EQ(Page()->GetProfileFileName(), Bar()->GetCurrentProfileId());
    EXPECT_EQ(Page()->ProfilePath(), Bar()->GetProfileFilePath(1));
    m_messages.clear();

    // Fifty at most: the 51st is refused by new, copy and import alike.
    while (Combo()->count() < 50) {
        Click("device_copy_btn");
    }
    EXPECT_TRUE(m_messages.isEmpty());
    for (const char* command : {"device_add_btn", "device_copy_btn", "device_import_btn"}) {
        m_open = m_saveAs + ".json";
        Click(command);
        EXPECT_EQ(TakeMessage(), Text("message_text_32")) << command;
        EXPECT_EQ(Combo()->count(), 50);
    }

    // The menu opens and closes with its button.
    EXPECT_FALSE(Bar()->IsProfileMenuVisible());
    Click("profile_fun_spread_btn");
    EXPECT_TRUE(Bar()->IsProfileMenuVisible());
    Click("profile_fun_spread_btn");
    EXPECT_FALSE(Bar()->IsProfileMenuVisible());
}

TEST_F(ProfileCommandsTest, ResetAsksAndGivesTheMouseTheFactorySettings) {
    Click("device_reset_btn");
    EXPECT_EQ(TakeMessage(), Text("message_text_22"));
    const std::vector<uint8_t> factory = MouseSettings();
    profile::JsonFileStore store;
    const Json::Value defaults =
        store.ReadJsonFile(Page()->DefaultProfilePath().toStdString())["Device"];
    EXPECT_EQ(store.ReadJsonFile(Page()->ProfilePath().toStdString())["Device"], defaults);

    auto* slider = Page()->findChild<QSlider*>("DPI_slider_2");
    ASSERT_NE(slider, nullptr);
    slider->setValue(slider->value() + 5);
    m_wnd->PaintManager().SendNotify(slider, ui::notify::kValueChanged, slider->value());
    ASSERT_NE(MouseSettings(), factory);

    m_answer = 0;
    Click("device_reset_btn");
    EXPECT_EQ(TakeMessage(), Text("message_text_22"));
    EXPECT_NE(MouseSettings(), factory);
    m_answer = 1;
    Click("device_reset_btn");
    EXPECT_EQ(MouseSettings(), factory);
    EXPECT_EQ(Names(), QStringList{"Profile1"});
}

TEST_F(ProfileCommandsTest, LightingEditorChangesReachTheMouseAndTheProfile) {
    editors::CLightControlUI* editor = Page()->GetLightEditor();
    ASSERT_NE(editor, nullptr);
    auto* effects = editor->findChild<QComboBox*>("light_combo_modeSelect");
    auto light = [&] {
        const std::vector<uint8_t> bytes = MouseSettings();
        return protocol::SettingsBlock::Decode(bytes.data(), bytes.size()).light;
    };
    // Static, then a typed colour.
    effects->setCurrentIndex(0);
    m_wnd->PaintManager().SendNotify(effects, ui::notify::kItemSelect, 0);
    EXPECT_EQ(light().effect, Page()->GetEffectCodes()[0]);
    auto* green = editor->findChild<QLineEdit*>("deng_edit_G");
    green->setText("300");
    m_wnd->PaintManager().SendNotify(green, ui::notify::kKillFocus);
    EXPECT_EQ(green->text(), "255");
    EXPECT_EQ(light().green, 255);
    auto* preset = editor->findChild<QWidget*>("color_option_0");  // red
    m_wnd->PaintManager().SendNotify(preset, ui::notify::kClick);
    EXPECT_EQ(light().red, 255);
    EXPECT_EQ(light().green, 0);
    EXPECT_EQ(light().multiColour, 0);
    // Brightness as it is, speed as 4 - speed (bytes 2 and 3 of the block).
    effects->setCurrentIndex(1);  // breathing: brightness and speed both apply
    m_wnd->PaintManager().SendNotify(effects, ui::notify::kItemSelect, 1);
    for (const auto& [name, value] :
         {std::pair{"deng_light_slider", 2}, std::pair{"deng_speed_slider", 1}}) {
        auto* slider = editor->findChild<QSlider*>(name);
        slider->setValue(value);
        m_wnd->PaintManager().SendNotify(slider, ui::notify::kValueChanged, quint64(value));
    }
    // The second step follows the first at the mouse's pace.
    ASSERT_TRUE(WaitFor([&] { return !m_wnd->LightWriteWaiting(); }));
    EXPECT_EQ(MouseSettings()[2], 2);
    EXPECT_EQ(MouseSettings()[3], 4 - 1);
    effects->setCurrentIndex(0);
    m_wnd->PaintManager().SendNotify(effects, ui::notify::kItemSelect, 0);
    // The profile keeps it.
    profile::JsonFileStore store;
    const Json::Value info =
        store.ReadJsonFile(Page()->ProfilePath().toStdString())["Device"][0]["LightInfo"];
    EXPECT_EQ(info["SelectItem"].asInt(), 0);
    EXPECT_EQ(info["Red"].asInt(), 255);
    EXPECT_EQ(info["Green"].asInt(), 0);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ProfileCommandsTest, SliderStepsReachThePreviewAtOnceAndTheMouseAtItsPace) {
    editors::CLightControlUI* editor = Page()->GetLightEditor();
    ASSERT_NE(editor, nullptr);
    auto* effects = editor->findChild<QComboBox*>("light_combo_modeSelect");
    effects->setCurrentIndex(1);  // breathing: brightness and speed both apply
    m_wnd->PaintManager().SendNotify(effects, ui::notify::kItemSelect, 1);
    auto* brightness = editor->findChild<QSlider*>("deng_light_slider");
    auto* speed = editor->findChild<QSlider*>("deng_speed_slider");
    const std::string profilePath = Page()->ProfilePath().toStdString();
    auto stored = [&](const char* key) {
        profile::JsonFileStore store;
        return store.ReadJsonFile(profilePath)["Device"][0]["LightInfo"][key].asInt();
    };
    // 200 steps as fast as the loop goes: drag moves, releases and arrow keys mixed, both
    // sliders. Every step is in the preview before the next one; only a few reach the wire.
    const int beginsBefore = m_mouse->GetStats().begins;
    for (int i = 0; i < 200; ++i) {
        QSlider* slider = i % 3 == 0 ? speed : brightness;
        const int value = (i * 7) % 5;
        slider->setValue(value);
        m_wnd->PaintManager().SendNotify(
            slider, i % 2 == 0 ? ui::notify::kMoveValueChanged : ui::notify::kValueChanged,
            quint64(value));
        const profile::LightSetting shown = Page()->GetLightSettingsRecord();
        ASSERT_EQ(slider == speed ? shown.speed : shown.brightness, value) << "step " << i;
    }
    const int lastBrightness = brightness->value();
    const int lastSpeed = speed->value();
    ASSERT_TRUE(WaitFor([&] { return !m_wnd->LightWriteWaiting(); }));
    const int writes = m_mouse->GetStats().begins - beginsBefore;
    EXPECT_GE(writes, 1);
    EXPECT_LE(writes, 4);
    EXPECT_EQ(MouseSettings()[2], lastBrightness);
    EXPECT_EQ(MouseSettings()[3], 4 - lastSpeed);
    EXPECT_EQ(stored("Light"), lastBrightness);
    EXPECT_EQ(stored("Speed"), lastSpeed);

    // With the mouse given a minute between writes, the waiting write goes out before anything
    // else the user does...
    m_wnd->SetLightWriteMinGapMs(60000);
    for (int value : {1, 0, 1, 2}) {
        brightness->setValue(value);
        m_wnd->PaintManager().SendNotify(brightness, ui::notify::kValueChanged, quint64(value));
    }
    ASSERT_TRUE(m_wnd->LightWriteWaiting());
    m_wnd->PaintManager().SendNotify(editor->findChild<QWidget*>("deng_FXL_check"),
                                     ui::notify::kClick);
    EXPECT_FALSE(m_wnd->LightWriteWaiting());
    EXPECT_EQ(MouseSettings()[2], 2);
    EXPECT_EQ(stored("Light"), 2);
    // ... and before the window goes.
    for (int value : {3, 4}) {
        brightness->setValue(value);
        m_wnd->PaintManager().SendNotify(brightness, ui::notify::kValueChanged, quint64(value));
    }
    ASSERT_TRUE(m_wnd->LightWriteWaiting());
    m_wnd->Close();
    EXPECT_EQ(MouseSettings()[2], 4);
    EXPECT_EQ(stored("Light"), 4);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(ProfileCommandsTest, AStageColourChosenInThePickerReachesTheMouse) {
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase& window) {
        auto* picker = dynamic_cast<CColorSelectWnd*>(&window);
        if (picker == nullptr) {
            return 0;
        }
        auto* palette = qobject_cast<ui::CColorPaletteUI*>(picker->FindControl("Pallet"));
        palette->SetSelectColor(0xFF12AB34);
        picker->PaintManager().SendNotify(palette, ui::notify::kColorChanged);
        picker->PaintManager().SendNotify(picker->FindControl("okbtn"), ui::notify::kClick);
        return 1;
    });
    QWidget* button = Page()->findChild<QWidget*>("DPI_color_option_2");
    ASSERT_NE(button, nullptr);
    m_wnd->PaintManager().SendNotify(button, ui::notify::kClick);
    constexpr size_t kStage2Colour = 14 + 18 + 6;
    EXPECT_EQ(MouseSettings()[kStage2Colour], 0x12);
    EXPECT_EQ(MouseSettings()[kStage2Colour + 1], 0xAB);
    EXPECT_EQ(MouseSettings()[kStage2Colour + 2], 0x34);
    EXPECT_EQ(button->property("stageColour").toUInt(), 0xFF12AB34u);

    // The lighting editor's colour button opens it too, with the colour cycle on offer.
    ui::ModalSeam::SetAnswerer([](ui::WindowImplBase& window) {
        auto* picker = dynamic_cast<CColorSelectWnd*>(&window);
        if (picker == nullptr || !picker->FindControl("7color")->isEnabled()) {
            return 0;
        }
        auto* palette = qobject_cast<ui::CColorPaletteUI*>(picker->FindControl("Pallet"));
        palette->SetSelectColor(0xFF00FF80);
        picker->PaintManager().SendNotify(palette, ui::notify::kColorChanged);
        picker->SetSevenColour(true);
        picker->PaintManager().SendNotify(picker->FindControl("okbtn"), ui::notify::kClick);
        return 1;
    });
    QWidget* swatch = Page()->GetLightEditor()->findChild<QWidget*>("deng_colordp_btn");
    ASSERT_NE(swatch, nullptr);
    m_wnd->PaintManager().SendNotify(swatch, ui::notify::kClick);
    const std::vector<uint8_t> bytes = MouseSettings();
    const profile::LightSetting light =
        protocol::SettingsBlock::Decode(bytes.data(), bytes.size()).light;
    EXPECT_EQ(light.green, 0xFF);
    EXPECT_EQ(light.blue, 0x80);
    EXPECT_EQ(light.multiColour, 1);
    EXPECT_TRUE(Page()->GetLightEditor()->GetMultiColour());
}

// A page that records what the switch asks of it, with an upload result of the test's choice.
class RecordingPage : public pages::COrvenixUSBDevice {
public:
    explicit RecordingPage(const QString& folder) {
        auto* bar = new controls::CDeviceProfileUI(this);
        bar->setObjectName("DeviceProfileItem");
        auto* combo = new QComboBox(bar);
        combo->setObjectName("device_profile_combo");
        bar->SetPaths(folder, folder + "factory.Json");
        bar->InitProfileList();
        bar->NewProfile();
        InfoRecord()[6] = 2;  // 256 bytes of macro memory
    }
    int GetDeviceKind() const override { return 2; }
    void LoadProfile() override { calls << "LoadProfile:" + GetProfileFileName(); }
    void DropStaleMacroKeys() override { calls << "DropStaleMacroKeys"; }
    void RefreshControls() override { calls << "RefreshControls"; }
    std::vector<int> GetMacroUseList() override {
        calls << "GetMacroUseList";
        return {0, 1};
    }
    int UploadMacros(const std::vector<int>& macros) override {
        calls << QString("UploadMacros:%1").arg(macros.size());
        SetUploadRefusal(refusal);
        return upload;
    }
    int ApplyKeys(int bank) override {
        calls << QString("ApplyKeys:%1").arg(bank);
        return 1;
    }
    int UploadShootPatterns(bool always) override {
        calls << QString("UploadShootPatterns:%1").arg(always ? 1 : 0);
        return 1;
    }
    QStringList calls;
    int upload = 0;
    UploadRefusal refusal = UploadRefusal::None;
};

TEST(ProfileSwitch, RunsThePagesStepsInOrderAndReportsTheUpload) {
    test::TempDir folder;
    RecordingPage page(QString::fromStdString(folder.path().string()) + "/");
    QStringList shown;
    ProfileCommands::Host host;
    host.currentPage = [&]() -> pages::COrvenixUSBDevice* { return &page; };
    host.writeSettings = [&](pages::COrvenixUSBDevice&) {
        page.calls << "WriteSettings";
        return 1;
    };
    host.onWrite = [](pages::COrvenixUSBDevice&, int) {};
    host.showMessage = [&](const QString& text, bool isKey, int) {
        shown << (isKey ? "key:" + text : text);
        return 1;
    };
    host.languageText = [](const QString& key) {
        return key == "message_text_16" ? QString("%d steps too many") : QString("?");
    };
    ProfileCommands commands(host);
    auto* combo = page.findChild<QComboBox*>("device_profile_combo");
    combo->setCurrentIndex(1);
    page.upload = -1;
    commands.SwitchProfile();
    const QString id = page.GetProfileBar()->GetCurrentProfileId();
    EXPECT_EQ(id.toStdString(), page.GetProfileBar()->List().Entries()[1].id);
    EXPECT_EQ(page.calls, (QStringList{"LoadProfile:" + id, "DropStaleMacroKeys", "RefreshControls",
                                       "WriteSettings", "GetMacroUseList", "UploadMacros:2",
                                       "UploadShootPatterns:0", "ApplyKeys:0"}));
    EXPECT_EQ(shown, QStringList{"key:message_text_7"});

    page.upload = 300;  // 300 x 4 bytes against 256: (300 - 256) / 4 + 1 = 12 too many
    commands.SwitchProfile();
    EXPECT_EQ(shown.back(), "12 steps too many");
}

TEST_F(ProfileCommandsTest, LanguageTextsComeThroughTheHiddenLabel) {
    for (const char* key : {"message_text_7", "message_text_16", "message_text_26"}) {
        EXPECT_EQ(m_wnd->LanguageText(key), Text(key)) << key;
        EXPECT_NE(m_wnd->LanguageText(key), QString::fromLatin1(key));
    }
}

// The report of a macro upload: the overflow numbers come from the device's capacity.
TEST(UploadReport, OverflowNumbersAndFailure) {
    QStringList shown;
    ProfileCommands::Host host;
    host.showMessage = [&](const QString& text, bool isKey, int) {
        shown << (isKey ? "key:" + text : text);
        return 1;
    };
    host.languageText = [](const QString& key) {
        return key == "message_text_16" ? QString("%d too many (%d)") : QString("over %d");
    };
    ProfileCommands commands(host);
    commands.ReportUpload(0, 2);
    EXPECT_TRUE(shown.isEmpty());
    commands.ReportUpload(-1, 2);
    commands.ReportUpload(300, 2);  // 256 bytes < 1200: (300 - 256) / 4 + 1 = 12
    commands.ReportUpload(70, 4);   // 512 >= 280: 70 - 250
    EXPECT_EQ(shown, (QStringList{"key:message_text_7", "12 too many (%d)", "over -180"}));
}

// A page that says why it refused an upload gets the steps too many of what it refused: of the
// area against its memory, or of the one macro beyond 64 steps.
TEST(UploadReport, ThePageSaysWhetherTheAreaOrOneMacroIsTooLong) {
    test::TempDir folder;
    RecordingPage page(QString::fromStdString(folder.path().string()) + "/");
    QStringList shown;
    ProfileCommands::Host host;
    host.currentPage = [&]() -> pages::COrvenixUSBDevice* { return &page; };
    host.writeSettings = [](pages::COrvenixUSBDevice&) { return 1; };
    host.onWrite = [](pages::COrvenixUSBDevice&, int) {};
    host.showMessage = [&](const QString& text, bool, int) {
        shown << text;
        return 1;
    };
    host.languageText = [](const QString& key) {
        return key == "message_text_16" ? QString("area %d") : QString("macro %d");
    };
    ProfileCommands commands(host);
    page.upload = 2;  // 262 bytes against 256
    page.refusal = RecordingPage::UploadRefusal::AreaTooLarge;
    commands.SwitchProfile();
    page.upload = 65;
    page.refusal = RecordingPage::UploadRefusal::TooManySteps;
    commands.SwitchProfile();
    EXPECT_EQ(shown, (QStringList{"area 2", "macro 1"}));
    EXPECT_EQ(page.calls.back(), "ApplyKeys:0");
}

}  // namespace
