#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <set>

#include "app/AppEntry.h"
#include "app/ControlTables.h"
#include "app/FontFile.h"
#include "app/RegisteredMessages.h"
#include "core/base/RegisteredMessage.h"
#include "pages/COrvenixUSBDevice.h"
#include "platform/Paths.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

using namespace q840;

TEST(RegisteredMessages, TableIdsAreStableAndTheRepeatedMouseEntryShares) {
    RegisterStaticMessages();
    ASSERT_TRUE(RegisterActivateMessage());
    RegisterGuidMessages();
    const RegisteredMessages& m = Messages();
    EXPECT_EQ(m.UWM_MOUSERBUTTONDOWN_USER_MSG, m.UWM_MOUSERBUTTONDOWN_USER_MSG_2);
    EXPECT_EQ(m.UWM_APP_ACTIVATE_MSG, RegisterWindowMessageW("Halvorn Q840-VEX GAMING MOUSE"));
    EXPECT_EQ(m.UWM_AUDIO_WND_CMD_MSG,
              RegisterWindowMessageW("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}"));
    // Every other entry has an id of its own, in the registered range.
    const UINT all[] = {m.WM_HOOK_KEY_SINGLEKEY_MSG,
                        m.WM_HOOK_KEY_HITKEY_MSG,
                        m.WM_HOOK_KEY_MSMACROLATER_MSG,
                        m.UWM_MOUSERBUTTONDOWN_USER_MSG,
                        m.UWM_MOUSEMOVE_USER_MSG,
                        m.Game_Start,
                        m.Game_Death,
                        m.UWM_APP_ACTIVATE_MSG,
                        m.UWM_UPDATE_PROGRESS_MSG,
                        m.UWM_LIGHT_OWNER_NOTIFY_MSG,
                        m.UWM_LIGHT_OWNER_REQUEST_MSG,
                        m.UWM_WORKTOOL_QUERY_MSG,
                        m.UWM_AUDIO_WND_CMD_MSG};
    std::set<UINT> distinct(std::begin(all), std::end(all));
    EXPECT_EQ(distinct.size(), std::size(all));
    for (UINT id : all) {
        EXPECT_GE(id, kFirstRegisteredMessage);
    }
    // Registering again changes nothing.
    const UINT before = m.Game_End;
    RegisterStaticMessages();
    EXPECT_EQ(Messages().Game_End, before);
}

TEST(ControlTables, FactoryOrderAndTheMainWindowTagsFallThroughWhenUnknown) {
    EXPECT_STREQ(kFactoryControls.front().name, "CCircleProgressUI");
    EXPECT_STREQ(kFactoryControls[21].name, "COrvenixUSBDevice");
    EXPECT_STREQ(kFactoryControls.back().name, "COrvenixVA6533Device");
    ui::CControlFactory::GetInstance().Clear();
    int withCreator = 0;
    for (const FactoryEntry& entry : kFactoryControls) {
        withCreator += entry.create != nullptr;
    }
    EXPECT_EQ(RegisterCustomControls(), withCreator);
    EXPECT_EQ(ui::CControlFactory::GetInstance().RegisteredNames().size(), withCreator);

    // Classes that are part of the program build through the factory by their registered name.
    for (const char* name : {"CDeviceKeyButtonUI", "CSelectPanelUI", "COrvenixUSBDevice"}) {
        std::unique_ptr<QWidget> control(ui::CControlFactory::GetInstance().CreateControl(name));
        EXPECT_NE(control, nullptr) << name;
    }
    ui::CPaintManagerUI pm;
    std::unique_ptr<QWidget> key(CreateMainWindowControl("devicekeybutton", &pm));
    EXPECT_NE(key, nullptr);
    std::unique_ptr<QWidget> mousePage(CreateMainWindowControl("orvenixmousedevice", &pm));
    EXPECT_NE(qobject_cast<pages::COrvenixUSBDevice*>(mousePage.get()), nullptr);
    EXPECT_EQ(CreateMainWindowControl("OrvenixKeyboardDevice", &pm), nullptr);  // not yet a class
    EXPECT_EQ(CreateMainWindowControl("Button", &pm), nullptr);
    EXPECT_EQ(CreateMainWindowControl("NoSuchThing", &pm), nullptr);
    // Sub-layout tags are compared without regard to case; a missing file gives no control.
    QTemporaryDir skin;
    ui::CResourceManager::GetInstance().SetResourcePath(skin.path());
    EXPECT_EQ(CreateMainWindowControl("keysetcontrolui", &pm), nullptr);
    QDir().mkpath(skin.filePath("XML/CustomControlXML"));
    QFile file(skin.filePath("XML/CustomControlXML/KeySetControl.xml"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        R"(<Window><VerticalLayout name="keyset_root"><Label name="inner"/></VerticalLayout></Window>)");
    file.close();
    std::unique_ptr<QWidget> built(CreateMainWindowControl("keysetcontrolui", &pm));
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->objectName(), "keyset_root");
    EXPECT_EQ(built->parentWidget(), nullptr);
    EXPECT_NE(built->findChild<QLabel*>("inner"), nullptr);
}

TEST(FontFile, MissingFilesAreSkippedAndRealFontsLoad) {
    FontFile missing("Font/does-not-exist.ttf");
    EXPECT_FALSE(missing.Load());
    EXPECT_FALSE(missing.IsLoaded());
    missing.Unload();  // harmless

    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    QDir().mkpath(dir.filePath("Font"));
    QFile garbage(dir.filePath("Font/garbage.ttf"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a font at all");
    garbage.close();
    FontFile refused("Font/garbage.ttf");
    EXPECT_FALSE(refused.Load());
    const QString real = "/usr/share/fonts/truetype/noto/NotoSansThai-Regular.ttf";
    if (QFile::exists(real)) {
        QFile::copy(real, dir.filePath("Font/NotoSansThai-Regular.ttf"));
        FontFile thai("Font/NotoSansThai-Regular.ttf");
        EXPECT_TRUE(thai.Load());
        thai.Unload();
        EXPECT_FALSE(thai.IsLoaded());
    }
    SetProgramFolder(qEnvironmentVariable("Q840_BUILD_DIR"));
}

TEST(StartOptions, ParsesTheTwoOptionsAndRefusesAnythingElse) {
    StartOptions o = ParseStartOptions({"q840vex"});
    EXPECT_FALSE(o.simulate);
    EXPECT_TRUE(o.error.isEmpty());
    o = ParseStartOptions({"q840vex", "--simulate", "--screenshot", "/tmp/a.png"});
    EXPECT_TRUE(o.simulate);
    EXPECT_TRUE(o.simulateStateFile.isEmpty());
    EXPECT_EQ(o.screenshotPath, "/tmp/a.png");
    o = ParseStartOptions({"q840vex", "--simulate=/tmp/mouse.json", "--screenshot=/tmp/b.png"});
    EXPECT_EQ(o.simulateStateFile, "/tmp/mouse.json");
    EXPECT_EQ(o.screenshotPath, "/tmp/b.png");
    EXPECT_FALSE(ParseStartOptions({"q840vex", "--screenshot"}).error.isEmpty());
    EXPECT_FALSE(ParseStartOptions({"q840vex", "--frobnicate"}).error.isEmpty());
    EXPECT_TRUE(ParseStartOptions({"q840vex", "--help"}).showHelp);

    // Screenshot options: a tab by name, a language, the open profile menu.
    o = ParseStartOptions(
        {"q840vex", "--screenshot", "a.png", "--tab", "lighting", "--lang=cn", "--profile-menu"});
    EXPECT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_EQ(o.screenshotTab, 1);
    EXPECT_EQ(o.screenshotLanguage, "lan_cn.xml");
    EXPECT_TRUE(o.screenshotProfileMenu);
    EXPECT_EQ(ParseStartOptions({"q840vex", "--screenshot=a.png", "--tab=power"}).screenshotTab, 9);
    o = ParseStartOptions({"q840vex", "--screenshot", "a.png", "--tab", "colours"});
    EXPECT_TRUE(o.error.contains("lighting, buttons, macros, shoot, system, dpi, power"))
        << o.error.toStdString();
    EXPECT_FALSE(
        ParseStartOptions({"q840vex", "--screenshot", "a.png", "--lang", "de"}).error.isEmpty());
    EXPECT_FALSE(ParseStartOptions({"q840vex", "--screenshot", "a.png", "--tab"}).error.isEmpty());
    EXPECT_FALSE(ParseStartOptions({"q840vex", "--tab", "dpi"}).error.isEmpty());  // no picture
    EXPECT_TRUE(
        ParseStartOptions({"q840vex", "--screenshot", "a.png", "--picker"}).screenshotPicker);
    EXPECT_FALSE(ParseStartOptions({"q840vex", "--picker"}).error.isEmpty());

    // A scenario plays on the simulated devices only.
    o = ParseStartOptions({"q840vex", "--simulate", "--scenario", "soak.scenario"});
    EXPECT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_EQ(o.scenarioFile, "soak.scenario");
    EXPECT_EQ(ParseStartOptions({"q840vex", "--scenario=a", "--simulate=s.json"}).scenarioFile,
              "a");
    EXPECT_FALSE(ParseStartOptions({"q840vex", "--scenario", "a"}).error.isEmpty());
    EXPECT_FALSE(ParseStartOptions({"q840vex", "--simulate", "--scenario"}).error.isEmpty());
}

TEST(RegisteredMessages, AdmissionListLeavesOutRequestsAudioAndGameMessages) {
    RegisterStaticMessages();
    RegisterActivateMessage();
    RegisterGuidMessages();
    const std::vector<UINT> admitted = AdmittedMessages();
    EXPECT_EQ(admitted.size(), 24u);
    const RegisteredMessages& m = Messages();
    for (UINT excluded : {m.UWM_LIGHT_OWNER_REQUEST_MSG, m.UWM_AUDIO_WND_CMD_MSG, m.Game_Start,
                          m.Game_End, m.Game_Kill, m.Game_Death}) {
        EXPECT_EQ(std::count(admitted.begin(), admitted.end(), excluded), 0);
    }
    EXPECT_EQ(std::count(admitted.begin(), admitted.end(), m.UWM_MOUSERBUTTONDOWN_USER_MSG), 2);
}
