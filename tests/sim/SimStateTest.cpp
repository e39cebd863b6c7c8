// Saving and loading the simulated devices, and the demo set-up.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/SimState.h"
#include "core/sim/SimulatorSetup.h"
#include "tests/support/TempDir.h"

namespace q840::sim {
namespace {

namespace fs = std::filesystem;

class SimState : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.IsValid()); }
    void TearDown() override { hid::SetHidBackend(nullptr); }
    q840::test::TempDir temp{"q840-simstate"};
    const fs::path& dir = temp.path();
};

TEST_F(SimState, RoundTripKeepsEveryRegion) {
    auto bus = MakeDemoBus();
    auto mouse = bus->Mouse();
    auto info = mouse->Info();
    info[7] = 3;
    info[20] = 0x42;  // a byte nobody interprets
    mouse->SetInfo(info);
    auto settings = mouse->Settings();
    settings[0] = 2;
    settings[2 * 128 + 12] = 5;
    settings[15 * 128 + 85] = 0x99;  // the last block
    mouse->SetSettings(settings);
    auto keys = mouse->KeyTable();
    keys[0] = 0x70;
    mouse->SetKeyTable(keys);
    auto macro = mouse->MacroArea();
    macro[0] = 0xAA;
    macro[1] = 0x55;
    macro[200] = 7;
    mouse->SetMacroArea(macro);
    mouse->SetBattery(33, true);
    mouse->SetLinkUp(false);
    bus->Plug(bus->Find(kCableChannel));
    auto pad = bus->MousePad();
    auto padSettings = pad->Settings();
    padSettings[30] = 0x30;
    pad->SetSettings(padSettings);
    bus->Unplug(bus->Find(kHeadsetChannel));

    const std::string file = (dir / "state.json").string();
    ASSERT_TRUE(SaveState(*bus, file));
    auto loaded = MakeDemoBus();
    ASSERT_TRUE(LoadState(*loaded, file));
    auto m = loaded->Mouse();
    EXPECT_EQ(mouse->Info(), m->Info());
    EXPECT_EQ(mouse->Settings(), m->Settings());
    EXPECT_EQ(mouse->KeyTable(), m->KeyTable());
    EXPECT_EQ(mouse->MacroArea(), m->MacroArea());
    EXPECT_EQ(33, m->BatteryLevel());
    EXPECT_TRUE(m->Charging());
    EXPECT_FALSE(m->LinkUp());
    EXPECT_TRUE(loaded->Find(kCableChannel)->IsPlugged());
    EXPECT_FALSE(loaded->Find(kHeadsetChannel)->IsPlugged());
    EXPECT_EQ(pad->Settings(), loaded->MousePad()->Settings());
    EXPECT_EQ(StateToJson(*bus), StateToJson(*loaded));
}

TEST_F(SimState, ReadableFieldsWinOverRawBytes) {
    Json::Value state;
    state["mouse"]["information"]["bytes"] = "aa 55 00 00 00 02 01 00 00 25 89";
    state["mouse"]["information"]["sensor"] = "0x3325";
    state["mouse"]["information"]["state"] = 3;
    state["mouse"]["keyAssignments"].append("0x100100");
    state["mouse"]["keyAssignments"].append(0x130300);
    state["mouse"]["battery"]["level"] = 250;  // more than full
    auto bus = MakeDemoBus();
    ASSERT_TRUE(StateFromJson(*bus, state));
    const auto info = bus->Mouse()->Info();
    EXPECT_EQ(0x25, info[9]);
    EXPECT_EQ(0x33, info[10]);
    EXPECT_EQ(3, info[7]);
    EXPECT_EQ(2, info[5]);
    const auto keys = bus->Mouse()->KeyTable();
    EXPECT_EQ(0x10, keys[0]);
    EXPECT_EQ(0x01, keys[1]);
    EXPECT_EQ(0x13, keys[3]);
    EXPECT_EQ(0x03, keys[4]);
    EXPECT_EQ(0, keys[6]);
    EXPECT_EQ(100, bus->Mouse()->BatteryLevel());
}

TEST_F(SimState, BadFilesLeaveTheDemoDevices) {
    auto bus = MakeDemoBus();
    const auto before = StateToJson(*bus);
    EXPECT_FALSE(LoadState(*bus, (dir / "missing.json").string()));
    const fs::path broken = dir / "broken.json";
    std::ofstream(broken) << "{ \"mouse\": ";
    EXPECT_FALSE(LoadState(*bus, broken.string()));
    Json::Value odd;
    odd["mouse"]["settings"] = "not a list";
    odd["mouse"]["information"]["bytes"] = "zz";
    odd["mouse"]["keyAssignments"] = 5;
    EXPECT_TRUE(StateFromJson(*bus, odd));
    EXPECT_EQ(before["mouse"]["settings"], StateToJson(*bus)["mouse"]["settings"]);
    EXPECT_FALSE(StateFromJson(*bus, Json::Value("text")));
    EXPECT_EQ((std::vector<uint8_t>{0xAB, 0x01}), HexToBytes(" ab\n01 zz 02"));
}

TEST_F(SimState, HostileFilesNeitherThrowNorShiftTheBlocks) {
    auto bus = MakeDemoBus();
    const auto before = StateToJson(*bus);
    // Nesting deeper than the JSON reader follows: not a state file, nothing changed.
    const fs::path deep = dir / "deep.json";
    std::ofstream(deep) << "{\"mouse\":" << std::string(5000, '[') << std::string(5000, ']')
                        << "}";
    EXPECT_FALSE(LoadState(*bus, deep.string()));
    EXPECT_EQ(before, StateToJson(*bus));

    // Blocks that are not text read as empty blocks; the ones after them stay in place.
    const fs::path odd = dir / "odd.json";
    std::ofstream(odd) << R"({"mouse":{"settings":[["01"],{"a":1},"05 06"]}})";
    ASSERT_TRUE(LoadState(*bus, odd.string()));
    const std::vector<uint8_t> settings = bus->Mouse()->Settings();
    ASSERT_GE(settings.size(), 3u * 128);
    EXPECT_EQ(0, settings[0]);
    EXPECT_EQ(0, settings[128]);
    EXPECT_EQ(5, settings[256]);
    EXPECT_EQ(6, settings[257]);
}

TEST_F(SimState, StartSimulationInstallsTheBusAndSavesOnDestruction) {
    const std::string file = (dir / "demo.json").string();
    {
        auto bus = StartSimulation(file);
        EXPECT_EQ(bus, hid::GetHidBackend());
        bus->Mouse()->SetBattery(42, false);
        hid::SetHidBackend(nullptr);
    }
    ASSERT_TRUE(fs::exists(file));
    auto again = StartSimulation(file);
    // Demo mode keeps no transcript of what it exchanges (a long run would only fill memory).
    std::vector<std::string> paths;
    ASSERT_TRUE(again->Enumerate(paths));
    ASSERT_FALSE(paths.empty());
    for (const std::string& path : paths) {
        if (auto connection = again->Open(path, true, true, false, nullptr)) {
            uint8_t report[65] = {0x04, 0xAA};  // a link check on the command collection
            size_t written = 0;
            connection->Write(report, sizeof(report), &written, 100);
        }
    }
    EXPECT_EQ(again->GetTranscript()->Size(), 0u);
    EXPECT_EQ(42, again->Mouse()->BatteryLevel());
    again->Mouse()->SetBattery(43, false);
    ASSERT_TRUE(again->Save());
    EXPECT_FALSE(fs::exists(file + ".tmp"));
    auto third = MakeDemoBus();
    ASSERT_TRUE(LoadState(*third, file));
    EXPECT_EQ(43, third->Mouse()->BatteryLevel());
}

TEST_F(SimState, DemoMouseIsANewMouse) {
    auto mouse = MakeDemoMouse();
    const auto info = mouse->Info();
    EXPECT_EQ(0xAA, info[0]);
    EXPECT_EQ(0x55, info[1]);
    EXPECT_EQ(0, info[7]);
    EXPECT_EQ(11, info[5]);
    EXPECT_EQ(32, info[6]);
    EXPECT_EQ(0x3104, info[9] | (info[10] << 8));
    EXPECT_EQ(80, mouse->BatteryLevel());
    const auto bus = MakeDemoBus();
    EXPECT_FALSE(bus->Find(kCableChannel)->IsPlugged());
    EXPECT_TRUE(bus->Find(kReceiverChannel)->IsPlugged());
}

}  // namespace
}  // namespace q840::sim
