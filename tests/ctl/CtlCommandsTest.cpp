// q840ctl against the simulated devices: output and exit codes.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/SimState.h"
#include "ctl/CtlCommands.h"
#include "tests/support/TempDir.h"

namespace q840::ctl {
namespace {

namespace fs = std::filesystem;

struct CtlRun {
    int code = -1;
    std::string out;
    std::string err;
};

CtlRun Ctl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CtlRun r;
    r.code = RunCtl(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

size_t Lines(const std::string& text) {
    size_t n = 0;
    for (char c : text) {
        n += c == '\n';
    }
    return n;
}

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.IsValid()); }
    void TearDown() override { hid::SetHidBackend(nullptr); }

    // A state file made from the demo devices after `change`.
    template <typename Change>
    std::string StateFile(Change change) {
        auto bus = sim::MakeDemoBus();
        change(*bus);
        const std::string file = (dir / "state.json").string();
        EXPECT_TRUE(sim::SaveState(*bus, file));
        return file;
    }

    q840::test::TempDir temp{"q840-ctl"};
    const fs::path& dir = temp.path();
};

TEST_F(CtlTest, InfoShowsTheDecodedRecord) {
    const CtlRun r = Ctl({"--simulate", "info"});
    EXPECT_EQ(kExitOk, r.code) << r.err;
    EXPECT_TRUE(Contains(r.out, "mouse through its receiver")) << r.out;
    EXPECT_TRUE(Contains(r.out, "signature: 0x55AA\n"));
    EXPECT_TRUE(Contains(r.out, "state: 0 (new)"));
    EXPECT_TRUE(Contains(r.out, "key slots: 11"));
    EXPECT_TRUE(Contains(r.out, "macro capacity: 32 x 128 = 4096 bytes"));
    EXPECT_TRUE(Contains(r.out, "sensor: 0x3104"));
    EXPECT_TRUE(r.err.empty()) << r.err;
}

TEST_F(CtlTest, SettingsFollowTheCurrentProfile) {
    const std::string file = StateFile([](sim::VirtualBus& bus) {
        auto settings = bus.Mouse()->Settings();
        settings[0] = 2;
        settings[2 * 128 + 12] = 4;  // active DPI stage of profile 2
        settings[2 * 128 + 84] = 1;  // ripple control
        bus.Mouse()->SetSettings(settings);
        bus.Plug(bus.Find(sim::kCableChannel));
    });
    const CtlRun r = Ctl({"--simulate=" + file, "settings", "--raw"});
    EXPECT_EQ(kExitOk, r.code) << r.err;
    EXPECT_TRUE(Contains(r.out, "device: mouse (")) << r.out;  // the cable comes first
    EXPECT_TRUE(Contains(r.out, "profile: 2\n"));
    EXPECT_TRUE(Contains(r.out, "active DPI stage: 4\n"));
    EXPECT_TRUE(Contains(r.out, "ripple control: 1\n"));
    EXPECT_TRUE(Contains(r.out, "DPI stage 0: on "));
    // The same block in units: stages counted from 1, DPI through the sensor's formulas.
    const CtlRun units = Ctl({"--simulate=" + file, "settings"});
    EXPECT_EQ(kExitOk, units.code) << units.err;
    EXPECT_TRUE(Contains(units.out, "active DPI stage: 5\n")) << units.out;
    EXPECT_TRUE(Contains(units.out, "ripple control: on\n"));
    EXPECT_TRUE(Contains(units.out, "DPI stage 1: on, 400 DPI, colour #FF0000\n"));
    EXPECT_TRUE(Contains(units.out, "report rate: 1000 Hz\n"));

    // The whole byte is the profile index, as the page reads it: 0x12 is no profile of this mouse,
    // not profile 2.
    const std::string high = StateFile([](sim::VirtualBus& bus) {
        auto settings = bus.Mouse()->Settings();
        settings[0] = 0x12;
        bus.Mouse()->SetSettings(settings);
        bus.Plug(bus.Find(sim::kCableChannel));
    });
    const CtlRun h = Ctl({"--simulate=" + high, "settings"});
    EXPECT_NE(kExitOk, h.code) << h.out;
    EXPECT_TRUE(Contains(h.err, "reading the settings failed")) << h.err;

    const CtlRun pad = Ctl({"--simulate", "--device=pad", "settings"});
    EXPECT_EQ(kExitOk, pad.code) << pad.err;
    EXPECT_TRUE(Contains(pad.out, "mouse pad"));
}

TEST_F(CtlTest, NoDeviceIsOneLineAndNonZero) {
    const std::string none = StateFile([](sim::VirtualBus& bus) {
        for (const auto& d : bus.Devices()) {
            bus.Unplug(d);
        }
    });
    for (const char* command : {"info", "settings", "list"}) {
        const CtlRun r = Ctl({"--simulate=" + none, command});
        EXPECT_EQ(kExitNoDevice, r.code) << command;
        EXPECT_EQ(1u, Lines(r.err)) << r.err;
        EXPECT_TRUE(Contains(r.err, "no supported device")) << r.err;
    }
    const std::string asleep = StateFile([](sim::VirtualBus& bus) {
        bus.Mouse()->SetAsleep(true);
        bus.Unplug(bus.Find(sim::kPadChannel));
        bus.Unplug(bus.Find(sim::kHeadsetChannel));
    });
    const CtlRun r = Ctl({"--simulate=" + asleep, "info"});
    EXPECT_EQ(kExitNoDevice, r.code);
    EXPECT_EQ(1u, Lines(r.err));
    EXPECT_TRUE(Contains(r.err, "does not answer")) << r.err;
}

TEST_F(CtlTest, ListNamesTheCatalogueRows) {
    const CtlRun r = Ctl({"--simulate", "list"});
    EXPECT_EQ(kExitOk, r.code) << r.err;
    EXPECT_TRUE(Contains(r.out, "sim:vid_320f&pid_226f&mi_01&col02\n"));
    EXPECT_TRUE(Contains(r.out, "catalogue row 6: mouse through its receiver, command interface"));
    EXPECT_TRUE(Contains(r.out, "catalogue row 10: headset, command interface"));
    EXPECT_TRUE(Contains(r.out, "no catalogue row: this collection"));
}

TEST_F(CtlTest, RawSendsOneCommand) {
    const CtlRun r = Ctl({"--simulate", "raw", "0x1a", "0", "2"});
    EXPECT_EQ(kExitOk, r.code) << r.err;
    EXPECT_TRUE(Contains(r.out, "result: 1 (success)"));
    EXPECT_TRUE(Contains(r.out, "reply: 04 00 00 1a 02 00 00 00 50 02")) << r.out;
    const CtlRun unknown = Ctl({"--simulate", "raw", "0x77"});
    EXPECT_EQ(kExitDeviceError, unknown.code);
    EXPECT_TRUE(Contains(unknown.out, "result: -103"));
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--simulate", "raw"},
                                                {"--simulate", "raw", "0x1a", "0"},
                                                {"--simulate", "raw", "0x100"},
                                                {"--simulate", "raw", "1", "0", "57"},
                                                {"--simulate", "raw", "6", "0", "1", "x"},
                                                {"--simulate", "bogus"},
                                                {"--simulate", "--device=keyboard", "info"},
                                                {}}) {
        EXPECT_EQ(kExitUsage, Ctl(bad).code);
    }
}

TEST_F(CtlTest, ProgramExitCodes) {
    // Test programs sit in tests/ below the build tree's top, where q840ctl is.
    const char* buildDir = std::getenv("Q840_BUILD_DIR");
    const fs::path top = buildDir ? fs::path(buildDir)
                                  : fs::read_symlink("/proc/self/exe").parent_path().parent_path();
    const std::string program = (top / "q840ctl").string();
    ASSERT_TRUE(fs::exists(program));
    auto run = [&](const std::string& args, std::string* output) {
        const std::string command = "'" + program + "' " + args + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 256> buffer;
        while (pipe && std::fgets(buffer.data(), buffer.size(), pipe)) {
            *output += buffer.data();
        }
        const int status = pipe ? ::pclose(pipe) : -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string out;
    EXPECT_EQ(0, run("--simulate info", &out));
    EXPECT_TRUE(Contains(out, "sensor: 0x3104")) << out;
    const std::string none = StateFile([](sim::VirtualBus& bus) {
        for (const auto& d : bus.Devices()) {
            bus.Unplug(d);
        }
    });
    out.clear();
    EXPECT_EQ(3, run("--simulate=" + none + " settings", &out));
    EXPECT_EQ(1u, Lines(out)) << out;
    out.clear();
    EXPECT_EQ(2, run("--simulate --bogus info", &out));
    EXPECT_EQ(1u, Lines(out)) << out;
    out.clear();
    EXPECT_EQ(0, run("--version", &out));
    EXPECT_TRUE(Contains(out, "q840ctl ")) << out;
}

}  // namespace
}  // namespace q840::ctl
