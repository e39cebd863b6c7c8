// One QApplication for the whole run, offscreen; the program folder is the build tree, which
// carries skin/ and DefaultData/ beside the binaries; per-user data and settings go to a
// temporary folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

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
}  // namespace
