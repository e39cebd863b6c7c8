// One QApplication for the whole run, offscreen; the program folder is the build tree, which
// carries skin/ and DefaultData/ beside the binaries; per-user data and settings go to a
// temporary folder. Every test starts on an empty simulated HID bus, so that no test can reach
// the machine's own devices; a test that needs devices installs its own bus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "platform/AppSettings.h"
#include "platform/Paths.h"

namespace {
class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
        m_dir = new QTemporaryDir();
        q840::SetProgramFolder(qEnvironmentVariable("Q840_BUILD_DIR"));
        q840::SetUserDataFolder(m_dir->filePath("user"));
        q840::AppSettings::SetConfigFolder(m_dir->filePath("config"));
    }
    void TearDown() override { delete m_dir; }

private:
    QApplication* m_app = nullptr;
    QTemporaryDir* m_dir = nullptr;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

// Before each test (and so before its fixture's SetUp): an empty simulated bus. A fixture that
// drops its own bus with SetHidBackend(nullptr) would otherwise hand the next test the hidraw
// backend over the real /sys.
class EmptyBusPerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        q840::sim::DemoOptions nothing;
        nothing.cable = nothing.receiver = nothing.mousePad = nothing.headset = false;
        q840::hid::SetHidBackend(q840::sim::MakeDemoBus(nothing));
    }
};
const bool kEmptyBusInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new EmptyBusPerTest);
    return true;
}();
}  // namespace
