// The mouse page against the simulated mouse: identity read, key slots, settings block on the
// wire, key table with macros, link checks through the receiver, unplugging, profile events.

#include <QLineEdit>
#include <QSlider>
#include <array>
#include <thread>

#include "core/profile/JsonFileStore.h"
#include "tests/pages/MouseTestSupport.h"

namespace q840::pages::test {
namespace {

// Key button -> slot of the demo mouse, whose firmware keeps its keys in its own order.
constexpr std::array<uint8_t, 11> kDemoSlotMap = {2, 5, 7, 0, 9, 4, 10, 1, 6, 8, 3};

TEST_F(MousePageTest, NewMouseIsMarkedOnceAndItsKeySlotsAreFound) {
    Open(false);
    ASSERT_EQ(1, page->ReadIdentity());
    EXPECT_EQ(1, Count(kCmdWriteInfo));
    EXPECT_EQ(3, mouse->Info()[7]);
    EXPECT_EQ(0xAA, mouse->Info()[0]) << "the rest of the record goes back as read";
    EXPECT_TRUE(Received(kMsgDeviceInfoValid, 1));
    EXPECT_EQ(kDemoSlotMap, page->GetKeySlotMap());
    EXPECT_EQ(mouse->KeyTable()[0], page->GetKeyTableCopy()[0]);
    EXPECT_EQ(33, page->CommandProtocol().GetTransferSize());

    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, page->ReadIdentity());
    EXPECT_EQ(0, Count(kCmdWriteInfo)) << "an initialised mouse is not written again";
}

TEST_F(MousePageTest, TooManyKeySlotsEndTheReadBeforeTheKeyTable) {
    Open(false);
    ASSERT_EQ(1, page->ReadIdentity());
    auto info = mouse->Info();
    info[5] = 171;  // 513 bytes of key table
    mouse->SetInfo(info);
    bus->GetTranscript()->Clear();
    EXPECT_EQ(0, page->ReadIdentity());
    EXPECT_EQ(0, Count(0x07)) << "no key table read";
    EXPECT_FALSE(page->HasKeyTable()) << "the earlier table belongs to the earlier record";
    EXPECT_EQ(protocol::kNoSlot, page->GetKeySlotMap()[0]);
    page->LoadProfile();
    EXPECT_EQ(0, page->ApplyKeys(0));
    EXPECT_EQ(0, Count(kCmdWriteKeyTable));
}

TEST_F(MousePageTest, UnknownRecordMutesTheProtocolAndNothingReachesTheMouse) {
    for (const auto& [signatureLow, state] : {std::pair{0x00, 0}, std::pair{0xAA, 5}}) {
        auto info = mouse->Info();
        info[0] = uint8_t(signatureLow);
        info[7] = uint8_t(state);
        mouse->SetInfo(info);
        page->CommandProtocol().SetMuted(false);
        page->CommandProtocol().SetOpen(false);
        page->CommandProtocol().PrimaryChannel().Close();
        window.messages.clear();
        Open(false);
        EXPECT_EQ(0, page->ReadIdentity());
        EXPECT_TRUE(page->CommandProtocol().IsMuted());
        EXPECT_TRUE(Received(kMsgDeviceInfoValid, 0));
        EXPECT_FALSE(Received(kMsgDeviceInfoValid, 1));
        bus->GetTranscript()->Clear();
        page->LoadProfile();
        EXPECT_EQ(1, page->WriteSettingsBlock(0, 0)) << "appears written";
        EXPECT_EQ(0, page->ReadSettingsBlock()) << "a muted read carries nothing to take back";
        EXPECT_TRUE(Commands().empty());
    }
}

// On the receiver a muted protocol reads as an unreachable mouse: the link check answers with a
// zero reply, so nothing is written and reported done, and the unknown record is reported once.
TEST_F(MousePageTest, UnknownRecordOnTheReceiverReadsAsUnreachableAndIsReportedOnce) {
    auto info = mouse->Info();
    info[0] = 0x00;
    mouse->SetInfo(info);
    Open(true);
    EXPECT_EQ(0, page->ReadIdentity());
    ASSERT_TRUE(page->CommandProtocol().IsMuted());
    EXPECT_TRUE(Received(kMsgDeviceInfoValid, 0));
    window.messages.clear();
    bus->GetTranscript()->Clear();

    EXPECT_FALSE(page->IsWirelessLinkUp());
    page->LoadProfile();
    EXPECT_EQ(0, page->WriteSettingsBlock(0, 0)) << "nothing reached the mouse";
    EXPECT_EQ(0, page->ReadIdentity());
    EXPECT_FALSE(Received(kMsgDeviceInfoValid, 0)) << "the state was sent when it was found";
    page->OnEntryTimer(kTimerReachability);
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(kMsgEntryReachable, window.messages.back().msg);
    EXPECT_EQ(0, window.messages.back().l) << "shown as out of reach";
    EXPECT_TRUE(Commands().empty());
}

TEST_F(MousePageTest, KeyWithoutIdentificationHasNoSlotAndIsNeverWritten) {
    auto table = mouse->KeyTable();
    // Slot 9 held key 4's identification (0x10 0x08 0x00).
    table[9 * 3 + 1] = 0x20;
    mouse->SetKeyTable(table);
    QFile list(page->MacroListPath());
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(R"({"MacroInfo":[{"MacroName":"a","Guid":"g0"},{"MacroName":"b","Guid":"g1"},)"
               R"({"MacroName":"c","Guid":"g2"}]})");
    list.close();
    Open(false);
    ASSERT_EQ(1, page->ReadIdentity());
    EXPECT_EQ(protocol::kNoSlot, page->GetKeySlotMap()[4]);
    page->LoadProfile();

    std::vector<int> keys(11);
    for (int j = 0; j < 11; ++j) {
        keys[j] = int(protocol::kMouseKeyIdentification[j].Code());
    }
    keys[0] = 0x700200;  // macro 2: first macro used -> position 0
    keys[1] = 0x710000;  // macro 0 -> position 1
    keys[2] = 0x700201;  // macro 2 again -> position 0
    keys[3] = 0x700500;  // macro 5 is gone: back to the factory assignment
    keys[4] = 0x123456;  // no slot: never written
    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, page->SendKeyTable(0, keys));
    EXPECT_EQ((std::vector<uint8_t>{0x03 /* ReadInfo */, kCmdBegin, kCmdWriteKeyTable, kCmdEnd}),
              Codes());
    const auto written = Payload(kCmdWriteKeyTable);
    ASSERT_EQ(33u, written.size());
    auto expected = table;
    expected.resize(33);
    auto put = [&](int key, std::array<uint8_t, 3> a) {
        std::copy(a.begin(), a.end(), expected.begin() + kDemoSlotMap[key] * 3);
    };
    put(0, {0x70, 0x00, 0x00});
    put(1, {0x71, 0x01, 0x00});
    put(2, {0x70, 0x00, 0x01});
    put(3, {0x10, 0x10, 0x00});
    EXPECT_EQ(expected, written);
    const auto onMouse = mouse->KeyTable();
    EXPECT_EQ(expected, std::vector<uint8_t>(onMouse.begin(), onMouse.begin() + 33));
}

TEST_F(MousePageTest, DroppedMacrosGiveKeysTheirDefaultsBackInTheProfile) {
    Open(false);
    page->LoadProfile();
    auto pairs = page->MouseProfile()->GetKeyAssignments();
    ASSERT_EQ(11u, pairs.size());
    pairs[6].current.SetCode(0x700000);  // macro 0, and there are no macros at all
    pairs[7].current.SetCode(0x100100);
    page->MouseProfile()->WriteKeyAssignments(pairs);
    page->DropStaleMacroKeys();
    const Json::Value keys = StoredDeviceNode()["KeyList"];
    EXPECT_EQ(keys[6]["DefaultAssignment"].asInt(), keys[6]["Assignment"].asInt());
    EXPECT_EQ(0x100100, keys[7]["Assignment"].asInt()) << "other keys keep what they have";
}

// The settings block the test expects after ReadDevice on the demo mouse and the factory
// profile, with stage 3 moved to `stage3`.
std::vector<uint8_t> ExpectedBlock(uint16_t stage3) {
    std::vector<uint8_t> b(86, 0);
    b[1] = 1;      // effect read back from the mouse
    b[2] = 4;      // brightness
    b[3] = 4 - 2;  // speed 2
    b[4] = 0;      // direction: the profile's, never taken back
    b[5] = 1;
    b[6] = 0xFF;
    b[11] = 3;  // report rate
    b[12] = 1;  // active stage
    const uint16_t x[7] = {7, 15, 23, stage3, 47, 63, 95};
    const uint16_t y[7] = {7, 15, 23, 31, 47, 63, 95};
    const uint8_t rgb[7][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},    {255, 255, 0},
                               {0, 255, 255}, {255, 0, 255}, {255, 255, 255}};
    for (int i = 0; i < 7; ++i) {
        uint8_t* s = b.data() + 14 + i * 9;
        s[0] = 1;
        s[2] = x[i] & 0xFF;
        s[3] = x[i] >> 8;
        s[4] = y[i] & 0xFF;
        s[5] = y[i] >> 8;
        s[6] = rgb[i][0];
        s[7] = rgb[i][1];
        s[8] = rgb[i][2];
    }
    b[77] = 1;
    b[78] = 10;
    b[79] = 1;
    b[80] = 10;
    b[81] = 2;
    return b;
}

class MouseSettingsWrite : public MousePageTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MouseSettingsWrite, MovedDpiSliderGoesOutAsTheWholeBlockAndIntoTheProfileFile) {
    const bool receiver = GetParam();
    BuildLayout();
    Open(receiver);
    page->ReadDevice();
    auto* slider = Find<QSlider>("DPI_slider_3");
    ASSERT_NE(nullptr, slider);
    EXPECT_EQ(104, slider->maximum());
    slider->setValue(60);
    ui::TNotifyUI msg;
    msg.sType = ui::notify::kValueChanged;
    msg.pSender = slider;
    ASSERT_TRUE(page->ApplySettingsControl(msg));
    EXPECT_EQ(QString("3600"), Find<QLineEdit>("DPI_edit_3")->text());
    page->SaveProfile();
    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, page->WriteSettingsBlock(0, 0));

    std::vector<uint8_t> expectedCodes;
    std::vector<uint8_t> expectedLengths;
    if (receiver) {
        expectedCodes = {kCmdLinkCheck, kCmdBegin, kCmdLinkCheck, 6, 6, 6, 6,
                         kCmdLinkCheck, kCmdEnd};
        expectedLengths = {24, 24, 24, 14};
    } else {
        expectedCodes = {kCmdBegin, 6, 6, kCmdEnd};
        expectedLengths = {56, 30};
    }
    EXPECT_EQ(expectedCodes, Codes());
    std::vector<uint8_t> lengths;
    for (const auto& e : Commands()) {
        if (e.bytes[3] == kCmdWriteSettings) {
            lengths.push_back(e.bytes[4]);
        }
    }
    EXPECT_EQ(expectedLengths, lengths);
    EXPECT_EQ(ExpectedBlock(60), Payload(kCmdWriteSettings));
    EXPECT_EQ(60, StoredDeviceNode()["DPIStages"]["StageDPIs"][3]["StageDPIX"].asInt());
    const auto onMouse = mouse->Settings();
    EXPECT_EQ(ExpectedBlock(60), std::vector<uint8_t>(onMouse.begin(), onMouse.begin() + 86));
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, MouseSettingsWrite, ::testing::Bool());

TEST_F(MousePageTest, SensorWithOneByteIndexTakesTypedDpiInBothBytes) {
    auto info = mouse->Info();
    info[9] = 0x25;
    info[10] = 0x89;
    mouse->SetInfo(info);
    BuildLayout();
    Open(false);
    page->ReadDevice();
    EXPECT_EQ(149, Find<QSlider>("DPI_slider_2")->maximum());
    auto* edit = Find<QLineEdit>("DPI_edit_2");
    edit->setText("10000");
    ui::TNotifyUI msg;
    msg.sType = ui::notify::kKillFocus;
    msg.pSender = edit;
    ASSERT_TRUE(page->ApplySettingsControl(msg));
    EXPECT_EQ("10000", edit->text());
    EXPECT_EQ(149, Find<QSlider>("DPI_slider_2")->value());
    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, page->WriteSettingsBlock(0, 0));
    const auto block = Payload(kCmdWriteSettings);
    ASSERT_EQ(86u, block.size());
    EXPECT_EQ(149, block[14 + 2 * 9 + 2]);
    EXPECT_EQ(149, block[14 + 2 * 9 + 3]);
    EXPECT_EQ(23, block[14 + 2 * 9 + 4]) << "Y comes from the profile unchanged";

    // An empty box counts as 0, the lowest index, never a negative one.
    edit->setText("");
    page->ApplySettingsControl(msg);
    EXPECT_EQ(0, page->MouseProfile()->GetDpiStages()[2].dpiX);
    EXPECT_EQ("50", edit->text());
}

TEST_F(MousePageTest, HighEffectIsWrittenAsZeroAndSpeedIsInverted) {
    Open(false);
    page->ReadIdentity();
    bus->GetTranscript()->Clear();
    EXPECT_EQ(0, page->WriteSettingsBlock(0, 0)) << "no profile loaded: nothing to write";
    EXPECT_TRUE(Commands().empty());
    page->LoadProfile();
    profile::LightSetting s = page->GetLightSettings();
    s.effect = 12;
    s.speed = 1;
    s.previousMode = 4;  // the previous effect rides along
    page->SetLightSettings(s);
    EXPECT_EQ(4, page->GetLightSettings().previousMode);
    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, page->WriteSettingsBlock(0, 0));
    const auto block = Payload(kCmdWriteSettings);
    ASSERT_EQ(86u, block.size());
    EXPECT_EQ(0, block[1]);
    EXPECT_EQ(3, block[3]);
    page->SaveProfile();
    EXPECT_EQ(12, StoredDeviceNode()["LightInfo"]["SelectItem"].asInt());
    EXPECT_EQ(4, StoredDeviceNode()["LightInfo"]["OldLedmode"].asInt());
}

TEST_F(MousePageTest, ReadingTakesBackTheDeviceValuesIntoTheSavedProfile) {
    auto settings = mouse->Settings();
    settings[0] = 2;  // current profile 2
    const size_t base = 2 * 128;
    settings[base + 1] = 6;
    settings[base + 4] = 1;   // direction: not taken back
    settings[base + 11] = 2;  // report rate
    settings[base + 12] = 4;
    settings[base + 82] = 1;  // lift-off: not taken back
    settings[base + 83] = 1;
    mouse->SetSettings(settings);
    Open(false);
    page->ReadIdentity();
    page->LoadProfile();
    ASSERT_EQ(1, page->ReadSettingsBlock());
    EXPECT_EQ(2, page->GetDeviceProfileIndex());
    EXPECT_EQ(6, page->GetLightSettings().effect);
    const Json::Value node = StoredDeviceNode();
    EXPECT_EQ(6, node["LightInfo"]["SelectItem"].asInt());
    EXPECT_EQ(0, node["LightInfo"]["Fx"].asInt());
    EXPECT_EQ(2, node["ReportStages"]["StageActive"].asInt());
    EXPECT_EQ(0, node["ReportStages"]["SilentAltitude"].asInt());
    EXPECT_EQ(1, node["ReportStages"]["Linear_Calibration"].asInt());
    EXPECT_EQ(4, node["DPIStages"]["StageActive"].asInt());
    EXPECT_EQ(7, node["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt()) << "stages stay";
}

TEST_F(MousePageTest, DefaultProfileReplacesTheUsersAndIsSaved) {
    BuildLayout();
    page->LoadProfile();
    auto stages = page->MouseProfile()->GetDpiStages();
    stages[0].dpiX = 90;
    page->MouseProfile()->WriteDpiStages(stages);
    page->SaveProfile();
    ASSERT_EQ(90, StoredDeviceNode()["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt());
    page->LoadDefaultProfile();
    EXPECT_EQ(7, StoredDeviceNode()["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt());
    EXPECT_EQ(7, Find<QSlider>("DPI_slider_0")->value());
    EXPECT_EQ(QString("p1"), page->GetProfileName()) << "the file carries no name of its own";
}

TEST_F(MousePageTest, SleepingMouseBehindTheReceiverGetsNoDataCommands) {
    Open(true);
    mouse->SetAsleep(true);
    EXPECT_EQ(0, page->ReadIdentity());
    EXPECT_EQ(0, page->ReadSettingsBlock());
    EXPECT_EQ(0, page->WriteSettingsBlock(0, 0));
    EXPECT_EQ(0, page->SendKeyTable(0, {}));
    EXPECT_FALSE(page->IsWirelessLinkUp());
    page->ReadBattery();
    for (uint8_t code : Codes()) {
        EXPECT_EQ(kCmdLinkCheck, code);
    }
    EXPECT_TRUE(window.messages.empty());

    mouse->SetAsleep(false);
    EXPECT_TRUE(page->IsWirelessLinkUp());
    page->ReadBattery();
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(kMsgBatteryRead, window.messages.back().msg);
    page->SetHiddenFlag(true);
    window.messages.clear();
    page->ReadBattery();
    EXPECT_TRUE(window.messages.empty()) << "a hidden window does not poll the battery";
}

TEST_F(MousePageTest, UnplugDuringReadsAndWritesLeavesNothingHung) {
    auto cable = bus->Find(sim::kCableChannel);
    Open(false);
    cable->UnplugOnNextCommand();
    EXPECT_EQ(0, page->ReadIdentity());
    EXPECT_EQ(0, page->ReadSettingsBlock());
    page->WriteSettingsBlock(0, 0);
    EXPECT_EQ(0, page->SendKeyTable(0, {}));

    bus->Plug(cable);
    page->CommandProtocol().PrimaryChannel().Close();
    Open(false);
    ASSERT_EQ(1, page->ReadIdentity());
    page->LoadProfile();
    cable->UnplugOnNextCommand();
    page->WriteSettingsBlock(0, 0);  // the answers are not examined; it must only come back
    EXPECT_EQ(0, page->ReadSettingsBlock());
}

TEST_F(MousePageTest, ProfileButtonOnTheMouseReachesTheControls) {
    BuildLayout();
    Open(false);
    page->ReadDevice();
    catalogue::DeviceListEntry events;
    events.typeCode = kWiredMouseType;
    events.path = kMouseCableEvent;
    ASSERT_TRUE(page->OpenListener(events));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    mouse->SwitchProfileAndDpiStage(3, 2);
    ASSERT_TRUE(PumpUntil([&] { return page->GetDeviceProfileIndex() == 3; }));
    EXPECT_EQ(2, page->GetSettingsCopy()[12]);
    EXPECT_EQ(2, page->MouseProfile()->GetActiveDpiStage());
    EXPECT_TRUE(Find<QAbstractButton>("DPI_select_check_2")->isChecked());
    EXPECT_FALSE(Find<QAbstractButton>("DPI_enable_check_2")->isEnabled());

    // With the command interface gone the events change nothing.
    page->CommandProtocol().SetOpen(false);
    mouse->RaiseEvent(0x1005);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(3, page->GetDeviceProfileIndex());
    page->CloseListener(kWiredMouseType);
}

}  // namespace
}  // namespace q840::pages::test
