#pragma once

// What the q840ctl tests share: running a command line in-process, and the demo mouse installed
// as the HID bus with the per-user, runtime and program folders of a test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/PendingWrites.h"
#include "core/profile/ProfileList.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/sim/DemoDevices.h"
#include "ctl/CtlCommands.h"
#include "tests/support/TempDir.h"

namespace q840::ctl {

namespace fs = std::filesystem;
using protocol::SettingsBlock;

struct CtlRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline CtlRun Ctl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CtlRun r;
    r.code = RunCtl(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline bool OneLine(const std::string& text) {
    return !text.empty() && text.find('\n') == text.size() - 1;
}

// An environment variable for the time of one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_had = true;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_had) {
            setenv(m_name, m_old.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

inline std::string SourceDir() {
    const char* dir = std::getenv("Q840_SOURCE_DIR");
    return dir != nullptr ? dir : Q840_TEST_SOURCE_DIR;
}

class CtlMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.IsValid());
        fs::create_directories(temp / "run");
    }
    void TearDown() override { hid::SetHidBackend(nullptr); }

    // The demo mouse alone, by cable or through its receiver, as the HID bus q840ctl finds.
    std::shared_ptr<sim::VirtualBus> Plug(bool cable) {
        sim::DemoOptions options;
        options.cable = cable;
        options.receiver = !cable;
        options.mousePad = false;
        options.headset = false;
        auto bus = sim::MakeDemoBus(options);
        hid::SetHidBackend(bus);
        return bus;
    }
    static std::shared_ptr<sim::VirtualHidDevice> Link(const sim::VirtualBus& bus, bool cable) {
        return bus.Find(cable ? sim::kCableChannel : sim::kReceiverChannel);
    }
    // Profile 0's block in the mouse's memory.
    static SettingsBlock MouseBlock(const sim::VirtualBus& bus) {
        const auto area = bus.Mouse()->Settings();
        return SettingsBlock::Decode(area.data(), SettingsBlock::kSize);
    }

    // The profile the program's profile bar would show for the mouse.
    fs::path ProfilePath() const {
        profile::ProfileList list;
        list.SetPaths(user / "mouse", fs::path(SourceDir()) / "DefaultData/mouse.Json");
        list.Init();
        return list.ProfileFilePath(list.StoredSelection());
    }
    profile::CMouseProfiledata Profile() const {
        profile::CMouseProfiledata data;
        data.SetDeviceIndex(0);
        data.LoadDeviceNode(ProfilePath());
        data.ReadLightSetting();
        data.ReadDpiStages();
        data.ReadSystemSettings();
        return data;
    }
    bool SettingsPending() const {
        profile::PendingWrites pending;
        pending.Load(ProfilePath());
        return pending.Has(profile::PendingArea::Settings);
    }

    test::TempDir temp{"q840-ctl-set"};
    const fs::path user = temp / "user";
    ScopedEnv userFolder{"Q840_USER_DATA_DIR", user.string()};
    ScopedEnv runtimeFolder{"XDG_RUNTIME_DIR", (temp / "run").string()};
    // The factory profile and effect list of the source tree stand for the installed ones.
    ScopedEnv programFolder{"Q840_PROGRAM_DIR", SourceDir()};
};

}  // namespace q840::ctl
