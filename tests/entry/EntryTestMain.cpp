// Widgets need a QApplication for the whole test run; the offscreen platform needs no display.
#include <gtest/gtest.h>

#include <QApplication>

namespace {
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "test_entry";
            static char* argv[] = {name, nullptr};
            qputenv("QT_QPA_PLATFORM", "offscreen");
            new QApplication(argc, argv);
        }
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace
