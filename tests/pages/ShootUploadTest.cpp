// The shoot area the mouse page sends: the four pattern files as the simulated mouse holds them
// after a profile switch, files that are not patterns sent as no steps, and an upload cut by
// unplugging at every command.

#include <QFile>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/macro/ShootFile.h"
#include "core/profile/JsonFileStore.h"
#include "core/protocol/codecs/EventArea.h"
#include "tests/pages/MouseTestSupport.h"

namespace q840::pages::test {
namespace {

constexpr uint8_t kCmdReadInfo = 0x03;
constexpr uint8_t kCmdWriteMacroArea = 0x15;
constexpr uint8_t kCmdWriteShootArea = 0x17;

class ShootUploadTest : public MousePageTest {
protected:
    // The factory pattern of each gun in the device folder, gun 1 with its bullet 0 changed.
    void WritePatterns() {
        QDir().mkpath(page->DeviceFolder());
        const QString source = qEnvironmentVariable("Q840_SOURCE_DIR") + "/DefaultData/";
        profile::JsonFileStore store;
        for (int gun = 0; gun < macro::kShootGuns; ++gun) {
            Json::Value root = store.ReadJsonFile(
                (source + QString::fromStdString(macro::ShootFileName(gun))).toStdString());
            if (gun == 1) {
                ASSERT_TRUE(macro::ShootFile::SetBullet(root, 0, {17, true, 300, false, 1234}));
            }
            ASSERT_EQ(0, store.WriteJsonFile(Path(gun), root));
            patterns[size_t(gun)] = root;
        }
    }
    std::string Path(int gun) const { return page->ShootPatternPath(gun).toStdString(); }
    std::vector<uint8_t> Expected() const {
        std::vector<std::vector<protocol::MacroStep>> records;
        for (const Json::Value& root : patterns) {
            records.push_back(macro::ShootFile::Steps(root));
        }
        return protocol::BuildEventArea(records);
    }
    std::vector<uint8_t> AreaOnMouse(size_t length) const {
        const auto area = mouse->ShootArea();
        return {area.begin(), area.begin() + std::min(length, area.size())};
    }
    // What the main window runs for the page on a profile switch.
    void SwitchProfile() {
        page->LoadProfile();
        page->DropStaleMacroKeys();
        page->RefreshControls();
        page->WriteSettingsBlock(0, 0);
        page->UploadMacros(page->GetMacroUseList());
        page->UploadShootPatterns(false);
        page->ApplyKeys(0);
    }
    void Reopen(bool receiver) {
        auto& p = page->CommandProtocol();
        p.SetOpen(false);
        p.PrimaryChannel().Close();
        p.ReceiverChannel().Close();
        Open(receiver);
    }
    std::array<Json::Value, 4> patterns;
};

class ShootUploadChannels : public ShootUploadTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ShootUploadChannels, TheMouseHoldsTheFourPatternsAfterAProfileSwitch) {
    const bool receiver = GetParam();
    Open(receiver);
    page->ReadDevice();
    WritePatterns();
    bus->GetTranscript()->Clear();
    SwitchProfile();

    const std::vector<uint8_t> expected = Expected();
    ASSERT_EQ(protocol::EventAreaSize({180, 180, 180, 180}), expected.size());
    EXPECT_EQ(expected, Payload(kCmdWriteShootArea));
    EXPECT_EQ(expected, AreaOnMouse(expected.size()));
    // 56 bytes a packet on either channel.
    EXPECT_EQ(int((expected.size() + 55) / 56), Count(kCmdWriteShootArea));
    EXPECT_FALSE(page->HasPendingWrites());
    // Gun 1, bullet 0: the vertical move typed as 300 reaches the mouse as 255, not 44.
    const auto records = protocol::ParseEventArea(expected.data(), expected.size());
    ASSERT_EQ(4u, records.size());
    EXPECT_EQ(17, records[1][2].button);
    EXPECT_TRUE(records[1][2].down);
    EXPECT_EQ(255, records[1][3].button);
    EXPECT_EQ(1234, records[1][3].delay);

    // Settings, then the areas, then the key table; the shoot area inside its own Begin / End.
    const auto codes = Codes();
    const auto shoot = std::find(codes.begin(), codes.end(), kCmdWriteShootArea);
    const auto keys = std::find(codes.begin(), codes.end(), kCmdWriteKeyTable);
    ASSERT_NE(shoot, codes.end());
    EXPECT_LT(shoot, keys);
    EXPECT_LT(std::find(codes.begin(), codes.end(), kCmdWriteSettings), shoot);
    EXPECT_EQ(kCmdBegin, *std::find_if(std::make_reverse_iterator(shoot), codes.rend(),
                                       [](uint8_t c) { return c != kCmdLinkCheck; }));
    EXPECT_EQ(kCmdEnd, *std::find_if(shoot + 1, codes.end(), [](uint8_t c) {
                  return c != kCmdLinkCheck && c != kCmdWriteShootArea;
              }));
    EXPECT_EQ(std::find(codes.begin(), codes.end(), kCmdWriteMacroArea), codes.end())
        << "no key plays a macro: no macro area";

    // The patterns belong to the mouse, not to a profile: the next switch does not send them
    // again unless they changed, and a new arrival forgets what the mouse held.
    bus->GetTranscript()->Clear();
    SwitchProfile();
    EXPECT_EQ(0, Count(kCmdWriteShootArea));
    ASSERT_TRUE(macro::ShootFile::SetBullet(patterns[3], 29, {1, false, 2, true, 3}));
    ASSERT_EQ(0, profile::JsonFileStore().WriteJsonFile(Path(3), patterns[3]));
    SwitchProfile();
    EXPECT_EQ(Expected(), AreaOnMouse(expected.size()));
    page->ReadDevice();
    bus->GetTranscript()->Clear();
    SwitchProfile();
    EXPECT_EQ(Expected(), Payload(kCmdWriteShootArea));
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, ShootUploadChannels, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Cable"; });

TEST_F(ShootUploadTest, AFileThatIsNotAPatternGoesAsNoStepsAndNoMouseMarksTheArea) {
    Open(false);
    page->ReadDevice();
    WritePatterns();
    // Gun 0 missing, gun 2 cut short, gun 3 with a move beyond what a step carries.
    std::filesystem::remove(Path(0));
    std::ofstream(Path(2), std::ios::trunc) << "{\"Events\":[{\"Action\":\"down\"";
    Json::Value wide = patterns[3];
    wide["Events"][8]["Button"] = 300;
    ASSERT_EQ(0, profile::JsonFileStore().WriteJsonFile(Path(3), wide));
    patterns[0] = patterns[2] = patterns[3] = Json::Value();
    bus->GetTranscript()->Clear();
    EXPECT_EQ(1, page->UploadShootPatterns(true));
    EXPECT_EQ(kCmdReadInfo, Codes().front());
    const std::vector<uint8_t> expected = Expected();
    EXPECT_EQ(protocol::EventAreaSize({0, 180, 0, 0}), expected.size());
    EXPECT_EQ(expected, AreaOnMouse(expected.size()));

    // No mouse: nothing sent, and the area goes at the next arrival.
    page->CommandProtocol().SetOpen(false);
    EXPECT_EQ(0, page->UploadShootPatterns(true));
    EXPECT_TRUE(page->GetPendingWrites().Has(profile::PendingArea::ShootArea));
    mouse->SetShootArea(std::vector<uint8_t>(expected.size(), 0));
    page->CommandProtocol().SetOpen(true);
    page->ReadDevice();
    EXPECT_FALSE(page->HasPendingWrites());
    EXPECT_EQ(expected, AreaOnMouse(expected.size()));
}

class ShootUploadCut : public ShootUploadTest, public ::testing::WithParamInterface<bool> {};

// Unplugged after the commands of the upload in turn: the call reports failure, the pattern
// files stay as they were, the area is marked, and the next arrival sends it whole.
TEST_P(ShootUploadCut, AnUploadCutAnywhereFailsAndIsSentWholeAtTheNextArrival) {
    const bool receiver = GetParam();
    auto device = bus->Find(receiver ? sim::kReceiverChannel : sim::kCableChannel);
    Open(receiver);
    page->ReadDevice();
    WritePatterns();
    std::ifstream in(Path(1), std::ios::binary);
    const std::string patternBytes{std::istreambuf_iterator<char>(in), {}};
    bus->GetTranscript()->Clear();
    ASSERT_EQ(1, page->UploadShootPatterns(true));
    const std::vector<uint8_t> whole = Payload(kCmdWriteShootArea);
    ASSERT_EQ(Expected(), whole);
    const int commands = int(Commands().size());
    ASSERT_GE(commands, 50);

    // Every command that is not a packet of the area, the first and last two packets and every
    // seventh one between (each cut costs an arrival; fifty packets alike add nothing).
    const auto codes = Codes();
    std::vector<int> cuts;
    int packet = 0;
    const int packets = Count(kCmdWriteShootArea);
    for (int k = 1; k <= commands; ++k) {
        if (codes[size_t(k - 1)] != kCmdWriteShootArea) {
            cuts.push_back(k);
            continue;
        }
        ++packet;
        if (packet <= 2 || packet > packets - 2 || packet % 7 == 0) {
            cuts.push_back(k);
        }
    }
    for (int k : cuts) {
        SCOPED_TRACE("cut after " + std::to_string(k) + " of " + std::to_string(commands));
        mouse->SetShootArea(std::vector<uint8_t>(whole.size(), 0));
        device->UnplugOnCommand(k);
        EXPECT_EQ(0, page->UploadShootPatterns(true));
        ASSERT_FALSE(device->IsPlugged());
        EXPECT_TRUE(page->GetPendingWrites().Has(profile::PendingArea::ShootArea));
        std::ifstream again(Path(1), std::ios::binary);
        EXPECT_EQ(patternBytes, std::string(std::istreambuf_iterator<char>(again), {}));

        device->ClearFaults();
        bus->Plug(device);
        Reopen(receiver);
        page->ReadDevice();
        EXPECT_FALSE(page->HasPendingWrites());
        EXPECT_EQ(whole, AreaOnMouse(whole.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, ShootUploadCut, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Cable"; });

}  // namespace
}  // namespace q840::pages::test
