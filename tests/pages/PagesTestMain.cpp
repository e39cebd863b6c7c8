// Widgets need a QApplication for the whole test run; the offscreen platform needs no display.
#include <gtest/gtest.h>

#include <QApplication>

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test_pages";
            static char* argv[] = {name, nullptr};
            qputenv("QT_QPA_PLATFORM", "offscreen");
            m_app = new QApplication(argc, argv);
        }
    }

private:
    QApplication* m_app = nullptr;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace
