// Writes cut at every command, by cable and through the receiver: the call reports failure, the
// profile keeps the change and is marked as not yet on the mouse, and the mouse's next arrival
// writes the profile to it instead of taking its half-written area into the profile.

#include <QSignalSpy>
#include <array>

#include "core/profile/JsonFileStore.h"
#include "core/profile/PendingWrites.h"
#include "tests/pages/MouseTestSupport.h"

namespace q840::pages::test {
namespace {

// Settings block bytes: red, stage 6's X index (little-endian), key debounce time.
constexpr size_t kRed = 6;
constexpr size_t kStage6X = 14 + 6 * 9 + 2;
constexpr size_t kDebounce = 81;
// Key buttons 0 and 4 and their slots in the demo mouse's table (receiver packets 1 and 2).
constexpr int kKeyA = 0;
constexpr int kKeyB = 4;
constexpr size_t kSlotA = 2;
constexpr size_t kSlotB = 9;
constexpr size_t kTableBytes = 33;

class CutWriteTest : public MousePageTest {
protected:
    // The main window's part of an arrival: the channel is opened anew.
    void Reopen(bool receiver) {
        auto& p = page->CommandProtocol();
        p.SetOpen(false);
        p.PrimaryChannel().Close();
        p.ReceiverChannel().Close();
        Open(receiver);
    }
    std::filesystem::path MarkFile() const {
        return profile::PendingWrites::MarkFileOf(page->ProfilePath().toStdString());
    }
    int Write(bool keys) { return keys ? page->ApplyKeys(0) : page->WriteSettingsBlock(0, 0); }

    // What the user changes in round k, stored in the profile as the main window does.
    void ChangeSettings(int k) {
        auto* data = page->MouseProfile();
        auto light = data->GetLightSetting();
        light.red = uint8_t(10 + k);
        data->WriteLightSetting(light);
        auto stages = data->GetDpiStages();
        stages[6].dpiX = uint16_t(20 + k);
        data->WriteDpiStages(stages);
        auto sys = data->GetSystemSettings();
        sys.keyDebounceTime = uint16_t(3 + k % 4);
        data->WriteSystemSettings(sys);
        page->SaveProfile();
    }
    static uint32_t KeyA(int k) { return 0x200000u | uint32_t(4 + k) << 8; }
    static uint32_t KeyB(int k) { return 0x200000u | uint32_t(40 + k) << 8; }
    void ChangeKeys(int k) {
        auto pairs = page->MouseProfile()->GetKeyAssignments();
        pairs[kKeyA].current.SetCode(KeyA(k));
        pairs[kKeyB].current.SetCode(KeyB(k));
        page->MouseProfile()->WriteKeyAssignments(pairs);
        page->SaveProfile();
    }
    static uint32_t Slot(const std::vector<uint8_t>& table, size_t slot) {
        return uint32_t(table[slot * 3] << 16 | table[slot * 3 + 1] << 8 | table[slot * 3 + 2]);
    }

    void ExpectSettingsOf(int k) {
        const auto onMouse = mouse->Settings();
        EXPECT_EQ(10 + k, onMouse[kRed]);
        EXPECT_EQ(20 + k, onMouse[kStage6X]);
        EXPECT_EQ(3 + k % 4, onMouse[kDebounce]);
        const Json::Value node = StoredDeviceNode();
        EXPECT_EQ(10 + k, node["LightInfo"]["Red"].asInt());
        EXPECT_EQ(20 + k, node["DPIStages"]["StageDPIs"][6]["StageDPIX"].asInt());
        EXPECT_EQ(3 + k % 4, node["ReportStages"]["key_debounce_time"].asInt());
        // The whole block on the mouse is the one the profile makes.
        bus->GetTranscript()->Clear();
        ASSERT_EQ(1, page->WriteSettingsBlock(0, 0));
        EXPECT_EQ(Payload(kCmdWriteSettings),
                  std::vector<uint8_t>(onMouse.begin(), onMouse.begin() + 86));
    }
    void ExpectKeysOf(int k) {
        const auto onMouse = mouse->KeyTable();
        EXPECT_EQ(KeyA(k), Slot(onMouse, kSlotA));
        EXPECT_EQ(KeyB(k), Slot(onMouse, kSlotB));
        const Json::Value keys = StoredDeviceNode()["KeyList"];
        EXPECT_EQ(KeyA(k), uint32_t(keys[kKeyA]["Assignment"].asInt()));
        EXPECT_EQ(KeyB(k), uint32_t(keys[kKeyB]["Assignment"].asInt()));
    }
};

class CutWriteAtEveryCommand : public CutWriteTest,
                               public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(CutWriteAtEveryCommand, ReportsFailureAndTheNextArrivalWritesTheProfile) {
    const auto [receiver, keys] = GetParam();
    auto device = bus->Find(receiver ? sim::kReceiverChannel : sim::kCableChannel);
    const auto factoryKeys = mouse->KeyTable();
    Open(receiver);
    page->ReadDevice();
    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, Write(keys));
    const int commands = int(Commands().size());
    ASSERT_GE(commands, 4);
    QSignalSpy marks(page.get(), &COrvenixUSBDevice::pendingWritesChanged);

    int halfWritten = 0;
    for (int k = 0; k < commands; ++k) {
        SCOPED_TRACE("cut after " + std::to_string(k) + " of " + std::to_string(commands) +
                     " commands");
        if (keys) {
            // A key written with a new assignment is no longer found by its identification:
            // each round starts from a mouse whose keys are all found.
            mouse->SetKeyTable(factoryKeys);
            page->ReadDevice();
        }
        const auto before = mouse->Settings();
        keys ? ChangeKeys(k) : ChangeSettings(k);
        device->UnplugOnCommand(k + 1);
        EXPECT_EQ(0, Write(keys));
        ASSERT_FALSE(device->IsPlugged());
        EXPECT_TRUE(page->HasPendingWrites());
        EXPECT_TRUE(std::filesystem::exists(MarkFile()));
        const auto left = mouse->Settings();
        halfWritten += !keys && left[kRed] == 10 + k && left[kDebounce] == before[kDebounce];

        device->ClearFaults();
        bus->Plug(device);
        Reopen(receiver);
        page->ReadDevice();
        EXPECT_FALSE(page->HasPendingWrites());
        EXPECT_FALSE(std::filesystem::exists(MarkFile()));
        keys ? ExpectKeysOf(k) : ExpectSettingsOf(k);
    }
    EXPECT_EQ(2 * commands, marks.count()) << "one signal when marked, one when written";
    if (!keys) {
        EXPECT_GT(halfWritten, 0) << "some cuts left the block half old and half new";
    }

    // Without a pending change the mouse is read as before: its own values reach the profile.
    auto settings = mouse->Settings();
    settings[kRed] = 200;
    mouse->SetSettings(settings);
    page->ReadDevice();
    EXPECT_EQ(200, StoredDeviceNode()["LightInfo"]["Red"].asInt());
}

INSTANTIATE_TEST_SUITE_P(ChannelsAndAreas, CutWriteAtEveryCommand,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) ? "Receiver" : "Cable") +
                                    (std::get<1>(info.param) ? "KeyTable" : "Settings");
                         });

TEST_F(CutWriteTest, APendingChangeOutlivesTheProgramAndALaterWriteSettlesIt) {
    auto cable = bus->Find(sim::kCableChannel);
    Open(false);
    page->ReadDevice();
    ChangeSettings(1);
    cable->UnplugOnCommand(3);  // Begin and the first half of the block are taken
    ASSERT_EQ(0, page->WriteSettingsBlock(0, 0));
    ASSERT_EQ(11, mouse->Settings()[kRed]);

    // The program ends before the mouse is back; the next one starts with the mark.
    page.reset();
    page = std::make_unique<TestMousePage>();
    {
        auto setup = page->GetSetup();
        setup.mainWindow = &window;
        setup.keyButtonCount = 11;
        setup.ledCount = 15;
        setup.profileName = "p1";
        setup.deviceKindName = "mouse";
        setup.lightListIndex = 1;
        page->Setup(setup);
    }
    cable->ClearFaults();
    bus->Plug(cable);
    Open(false);
    page->ReadDevice();
    EXPECT_FALSE(page->HasPendingWrites());
    ExpectSettingsOf(1);

    // A write that fails and then one that succeeds: nothing is pending any more, and the next
    // arrival reads the mouse again.
    ChangeSettings(2);
    cable->UnplugOnCommand(1);
    ASSERT_EQ(0, page->WriteSettingsBlock(0, 0));
    cable->ClearFaults();
    bus->Plug(cable);
    Reopen(false);
    ASSERT_TRUE(page->HasPendingWrites());
    ASSERT_EQ(1, page->WriteSettingsBlock(0, 0));
    EXPECT_FALSE(page->HasPendingWrites());
    EXPECT_FALSE(std::filesystem::exists(MarkFile()));
    auto settings = mouse->Settings();
    settings[kDebounce] = 1;
    mouse->SetSettings(settings);
    page->ReadDevice();
    EXPECT_EQ(1, StoredDeviceNode()["ReportStages"]["key_debounce_time"].asInt());
}

TEST_F(CutWriteTest, AnArrivalCutAnywhereKeepsTheMarkAndNeverTakesTheMouseBlockIn) {
    for (const bool receiver : {false, true}) {
        SCOPED_TRACE(receiver ? "receiver" : "cable");
        auto device = bus->Find(receiver ? sim::kReceiverChannel : sim::kCableChannel);
        Reopen(receiver);
        page->ReadDevice();
        auto failWrite = [&](int k) {
            ChangeSettings(k);
            device->UnplugOnCommand(2);
            ASSERT_EQ(0, page->WriteSettingsBlock(0, 0));
            device->ClearFaults();
            bus->Plug(device);
            Reopen(receiver);
        };
        failWrite(0);
        page->ReadDevice();
        ASSERT_FALSE(page->HasPendingWrites());
        // Identity read, the block written and read back to compare.
        const int commands = int(Commands().size());

        failWrite(1);
        for (int k = 0; k < commands; ++k) {
            SCOPED_TRACE("arrival cut after " + std::to_string(k) + " commands");
            device->UnplugOnCommand(k + 1);
            page->ReadDevice();
            ASSERT_FALSE(device->IsPlugged());
            EXPECT_TRUE(page->HasPendingWrites()) << "the mark goes only once the block is back";
            const Json::Value node = StoredDeviceNode();
            EXPECT_EQ(11, node["LightInfo"]["Red"].asInt());
            EXPECT_EQ(4, node["ReportStages"]["key_debounce_time"].asInt());
            device->ClearFaults();
            bus->Plug(device);
            Reopen(receiver);
        }
        page->ReadDevice();
        EXPECT_FALSE(page->HasPendingWrites());
        ExpectSettingsOf(1);
    }
}

}  // namespace
}  // namespace q840::pages::test
