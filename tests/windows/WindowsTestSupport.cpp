#include "WindowsTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>

#include "core/base/DebugLine.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"

namespace q840::test {

namespace {
class WindowsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_windows";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (QApplication::instance() == nullptr) {
            new QApplication(argc, argv);
        }
        const QString skin = qEnvironmentVariable("Q840_SOURCE_DIR") + "/skin/";
        ui::CPaintManagerUI::SetResourcePath(skin);
        ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
        resources.SetResourcePath(skin);
        ASSERT_TRUE(resources.LoadResource("res.xml"));
        ASSERT_TRUE(resources.LoadLanguage("lan_en.xml"));
        ASSERT_TRUE(ui::ApplyGlobalStyleSheet("style.qss", 96));
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new WindowsEnvironment);

void Collect(const std::string& line) {
    DebugLines::Lines().push_back(line);
}
}  // namespace

void SwitchLanguage(const QString& file) {
    ui::CResourceManager::GetInstance().LoadLanguage(file);
    ui::CResourceManager::GetInstance().ReloadText();
}

QImage Screenshot(QWidget& window, const QString& name) {
    const bool wasVisible = window.isVisible();
    window.show();
    QCoreApplication::processEvents();
    const QImage image = window.grab().toImage();
    window.setVisible(wasVisible);
    const QString folder = qEnvironmentVariable("Q840_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        image.save(folder + '/' + name + ".png", "PNG");
    }
    return image;
}

std::vector<std::string>& DebugLines::Lines() {
    static std::vector<std::string> lines;
    return lines;
}
DebugLines::DebugLines() {
    Lines().clear();
    SetDebugSink(&Collect);
}
DebugLines::~DebugLines() {
    SetDebugSink(nullptr);
}
bool DebugLines::Contains(const std::string& text) const {
    for (const std::string& line : Lines()) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace q840::test
