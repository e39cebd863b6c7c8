// Compiled into every test program (not into a library, so the linker keeps it): gives the tests
// the source and build folders and, for widget tests, Qt's offscreen platform, before main runs.
#include <cstdlib>

namespace {
struct TestEnvironment {
    TestEnvironment() {
        setenv("Q840_SOURCE_DIR", Q840_TEST_SOURCE_DIR, 0);
        setenv("Q840_BUILD_DIR", Q840_TEST_BUILD_DIR, 0);
#if Q840_TEST_QT
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
    }
};
const TestEnvironment kTestEnvironment;
}  // namespace
