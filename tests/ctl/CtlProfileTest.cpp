// q840ctl profile against the simulated mouse: the list, export and import with the profile
// bar's rules and limits, and a switch that leaves the mouse's settings block and key table as
// the window's switch does.

#include <gtest/gtest.h>

#include <json/json.h>

#include <array>
#include <fstream>

#include "core/profile/JsonFileStore.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/KeyTable.h"
#include "tests/ctl/CtlTestSupport.h"

namespace q840::ctl {
namespace {

class CtlProfileTest : public CtlMouseTest {
protected:
    static protocol::InfoRecord Info(const sim::VirtualBus& bus) {
        const auto info = bus.Mouse()->Info();
        return protocol::InfoRecord::Decode(info.data(), info.size());
    }
    // The slot of each key button in the mouse's factory key table, where each key holds its
    // identification.
    static std::array<uint8_t, protocol::kMouseKeyButtons> Slots(const sim::VirtualBus& bus) {
        const auto table = bus.Mouse()->KeyTable();
        return protocol::BuildKeySlotMap(table.data(), Info(bus).KeyTableBytes(),
                                         Info(bus).keySlots);
    }
    // The key button's assignment in the mouse's key table.
    static protocol::KeyAssignment MouseKey(const sim::VirtualBus& bus,
                                            const std::array<uint8_t, 11>& slots, size_t button) {
        const auto table = bus.Mouse()->KeyTable();
        return protocol::ReadKeySlot(table.data(), Info(bus).KeyTableBytes(), slots[button]);
    }
    static Json::Value Parse(const std::string& text) {
        Json::Value root;
        std::istringstream in(text);
        Json::CharReaderBuilder builder;
        std::string errors;
        EXPECT_TRUE(Json::parseFromStream(builder, in, &root, &errors)) << errors << text;
        return root;
    }
};

// Stage 2's X index and the report rate in profile 0's block.
constexpr size_t kStage2X = 14 + 18 + 2;
constexpr size_t kReportRate = 11;

TEST_F(CtlProfileTest, ExportImportAndSwitchLeaveTheMouseAsTheProfileSays) {
    for (const bool cable : {true, false}) {
        SCOPED_TRACE(cable ? "cable" : "receiver");
        fs::remove_all(user);
        auto bus = Plug(cable);
        const auto slots = Slots(*bus);
        ASSERT_NE(protocol::kNoSlot, slots[1]);
        CtlRun r = Ctl({"profile", "list"});
        ASSERT_EQ(kExitOk, r.code) << r.err;
        EXPECT_EQ("* 1  Profile1\n", r.out);

        // An exported profile, changed in a DPI stage, the report rate and the second button,
        // comes back as a profile of its own named after the file.
        const fs::path exported = temp / "out" / "gaming";
        fs::create_directories(exported.parent_path());
        r = Ctl({"profile", "export", "1", exported.string()});
        ASSERT_EQ(kExitOk, r.code) << r.err;
        const fs::path file = exported.string() + ".json";
        profile::JsonFileStore store;
        Json::Value content = store.ReadJsonFile(file);
        ASSERT_TRUE(content.isObject());
        Json::Value& device = content["Device"][0];
        Json::Value& stage = device["DPIStages"]["StageDPIs"][2];
        const int x = (stage["StageDPIX"].asInt() + 7) % 100;
        stage["StageDPIX"] = x;
        stage["StageDPIY"] = x;
        device["ReportStages"]["StageActive"] = 1;
        // Not another key's identification, so that the next read of the table still finds every
        // slot.
        const protocol::KeyAssignment middle{0x20, 0x00, 0x04};
        device["KeyList"][1]["Assignment"] = Json::Int(middle.Code());
        ASSERT_EQ(0, store.WriteJsonFile(file, content));
        r = Ctl({"profile", "import", file.string()});
        ASSERT_EQ(kExitOk, r.code) << r.err;
        EXPECT_TRUE(Contains(r.out, "as profile 2 \"gaming\"")) << r.out;

        r = Ctl({"profile", "switch", "GAMING"});
        ASSERT_EQ(kExitOk, r.code) << r.err;
        EXPECT_EQ("profile: gaming\n", r.out);
        EXPECT_EQ(x, bus->Mouse()->Settings()[kStage2X]);
        EXPECT_EQ(1, bus->Mouse()->Settings()[kReportRate]);
        EXPECT_EQ(middle, MouseKey(*bus, slots, 1));

        r = Ctl({"--json", "profile", "list"});
        ASSERT_EQ(kExitOk, r.code) << r.err;
        const Json::Value list = Parse(r.out);
        EXPECT_EQ(2, list["current"].asInt());
        EXPECT_EQ(50, list["limit"].asInt());
        ASSERT_EQ(2u, list["profiles"].size());
        EXPECT_EQ("gaming", list["profiles"][1]["name"].asString());
        EXPECT_TRUE(list["profiles"][1]["current"].asBool());

        // Back to the first by its number: its block again. (Its second button stays: a fresh
        // read of the key table finds a key's slot by the key's factory assignment, which the
        // remapped slot no longer holds.)
        r = Ctl({"profile", "switch", "1"});
        ASSERT_EQ(kExitOk, r.code) << r.err;
        EXPECT_EQ(3, bus->Mouse()->Settings()[kReportRate]);
        EXPECT_NE(x, bus->Mouse()->Settings()[kStage2X]);
    }
}

TEST_F(CtlProfileTest, BadNamesFilesAndTheLimitAreRefusedAndChangeNothing) {
    auto bus = Plug(true);
    const fs::path notProfile = temp / "settings.json";
    std::ofstream(notProfile) << "{\"x\": 1}";
    const fs::path broken = temp / "broken.json";
    std::ofstream(broken) << "{\"profilename\": ";
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"profile", "switch", "nosuch"}, kExitUsage, "there is no profile \"nosuch\""},
        {{"profile", "switch", "2"}, kExitUsage, "1 to 1"},
        {{"profile", "switch", "0"}, kExitUsage, "there is no profile"},
        {{"profile", "import", notProfile.string()}, kExitUsage, "is not a profile file"},
        {{"profile", "import", broken.string()}, kExitUsage, "is not a profile file"},
        {{"profile", "import", (temp / "missing.json").string()}, kExitUsage, "is not a file"},
        {{"profile", "export", "3", (temp / "x.json").string()}, kExitUsage, "no profile"},
        {{"profile", "export", "1", (temp / "no" / "such" / "x.json").string()},
         kExitDeviceError,
         "could not be written"},
        {{"profile"}, kExitUsage, "profile takes list"},
        {{"profile", "rename", "a"}, kExitUsage, "profile takes list"},
        {{"--json", "profile", "switch", "1"}, kExitUsage, "--json goes with profile list"},
        {{"--device=pad", "profile", "list"}, kExitUsage, "mouse's profiles only"},
    };
    const auto settings = bus->Mouse()->Settings();
    for (const Case& c : cases) {
        const CtlRun r = Ctl(c.args);
        EXPECT_EQ(c.code, r.code) << c.args.back();
        EXPECT_TRUE(OneLine(r.err) && Contains(r.err, c.says)) << r.err;
    }
    EXPECT_EQ("* 1  Profile1\n", Ctl({"profile", "list"}).out);
    EXPECT_FALSE(fs::exists(temp / "x.json"));

    // Up to 50 profiles, as in the profile bar; the 51st is refused and the list stays.
    const fs::path one = temp / "one.json";
    ASSERT_EQ(kExitOk, Ctl({"profile", "export", "1", one.string()}).code);
    for (int i = 2; i <= 50; ++i) {
        ASSERT_EQ(kExitOk, Ctl({"profile", "import", one.string()}).code) << i;
    }
    const CtlRun full = Ctl({"profile", "import", one.string()});
    EXPECT_EQ(kExitUsage, full.code);
    EXPECT_TRUE(Contains(full.err, "50 profiles")) << full.err;
    const CtlRun list = Ctl({"profile", "list"});
    EXPECT_TRUE(Contains(list.out, "\n  50  one(")) << list.out;
    EXPECT_EQ(settings, bus->Mouse()->Settings());

    // Without a mouse a switch changes nothing, and says there is none.
    hid::SetHidBackend(sim::MakeDemoBus(sim::DemoOptions{false, false, false, false}));
    const CtlRun none = Ctl({"profile", "switch", "2"});
    EXPECT_EQ(kExitNoDevice, none.code) << none.err;
    EXPECT_TRUE(Contains(Ctl({"profile", "list"}).out, "* 1  Profile1")) << "selection kept";
}

TEST_F(CtlProfileTest, AMousePulledOutInTheMiddleOfASwitchEndsItAndLeavesWholeFiles) {
    int cutsBeforeTheSwitch = 0;
    int cutsAfterIt = 0;
    int n = 1;
    for (; n < 60; ++n) {
        SCOPED_TRACE(n);
        fs::remove_all(user);
        auto bus = Plug(true);
        const fs::path file = temp / "second.json";
        ASSERT_EQ(kExitOk, Ctl({"profile", "export", "1", file.string()}).code);
        ASSERT_EQ(kExitOk, Ctl({"profile", "import", file.string()}).code);
        Link(*bus, true)->UnplugOnCommand(n);
        const CtlRun r = Ctl({"profile", "switch", "second"});
        if (r.code == kExitOk) {
            break;
        }
        EXPECT_TRUE(OneLine(r.err)) << r.err;
        const bool switched = Contains(r.err, "is current");
        EXPECT_TRUE(r.code == kExitDeviceError || (r.code == kExitNoDevice && !switched)) << r.err;
        (switched ? cutsAfterIt : cutsBeforeTheSwitch)++;
        // The list names the profile the command reached, and every file is whole.
        profile::ProfileList list;
        list.SetPaths(user / "mouse", fs::path(SourceDir()) / "DefaultData/mouse.Json");
        list.Init();
        EXPECT_EQ(switched ? 1 : 0, list.StoredSelection()) << r.err;
        EXPECT_TRUE(profile::JsonFileStore().ReadJsonFile(list.ListFilePath()).isObject());
        EXPECT_TRUE(profile::JsonFileStore().ReadJsonFile(ProfilePath()).isObject());
        // What the mouse did not take is marked for the program's next arrival.
        profile::PendingWrites pending;
        pending.Load(ProfilePath());
        EXPECT_EQ(switched, pending.Any()) << r.err;
    }
    EXPECT_LT(n, 60) << "the switch never got through";
    EXPECT_GE(cutsBeforeTheSwitch, 3);
    EXPECT_GE(cutsAfterIt, 3);
}

}  // namespace
}  // namespace q840::ctl
