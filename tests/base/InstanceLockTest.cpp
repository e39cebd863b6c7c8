#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/base/InstanceLock.h"
#include "tests/support/TempDir.h"

namespace q840 {
namespace {

namespace fs = std::filesystem;

TEST(InstanceLock, OneHolderAtATimeAndTheNextStartSeesWhoHoldsIt) {
    const test::TempDir temp("q840-lock");
    ASSERT_TRUE(temp.IsValid());
    const fs::path& dir = temp.path();
    const std::string path = (dir / "instance.lock").string();
    {
        // A stale file from a process that ended (crashed) holds nothing.
        std::ofstream(path) << "99999999\n";
    }
    {
        InstanceLock first(path);
        ASSERT_TRUE(first.TryAcquire()) << first.Error();
        InstanceLock second(path);  // its own open file: the kernel's lock is per open file
        EXPECT_FALSE(second.TryAcquire());
        EXPECT_EQ(second.HolderPid(), static_cast<long>(::getpid()));
        EXPECT_TRUE(second.Error().empty());
    }
    // Once the holder is gone the next start takes it.
    InstanceLock next(path);
    EXPECT_TRUE(next.TryAcquire());
    // A folder that cannot hold the file is an error, not a running copy.
    InstanceLock nowhere((dir / "missing" / "instance.lock").string());
    EXPECT_FALSE(nowhere.TryAcquire());
    EXPECT_FALSE(nowhere.Error().empty());
    EXPECT_EQ(nowhere.HolderPid(), 0);
}

}  // namespace
}  // namespace q840
