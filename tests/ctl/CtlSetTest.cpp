// q840ctl against the simulated mouse installed as the HID bus: what `set` leaves in the mouse
// and in the profile, what it refuses, how a failure ends, and the JSON of the reading commands.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "core/base/InstanceLock.h"
#include "core/hid/HidBackend.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/JsonFileStore.h"
#include "core/profile/PendingWrites.h"
#include "core/profile/ProfileList.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/sim/DemoDevices.h"
#include "ctl/CtlCommands.h"
#include "ctl/CtlSettings.h"
#include "tests/ctl/CtlTestSupport.h"
#include "tests/support/TempDir.h"

namespace q840::ctl {
namespace {

namespace fs = std::filesystem;
using protocol::SettingsBlock;

class CtlSetTest : public CtlMouseTest {};

TEST_F(CtlSetTest, EverySettingArrivesInTheMouseAndInTheProfile) {
    for (const bool cable : {true, false}) {
        SCOPED_TRACE(cable ? "cable" : "receiver");
        fs::remove_all(user);
        auto bus = Plug(cable);
        const CtlRun r = Ctl({"set",
                              "stage",
                              "7",
                              "off",
                              "active-stage",
                              "3",
                              "dpi",
                              "2",
                              "1600",
                              "dpi",
                              "4",
                              "800",
                              "1200",
                              "report-rate",
                              "500",
                              "lift-off",
                              "high",
                              "linear-correction",
                              "on",
                              "ripple",
                              "on",
                              "debounce",
                              "8ms",
                              "wireless-lights-off",
                              "3",
                              "wireless-sleep",
                              "30",
                              "cable-lights-off",
                              "5",
                              "cable-sleep",
                              "60",
                              "light-effect",
                              "four-colour breathing",
                              "light-brightness",
                              "2",
                              "light-speed",
                              "1",
                              "light-colour",
                              "#102030"});
        ASSERT_EQ(kExitOk, r.code) << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err;
        EXPECT_TRUE(Contains(r.out, "DPI stage 4: 800 DPI x 1200 DPI\n")) << r.out;
        EXPECT_TRUE(Contains(r.out, "report rate: 500 Hz\n"));
        EXPECT_TRUE(Contains(r.out, "profile: Profile1\n"));

        // Sensor 0x3104: 1600 DPI is index 26, 800 index 10, 1200 index 18.
        const SettingsBlock m = MouseBlock(*bus);
        EXPECT_EQ(0, m.profileIndex);
        EXPECT_EQ(2, m.activeStage);
        EXPECT_EQ(26, m.stages[1].x);
        EXPECT_EQ(10, m.stages[3].x);
        EXPECT_EQ(18, m.stages[3].y);
        EXPECT_TRUE(m.stages[3].separateXY);
        EXPECT_FALSE(m.stages[6].enabled);
        EXPECT_TRUE(m.stages[5].enabled);
        EXPECT_EQ(2, m.reportRate);
        EXPECT_EQ(1, m.liftOff);
        EXPECT_EQ(1, m.linearCorrection);
        EXPECT_EQ(1, m.ripple);
        EXPECT_EQ(3, m.keyDebounce);
        EXPECT_EQ(3, m.bleSleep1);
        EXPECT_EQ(30, m.bleSleep2);
        EXPECT_EQ(5, m.deviceSleep1);
        EXPECT_EQ(60, m.deviceSleep2);
        EXPECT_EQ(5, m.light.effect);
        EXPECT_EQ(2, m.light.brightness);
        EXPECT_EQ(1, m.light.speed);
        EXPECT_EQ(0, m.light.multiColour);
        EXPECT_EQ(0x10, m.light.red);
        EXPECT_EQ(0x20, m.light.green);
        EXPECT_EQ(0x30, m.light.blue);

        // The profile holds what the mouse page would have stored.
        const profile::CMouseProfiledata p = Profile();
        EXPECT_EQ(2, p.GetActiveDpiStage());
        ASSERT_EQ(7u, p.GetDpiStages().size());
        EXPECT_EQ(26, +p.GetDpiStages()[1].dpiX);
        EXPECT_EQ(10, +p.GetDpiStages()[3].dpiX);
        EXPECT_EQ(18, +p.GetDpiStages()[3].dpiY);
        EXPECT_EQ(1, p.GetDpiStages()[3].separateXY);
        EXPECT_EQ(0, p.GetDpiStages()[6].enabled);
        const profile::MouseSystemSettings& sys = p.GetSystemSettings();
        EXPECT_EQ(2, sys.reportRate);
        EXPECT_EQ(1, sys.silentAltitude);
        EXPECT_EQ(1, sys.linearCalibration);
        EXPECT_EQ(1, sys.ripple);
        EXPECT_EQ(3, sys.keyDebounceTime);
        EXPECT_EQ(3, sys.bleSleep1);
        EXPECT_EQ(30, sys.bleSleep2);
        EXPECT_EQ(5, sys.deviceSleep1);
        EXPECT_EQ(60, sys.deviceSleep2);
        EXPECT_EQ(500, sys.doubleClickTime) << "what q840ctl does not set stays";
        const profile::LightSetting& light = p.GetLightSetting();
        EXPECT_EQ(5, light.effect);
        EXPECT_EQ(2, light.brightness);
        EXPECT_EQ(1, light.speed);
        EXPECT_EQ(0, light.multiColour);
        EXPECT_EQ(0x30, light.blue);
        EXPECT_FALSE(SettingsPending());

        // Read back in units, as JSON.
        const CtlRun json = Ctl({"--json", "settings"});
        ASSERT_EQ(kExitOk, json.code) << json.err;
        const Json::Value v = profile::JsonFileStore::ParseText(json.out);
        ASSERT_TRUE(v.isObject()) << json.out;
        EXPECT_EQ(3, v["activeStage"]["stage"].asInt());
        EXPECT_EQ(1600, v["stages"][1]["dpiX"].asInt());
        EXPECT_EQ(800, v["stages"][3]["dpiX"].asInt());
        EXPECT_EQ(1200, v["stages"][3]["dpiY"].asInt());
        EXPECT_EQ(18, v["stages"][3]["indexY"].asInt());
        EXPECT_FALSE(v["stages"][6]["on"].asBool());
        EXPECT_EQ(500, v["reportRate"]["hz"].asInt());
        EXPECT_EQ(2, v["liftOff"]["mm"].asInt());
        EXPECT_TRUE(v["ripple"]["on"].asBool());
        EXPECT_EQ(8, v["debounce"]["ms"].asInt());
        EXPECT_EQ(60, v["sleep"]["cableSleep"]["minutes"].asInt());
        EXPECT_EQ("Four-colour breathing", v["light"]["effect"]["name"].asString());
        EXPECT_EQ("#102030", v["light"]["colour"].asString());
        EXPECT_EQ(cable, !v["device"]["receiver"].asBool());

        // The colour cycle keeps the colour.
        ASSERT_EQ(kExitOk, Ctl({"set", "light-colour", "cycle"}).code);
        EXPECT_EQ(1, MouseBlock(*bus).light.multiColour);
        EXPECT_EQ(0x10, MouseBlock(*bus).light.red);
        EXPECT_EQ(1, Profile().GetLightSetting().multiColour);
    }
}

TEST_F(CtlSetTest, WhatTheMouseChangedByItselfStaysUnlessTheProfileHasAChangeItNeverGot) {
    auto bus = Plug(true);
    ASSERT_EQ(kExitOk, Ctl({"set", "ripple", "on"}).code);
    // The mouse's buttons: stage 5, and a report rate the firmware picked.
    bus->Mouse()->SwitchProfileAndDpiStage(0, 4);
    auto area = bus->Mouse()->Settings();
    area[SettingsBlock::kOffReportRate] = 0;
    bus->Mouse()->SetSettings(area);

    // Stage 2, active in the profile, is no longer the mouse's: it may go off.
    const CtlRun r = Ctl({"set", "stage", "2", "off", "debounce", "2"});
    ASSERT_EQ(kExitOk, r.code) << r.err;
    SettingsBlock m = MouseBlock(*bus);
    EXPECT_FALSE(m.stages[1].enabled);
    EXPECT_EQ(4, m.activeStage);
    EXPECT_EQ(0, m.reportRate);
    EXPECT_EQ(1, m.ripple);
    EXPECT_EQ(0, m.keyDebounce);
    EXPECT_EQ(4, Profile().GetActiveDpiStage());
    EXPECT_EQ(0, Profile().GetSystemSettings().reportRate);

    // A change the mouse never got wins over what it holds, and goes once it has it.
    profile::PendingWrites pending;
    pending.Load(ProfilePath());
    pending.Mark(profile::PendingArea::Settings);
    bus->Mouse()->SwitchProfileAndDpiStage(0, 6);
    ASSERT_EQ(kExitOk, Ctl({"set", "debounce", "4"}).code);
    m = MouseBlock(*bus);
    EXPECT_EQ(4, m.activeStage);
    EXPECT_EQ(1, m.keyDebounce);
    EXPECT_FALSE(SettingsPending());
}

TEST_F(CtlSetTest, AMouseThatDropsTheWriteIsAnErrorWithBothValues) {
    auto bus = Plug(false);
    Link(*bus, false)->InjectLostWrites(-1);
    const CtlRun r = Ctl({"set", "report-rate", "500"});
    EXPECT_EQ(kExitDeviceError, r.code);
    EXPECT_TRUE(OneLine(r.err)) << r.err;
    EXPECT_TRUE(Contains(r.err, "report rate: wrote 500 Hz, the mouse holds 1000 Hz")) << r.err;
    EXPECT_TRUE(Contains(r.err, "the profile keeps the change")) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(3, MouseBlock(*bus).reportRate);
    EXPECT_EQ(2, Profile().GetSystemSettings().reportRate);
    EXPECT_TRUE(SettingsPending());

    // Once the mouse takes writes again the next change brings the kept one along.
    Link(*bus, false)->ClearFaults();
    ASSERT_EQ(kExitOk, Ctl({"set", "ripple", "on"}).code);
    EXPECT_EQ(2, MouseBlock(*bus).reportRate);
    EXPECT_EQ(1, MouseBlock(*bus).ripple);
    EXPECT_FALSE(SettingsPending());
}

TEST_F(CtlSetTest, AMousePulledOutAtAnyPointEndsTheCommandAndLeavesAWholeProfile) {
    for (const bool cable : {true, false}) {
        SCOPED_TRACE(cable ? "cable" : "receiver");
        int cutsBeforeTheWrite = 0;
        int cutsAfterIt = 0;
        // Every cut point by cable; every third through the receiver, whose sequence is longer
        // by its link checks.
        const int step = cable ? 1 : 3;
        int n = 1;
        for (; n < 60; n += step) {
            SCOPED_TRACE(n);
            fs::remove_all(user);
            auto bus = Plug(cable);
            Link(*bus, cable)->UnplugOnCommand(n);
            const CtlRun r = Ctl({"set", "report-rate", "250"});
            if (r.code == kExitOk) {
                break;
            }
            const bool kept = Contains(r.err, "the profile keeps the change");
            // A receiver whose mouse is gone before the first answer finds no mouse.
            EXPECT_TRUE(r.code == kExitDeviceError || (r.code == kExitNoDevice && !kept)) << r.err;
            EXPECT_TRUE(OneLine(r.err)) << r.err;
            (kept ? cutsAfterIt : cutsBeforeTheWrite)++;
            if (fs::exists(ProfilePath())) {
                EXPECT_TRUE(profile::JsonFileStore().ReadJsonFile(ProfilePath()).isObject());
            }
            EXPECT_EQ(kept ? 1 : 3, Profile().GetSystemSettings().reportRate) << r.err;
            EXPECT_EQ(kept, SettingsPending());
        }
        EXPECT_LT(n, 60) << "the command never got through";
        EXPECT_GE(cutsBeforeTheWrite, 3);
        EXPECT_GE(cutsAfterIt, 3);
    }
}

TEST_F(CtlSetTest, ValuesOutOfRangeAreRefusedWithTheValidOnesAndNothingIsWritten) {
    auto bus = Plug(true);
    const auto before = bus->Mouse()->Settings();
    const std::pair<std::vector<std::string>, const char*> refusals[] = {
        {{"set", "report-rate", "300"}, "125, 250, 500 or 1000 Hz"},
        {{"set", "debounce", "5"}, "2, 4, 6, 8, 10 or 12 ms"},
        {{"set", "wireless-sleep", "15"}, "10, 20, 30 or 60 minutes"},
        {{"set", "cable-lights-off", "soon"}, "1, 2, 3 or 5"},
        {{"set", "dpi", "2", "9000"}, "this mouse's sensor takes 200 to 8000 DPI"},
        {{"set", "dpi", "2", "100"}, "200 to 8000 DPI"},
        {{"set", "dpi", "2", "20000"}, "from 1 to 10000"},
        {{"set", "dpi", "9", "800"}, "numbered 1 to 7"},
        {{"set", "active-stage", "0"}, "numbered 1 to 7"},
        {{"set", "stage", "2", "off"}, "is the active stage"},
        {{"set", "light-brightness", "5"}, "0 to 4"},
        {{"set", "light-speed", "-1"}, "0 to 4"},
        {{"set", "light-colour", "12345"}, "six hex digits"},
        {{"set", "light-effect", "disco"}, "Four-colour breathing"},
        {{"set", "ripple", "maybe"}, "on or off"},
        {{"set", "ripple"}, "ripple takes on|off"},
        {{"set", "report-rate", "500", "dpi", "3", "9000"}, "200 to 8000"},
        {{"set"}, "help set"},
        {{"set", "speed", "3"}, "not a setting"},
        {{"--json", "set", "ripple", "on"}, "--json goes with"},
        {{"--raw", "info"}, "--raw goes with settings"},
        {{"--device=pad", "set", "ripple", "on"}, "mouse's settings only"},
    };
    for (const auto& [args, valid] : refusals) {
        const CtlRun r = Ctl(args);
        EXPECT_EQ(kExitUsage, r.code) << args[1];
        EXPECT_TRUE(OneLine(r.err)) << r.err;
        EXPECT_TRUE(Contains(r.err, valid)) << r.err;
    }
    EXPECT_EQ(before, bus->Mouse()->Settings());
    for (const auto& command : bus->GetTranscript()->Commands()) {
        EXPECT_NE(0x06, command.bytes[3]) << "a settings write went out";
    }
}

TEST_F(CtlSetTest, ExitCodesOfNoMouseOfTheRunningProgramAndOfAMouseItDoesNotKnow) {
    {
        auto bus = Plug(true);
        bus->Unplug(Link(*bus, true));
        const CtlRun r = Ctl({"set", "ripple", "on"});
        EXPECT_EQ(kExitNoDevice, r.code);
        EXPECT_EQ(
            "q840ctl: no mouse found: is it plugged in, and does the udev rule give you access? "
            "see docs/hidraw-permissions.md\n",
            r.err);
    }
    {
        auto bus = Plug(false);
        bus->Mouse()->SetAsleep(true);
        const CtlRun r = Ctl({"set", "ripple", "on"});
        EXPECT_EQ(kExitNoDevice, r.code);
        EXPECT_TRUE(Contains(r.err, "a click wakes it")) << r.err;
    }
    auto bus = Plug(true);
    {
        // The program holds its instance lock while it runs: q840ctl opens no device then, and
        // without a program to ask on the bus it says so.
        InstanceLock program((temp / "run" / "halvorn-q840vex.lock").string());
        ASSERT_TRUE(program.TryAcquire());
        ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (temp / "no-bus").string());
        for (const char* command : {"set", "settings"}) {
            const CtlRun r =
                command == std::string("set") ? Ctl({"set", "ripple", "on"}) : Ctl({"settings"});
            EXPECT_EQ(kExitDeviceError, r.code) << command;
            EXPECT_TRUE(OneLine(r.err) && Contains(r.err, "is using the mouse")) << r.err;
        }
        const CtlRun simulated = Ctl({"--simulate", "set", "ripple", "on"});
        EXPECT_EQ(kExitDeviceError, simulated.code);
        EXPECT_TRUE(Contains(simulated.err, "program's profiles")) << simulated.err;
        EXPECT_EQ(0, MouseBlock(*bus).ripple);
    }
    auto info = bus->Mouse()->Info();
    info[7] = 5;  // a state this program never wrote
    bus->Mouse()->SetInfo(info);
    const CtlRun r = Ctl({"set", "ripple", "on"});
    EXPECT_EQ(kExitDeviceError, r.code);
    EXPECT_TRUE(Contains(r.err, "not one the program knows (signature 0x55AA, state 5)")) << r.err;
    EXPECT_EQ(0, MouseBlock(*bus).ripple);
}

TEST_F(CtlSetTest, ReadingCommandsPrintTheDocumentedJson) {
    sim::DemoOptions options;
    auto bus = sim::MakeDemoBus(options);
    hid::SetHidBackend(bus);
    auto parse = [](const std::vector<std::string>& args) {
        const CtlRun r = Ctl(args);
        EXPECT_EQ(kExitOk, r.code) << r.err;
        EXPECT_TRUE(OneLine(r.out)) << r.out;
        return profile::JsonFileStore::ParseText(r.out);
    };
    auto hasMembers = [](const Json::Value& v, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            EXPECT_TRUE(v.isMember(name)) << name << " in " << v.toStyledString();
        }
    };
    const Json::Value list = parse({"--json", "list"});
    hasMembers(list, {"interfaces", "supported"});
    EXPECT_EQ(5, list["supported"].asInt());  // receiver, mouse pad and headset
    hasMembers(list["interfaces"][0], {"path", "vendorId", "productId", "interface", "collection",
                                       "usable", "usagePage", "usage", "row"});

    const Json::Value info = parse({"--json", "info"});
    hasMembers(info, {"device", "signature", "signatureValid", "state", "stateName", "keySlots",
                      "macroCapacityBytes", "sensor", "dpiStep", "dpiSliderMaxPlus10", "dpiBase",
                      "bytes"});
    hasMembers(info["device"], {"kind", "name", "receiver", "vendorId", "productId", "path"});
    EXPECT_EQ(0x3104, info["sensor"].asInt());
    EXPECT_EQ("mouse", info["device"]["kind"].asString());

    const Json::Value mouse = parse({"--json", "settings"});
    hasMembers(mouse,
               {"device", "profile", "activeStage", "stages", "reportRate", "liftOff",
                "linearCorrection", "ripple", "debounce", "sleep", "light", "sensor", "bytes"});
    ASSERT_EQ(7u, mouse["stages"].size());
    hasMembers(mouse["stages"][0],
               {"stage", "on", "separateXY", "dpiX", "dpiY", "indexX", "indexY", "colour"});
    hasMembers(mouse["sleep"],
               {"wirelessLightsOff", "wirelessSleep", "cableLightsOff", "cableSleep"});
    hasMembers(mouse["light"],
               {"effect", "brightness", "speed", "direction", "colourCycle", "colour"});
    EXPECT_EQ(1000, mouse["reportRate"]["hz"].asInt());
    EXPECT_EQ(3, mouse["reportRate"]["raw"].asInt());
    EXPECT_EQ("Breathing", mouse["light"]["effect"]["name"].asString());

    const Json::Value pad = parse({"--json", "--device=pad", "settings"});
    hasMembers(pad, {"device", "profile", "light", "bytes"});
    EXPECT_EQ("pad", pad["device"]["kind"].asString());
    EXPECT_EQ("Spectrum cycle", pad["light"]["effect"]["name"].asString());

    const Json::Value battery = parse({"--json", "battery"});
    EXPECT_EQ(80, battery["percent"].asInt());
    EXPECT_EQ("on battery", battery["charge"]["state"].asString());

    const Json::Value raw = parse({"--json", "raw", "0x1a", "0", "2"});
    hasMembers(raw, {"device", "result", "resultText", "reply"});
    EXPECT_EQ(1, raw["result"].asInt());
    EXPECT_EQ(0u, raw["reply"].asString().find("04 00 00 1a 02"));
}

TEST_F(CtlSetTest, HelpNamesEveryCommandAndSetting) {
    const CtlRun usage = Ctl({"--help"});
    EXPECT_EQ(kExitOk, usage.code);
    EXPECT_TRUE(usage.err.empty());
    for (const char* command : {"list", "info", "settings", "battery", "set", "raw", "help"}) {
        EXPECT_TRUE(Contains(usage.out, std::string("\n  ") + command)) << command;
        EXPECT_EQ(kExitOk, Ctl({"help", command}).code) << command;
    }
    EXPECT_TRUE(
        Contains(usage.out, "Exit codes: 0 done, 1 device error, 2 usage error, 3 no device"));
    const CtlRun set = Ctl({"set", "--help"});
    EXPECT_EQ(kExitOk, set.code);
    for (const SettingRow& s : kSettings) {
        EXPECT_TRUE(Contains(set.out, std::string("\n  ") + s.name + " ")) << s.name;
    }
    EXPECT_TRUE(Contains(Ctl({"help", "effects"}).out, "\n  Four-colour breathing\n"));
    EXPECT_EQ(kExitUsage, Ctl({"help", "bogus"}).code);
}

}  // namespace
}  // namespace q840::ctl
