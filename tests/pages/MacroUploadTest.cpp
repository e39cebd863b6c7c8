// The macro area the mouse page sends: its bytes on the simulated mouse, the key table's macro
// positions into it, areas refused before anything is sent, and an upload cut by unplugging.

#include <QFile>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/protocol/codecs/EventArea.h"
#include "tests/pages/MouseTestSupport.h"

namespace q840::pages::test {
namespace {

constexpr uint8_t kCmdReadInfo = 0x03;
constexpr uint8_t kCmdWriteMacroArea = 0x15;
constexpr size_t kTableBytes = 33;
// Key button -> slot of the demo mouse.
constexpr std::array<uint8_t, 11> kDemoSlotMap = {2, 5, 7, 0, 9, 4, 10, 1, 6, 8, 3};

struct Step {
    const char* action;
    int type;
    int button;
    const char* delay;
};

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MacroUploadTest : public MousePageTest {
protected:
    // The macro list with these Guids in order, and a file for each Guid that has steps (an
    // empty step list writes no file).
    void WriteMacros(const std::vector<std::pair<std::string, std::vector<Step>>>& macros) {
        std::string list = R"({"MacroInfo":[)";
        for (size_t i = 0; i < macros.size(); ++i) {
            const auto& [guid, steps] = macros[i];
            list += (i ? "," : "") + std::string(R"({"MacroName":"m)") + std::to_string(i) +
                    R"(","Guid":")" + guid + "\"}";
            if (steps.empty()) {
                continue;
            }
            std::string events;
            for (const Step& s : steps) {
                events += (events.empty() ? "" : ",") + std::string(R"({"Action":")") + s.action +
                          R"(","Button":)" + std::to_string(s.button) + R"(,"Delay":")" + s.delay +
                          R"(","Type":)" + std::to_string(s.type) + "}";
            }
            WriteFile(page->MacroEventsPath(QString::fromStdString(guid)),
                      R"({"Events":[)" + events + R"(],"Guid":")" + guid + R"(","Version":64})");
        }
        WriteFile(page->MacroListPath(), list + "]}");
    }
    static void WriteFile(const QString& path, const std::string& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.c_str());
    }
    static std::vector<Step> Steps(int n) {
        std::vector<Step> steps;
        for (int i = 0; i < n; ++i) {
            steps.push_back({i % 2 ? "up" : "down", 10, 4 + i % 20, "5"});
        }
        return steps;
    }
    // Binds key buttons to assignments in the profile, as the key editor stores them.
    void SetKeys(const std::vector<std::pair<int, uint32_t>>& keys) {
        auto pairs = page->MouseProfile()->GetKeyAssignments();
        for (const auto& [key, code] : keys) {
            pairs[size_t(key)].current.SetCode(code);
        }
        page->MouseProfile()->WriteKeyAssignments(pairs);
        page->SaveProfile();
    }
    // What the main window runs for the page on a profile switch.
    int SwitchProfile() {
        page->LoadProfile();
        page->DropStaleMacroKeys();
        page->RefreshControls();
        page->WriteSettingsBlock(0, 0);
        const int upload = page->UploadMacros(page->GetMacroUseList());
        page->ApplyKeys(0);
        return upload;
    }
    void SetCapacity(uint8_t units) {
        auto info = mouse->Info();
        info[6] = units;
        mouse->SetInfo(info);
    }
    std::vector<uint8_t> AreaOnMouse(size_t length) const {
        const auto area = mouse->MacroArea();
        return {area.begin(), area.begin() + std::min(length, area.size())};
    }
    void Reopen(bool receiver) {
        auto& p = page->CommandProtocol();
        p.SetOpen(false);
        p.PrimaryChannel().Close();
        p.ReceiverChannel().Close();
        Open(receiver);
    }
};

class MacroUploadChannels : public MacroUploadTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MacroUploadChannels, KeysSharingAMacroGetOneRecordAndTheKeyTableNamesItsPosition) {
    const bool receiver = GetParam();
    Open(receiver);
    page->ReadDevice();
    // Macro 0 is used by no key; macro 2 is used first (key 0), then macro 1 (key 1), then
    // macro 2 again (key 2). A key bound to macro 7, which does not exist, is not listed.
    WriteMacros({{"g0", Steps(5)},
                 {"g1", {{"down", 2, 1, "300"}, {"up", 2, 1, "0"}, {"down", 10, 4, "70000"}}},
                 {"g2", {{"down", 9, 0x01, "35"}, {"up", 9, 0x01, "-1"}}}});
    SetKeys({{0, 0x700200}, {1, 0x710100}, {2, 0x700201}, {3, 0x700700}});
    EXPECT_EQ((std::vector<int>{2, 1}), page->GetMacroUseList());

    bus->GetTranscript()->Clear();
    ASSERT_EQ(0, SwitchProfile());
    const std::vector<uint8_t> expected = {
        0xAA, 0x55, 48,   0,   2,    0,    0,    0,    0,    0,    0,    0,
        0,    0,    0,    0,  // header: size 48, 2 macros
        20,   0,    32,   0,  // offsets
        2,    0,    0,    0,   35,   0,    0x89, 0x01, 0xFF, 0xFF, 0x09, 0x01,  // macro 2
        3,    0,    0,    0,   0x2C, 0x01, 0x82, 0x01, 0,    0,    0x02, 0x01,  // macro 1
        0x70, 0x11, 0x8A, 0x04};  // 70000 keeps its low 16 bits
    EXPECT_EQ(expected, Payload(kCmdWriteMacroArea));
    EXPECT_EQ(receiver ? 2 : 1, Count(kCmdWriteMacroArea));
    EXPECT_EQ(expected, AreaOnMouse(expected.size()));
    EXPECT_FALSE(page->HasPendingWrites());

    // The area goes before the key table that names positions in it, each inside Begin / End.
    const auto codes = Codes();
    const auto area = std::find(codes.begin(), codes.end(), kCmdWriteMacroArea);
    const auto keys = std::find(codes.begin(), codes.end(), kCmdWriteKeyTable);
    ASSERT_LT(area, keys);
    EXPECT_EQ(kCmdBegin, *std::find_if(std::make_reverse_iterator(area), codes.rend(),
                                       [](uint8_t c) { return c != kCmdLinkCheck; }));
    EXPECT_EQ(kCmdEnd, *std::find_if(area + 1, codes.end(), [](uint8_t c) {
                  return c != kCmdLinkCheck && c != kCmdWriteMacroArea;
              }));

    // Each key's macro on the mouse is the record at the position its slot names.
    const auto table = mouse->KeyTable();
    const auto records = protocol::ParseEventArea(expected.data(), expected.size());
    ASSERT_EQ(2u, records.size());
    const auto slot = [&](int key) {
        const size_t at = kDemoSlotMap[size_t(key)] * 3u;
        return std::array<uint8_t, 3>{table[at], table[at + 1], table[at + 2]};
    };
    EXPECT_EQ((std::array<uint8_t, 3>{0x70, 0, 0}), slot(0));
    EXPECT_EQ((std::array<uint8_t, 3>{0x71, 1, 0}), slot(1));
    EXPECT_EQ((std::array<uint8_t, 3>{0x70, 0, 1}), slot(2));
    EXPECT_EQ(2u, records[slot(0)[1]].size());
    EXPECT_EQ(300, records[slot(1)[1]][0].delay);
    EXPECT_NE(0x70, slot(3)[0]) << "the key of a macro that is gone plays no macro";
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, MacroUploadChannels, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Cable"; });

TEST_F(MacroUploadTest, AMacroWithoutStepsKeepsItsPlaceAndNoMacrosSendNothing) {
    Open(false);
    page->ReadDevice();
    // Macro 0 has no file; macro 1's file is not JSON.
    WriteMacros({{"g0", {}}, {"g1", {}}, {"g2", {{"down", 1, 1, "0"}}}});
    WriteFile(page->MacroEventsPath("g1"), "not a macro");
    SetKeys({{0, 0x700000}, {1, 0x700100}, {2, 0x700200}});
    bus->GetTranscript()->Clear();
    ASSERT_EQ(0, page->UploadMacros(page->GetMacroUseList()));
    EXPECT_EQ(
        (std::vector<uint8_t>{0xAA, 0x55, 38, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 22, 0,    26,
                              0,    30,   0,  0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0,  0x81, 1}),
        Payload(kCmdWriteMacroArea));

    // No key plays a macro: the mouse keeps the area it has and nothing is sent.
    SetKeys({{0, 0x100100}, {1, 0x100200}, {2, 0x100400}});
    bus->GetTranscript()->Clear();
    EXPECT_TRUE(page->GetMacroUseList().empty());
    EXPECT_EQ(0, page->UploadMacros(page->GetMacroUseList()));
    EXPECT_EQ(0, Count(kCmdBegin));
    EXPECT_EQ(0, Count(kCmdWriteMacroArea));
    EXPECT_EQ(38, AreaOnMouse(4)[2]);
}

// A refused area leaves the mouse as it was: no Begin, no packet of the area.
TEST_F(MacroUploadTest, AnAreaThatDoesNotFitOrAMacroTooLongIsRefusedBeforeSending) {
    Open(false);
    page->ReadDevice();
    const std::vector<uint8_t> before(200, 0x5A);
    mouse->SetMacroArea(before);
    // The mouse now announces 256 bytes; the upload reads the record again and goes by that.
    SetCapacity(2);
    // One macro of 60 steps: 16 + 6 + 240 = 262 bytes, (262 - 256) / 4 + 1 = 2.
    WriteMacros({{"g0", Steps(60)}, {"g1", Steps(65)}, {"g2", Steps(64)}});
    SetKeys({{0, 0x700000}});
    bus->GetTranscript()->Clear();
    EXPECT_EQ(2, page->UploadMacros(page->GetMacroUseList()));
    EXPECT_EQ(2, page->GetMacroCapacity());
    EXPECT_EQ(COrvenixMouseDevice::UploadRefusal::AreaTooLarge, page->GetLastUploadRefusal());
    EXPECT_EQ((std::vector<uint8_t>{kCmdReadInfo}), Codes());
    EXPECT_EQ(before, AreaOnMouse(before.size()));

    // The steps of a macro are limited before the capacity is looked at: 65 steps give 65 even
    // with room for them; 64 steps are sent.
    SetCapacity(32);
    SetKeys({{0, 0x700200}, {1, 0x700100}});
    bus->GetTranscript()->Clear();
    EXPECT_EQ(65, page->UploadMacros(page->GetMacroUseList()));
    EXPECT_EQ(COrvenixMouseDevice::UploadRefusal::TooManySteps, page->GetLastUploadRefusal());
    EXPECT_EQ(0, Count(kCmdBegin));
    EXPECT_EQ(before, AreaOnMouse(before.size()));
    SetKeys({{1, 0x100200}});
    EXPECT_EQ(0, page->UploadMacros(page->GetMacroUseList()));
    EXPECT_EQ(COrvenixMouseDevice::UploadRefusal::None, page->GetLastUploadRefusal());
    EXPECT_EQ(protocol::EventAreaSize({64}), size_t(AreaOnMouse(4)[2] | AreaOnMouse(4)[3] << 8));
}

class MacroUploadCut : public MacroUploadTest, public ::testing::WithParamInterface<bool> {};

// Unplugged after every command of the upload in turn: the call reports failure (or, when the
// link check found no mouse at all, that there was nothing it could send), the profile and macro
// files stay as they were, the area is marked, and the next arrival sends it whole.
TEST_P(MacroUploadCut, AnUploadCutAnywhereIsReportedAndSentWholeAtTheNextArrival) {
    const bool receiver = GetParam();
    auto device = bus->Find(receiver ? sim::kReceiverChannel : sim::kCableChannel);
    Open(receiver);
    page->ReadDevice();
    WriteMacros({{"g0", Steps(30)}, {"g1", Steps(28)}});
    SetKeys({{0, 0x700100}, {1, 0x700000}});
    const auto macroBytes = ReadBytes(page->MacroEventsPath("g1").toStdString());
    bus->GetTranscript()->Clear();
    ASSERT_EQ(0, page->UploadMacros(page->GetMacroUseList()));
    const std::vector<uint8_t> whole = Payload(kCmdWriteMacroArea);
    ASSERT_EQ(protocol::EventAreaSize({28, 30}), whole.size());
    const int commands = int(Commands().size());
    ASSERT_GE(Count(kCmdWriteMacroArea), receiver ? 10 : 4);

    for (int k = 1; k <= commands; ++k) {
        SCOPED_TRACE("cut after " + std::to_string(k) + " of " + std::to_string(commands));
        mouse->SetMacroArea(std::vector<uint8_t>(whole.size(), 0));
        const auto profileBytes = ReadBytes(page->ProfilePath().toStdString());
        device->UnplugOnCommand(k);
        const int result = page->UploadMacros(page->GetMacroUseList());
        ASSERT_FALSE(device->IsPlugged());
        EXPECT_EQ(receiver && k == 1 ? 0 : -1, result);
        EXPECT_TRUE(page->GetPendingWrites().Has(profile::PendingArea::MacroArea));
        EXPECT_EQ(profileBytes, ReadBytes(page->ProfilePath().toStdString()));
        EXPECT_EQ(macroBytes, ReadBytes(page->MacroEventsPath("g1").toStdString()));

        device->ClearFaults();
        bus->Plug(device);
        Reopen(receiver);
        page->ReadDevice();
        EXPECT_FALSE(page->HasPendingWrites());
        EXPECT_EQ(whole, AreaOnMouse(whole.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, MacroUploadCut, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Cable"; });

}  // namespace
}  // namespace q840::pages::test
