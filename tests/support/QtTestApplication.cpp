// Widget tests need one QApplication for the whole run; the offscreen platform needs no display.
// Compiled into test programs that ask for it (q840_add_test ... QTAPP).
#include <gtest/gtest.h>

#include <QApplication>

namespace {
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "q840_test";
            static char* argv[] = {name, nullptr};
            qputenv("QT_QPA_PLATFORM", "offscreen");
            new QApplication(argc, argv);
        }
    }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);
}  // namespace
