// Compiled into every test program (not into a library, so the linker keeps it): gives the tests
// the source and build folders and, for widget tests, Qt's offscreen platform, before main runs.
// The per-user data folder is a scratch folder of the process (removed at its end), so that no
// test reads or writes the profiles of the developer running it.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {
struct TestEnvironment {
    TestEnvironment() {
        setenv("Q840_SOURCE_DIR", Q840_TEST_SOURCE_DIR, 0);
        setenv("Q840_BUILD_DIR", Q840_TEST_BUILD_DIR, 0);
#if Q840_TEST_QT
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
        if (std::getenv("Q840_USER_DATA_DIR") == nullptr) {
            std::error_code error;
            std::string pattern =
                (std::filesystem::temp_directory_path(error) / "q840-test-user-XXXXXX").string();
            if (mkdtemp(pattern.data()) != nullptr) {
                scratch = pattern;
                setenv("Q840_USER_DATA_DIR", scratch.c_str(), 1);
            }
        }
    }
    ~TestEnvironment() {
        if (!scratch.empty()) {
            std::error_code error;
            std::filesystem::remove_all(scratch, error);
        }
    }
    std::string scratch;
};
const TestEnvironment kTestEnvironment;
}  // namespace
