// Saves killed at any moment leave every file whole: the old content or the new, never a part of
// one and never none. A writer process (kill_writer) changes a profile list, a profile, a macro
// index and a macro file in a loop; the test kills it with SIGKILL at random points, 200 times,
// and reads every file after each kill.

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "core/macro/MacroStore.h"
#include "core/profile/JsonFileStore.h"
#include "core/profile/ProfileList.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace q840 {
namespace {

std::string WriterPath() {
    const char* dir = std::getenv("Q840_BUILD_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/tests/kill_writer";
}

TEST(KillSave, EveryFileIsTheOldOrTheNewOneAfterAKill) {
    test::TempDir folder;
    const std::filesystem::path dir = folder.path();
    profile::JsonFileStore store;
    profile::JsonFileStore::SetSyncToDisk(false);  // a kill does not lose the page cache
    // A factory profile, a list with two profiles and one macro with its file.
    Json::Value factory(Json::objectValue);
    factory["profilename"] = "Profile1";
    factory["Device"][0]["KeyList"] = Json::Value(Json::arrayValue);
    ASSERT_EQ(store.WriteJsonFile(dir / "factory.Json", factory), 0);
    profile::ProfileList profiles;
    profiles.SetDeviceType(2);
    profiles.SetPaths(dir.string() + "/", dir / "factory.Json");
    ASSERT_TRUE(profiles.Init());
    ASSERT_EQ(profiles.New(), profile::ProfileResult::Done);
    macro::MacroStore macros;
    macros.SetFolder(dir.string() + "/");
    std::string name;
    ASSERT_EQ(macros.CreateMacro(&name), macro::MacroResult::Done);
    std::vector<macro::MacroRow> none;
    ASSERT_EQ(macros.SaveMacroEvents(0, none), 0);
    const std::filesystem::path profileFile = profiles.ProfileFilePath(0);
    const std::filesystem::path macroFile = macros.MacroFilePath(0);
    const std::string writer = WriterPath();
    ASSERT_TRUE(std::filesystem::exists(writer)) << writer;

    std::mt19937 random(840);                           // the same kill points on every run
    std::uniform_int_distribution<int> wait(0, 15000);  // microseconds
    std::set<std::string> seenNames;
    int kills = 0;
    for (int run = 0; run < 200; ++run) {
        pid_t pid = 0;
        std::string arg = dir.string();
        char* argv[] = {const_cast<char*>(writer.c_str()), arg.data(), nullptr};
        ASSERT_EQ(posix_spawn(&pid, writer.c_str(), nullptr, nullptr, argv, environ), 0);
        std::this_thread::sleep_for(std::chrono::microseconds(wait(random)));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (WIFSIGNALED(status)) {
            ++kills;
        } else {
            FAIL() << "the writer ended by itself: " << WEXITSTATUS(status);
        }

        // The list: two profiles, the first named as one of the rounds left it.
        profile::ProfileList list;
        list.SetDeviceType(2);
        list.SetPaths(dir.string() + "/", dir / "factory.Json");
        profile::JsonFileStore::ReadStatus status1;
        store.ReadJsonFile(list.ListFilePath(), &status1);
        ASSERT_EQ(status1, profile::JsonFileStore::ReadStatus::Ok) << "profile list, run " << run;
        ASSERT_TRUE(list.Init());
        ASSERT_EQ(list.Count(), 2) << run;
        const std::string listed = list.Entries()[0].name;
        ASSERT_TRUE(listed == "Profile1" || listed == "Alpha" || listed == "Beta") << listed;
        seenNames.insert(listed);
        // The profile file is whole and carries a name the writer gave it.
        const Json::Value profileRoot = store.ReadJsonFile(profileFile, &status1);
        ASSERT_EQ(status1, profile::JsonFileStore::ReadStatus::Ok) << "profile, run " << run;
        const std::string inFile = profileRoot["profilename"].asString();
        ASSERT_TRUE(inFile == "Profile1" || inFile == "Alpha" || inFile == "Beta") << inFile;
        // The macro index and the macro file.
        macro::MacroStore check;
        check.SetFolder(dir.string() + "/");
        store.ReadJsonFile(check.IndexFilePath(), &status1);
        ASSERT_EQ(status1, profile::JsonFileStore::ReadStatus::Ok) << "macro index, run " << run;
        ASSERT_EQ(check.LoadMacroIndex().size(), 1u) << run;
        const Json::Value macroRoot = store.ReadJsonFile(macroFile, &status1);
        ASSERT_EQ(status1, profile::JsonFileStore::ReadStatus::Ok) << "macro file, run " << run;
        const auto steps = check.LoadMacroEvents(check.Entries()[0].guid);
        ASSERT_TRUE(steps.empty() || steps.size() == 3 || steps.size() == 5) << steps.size();
        for (const auto& step : steps) {
            ASSERT_EQ(step.delay, steps.size() == 5 ? "1" : "0") << "steps of two saves mixed";
        }
    }
    EXPECT_EQ(kills, 200);
    // The kills fell at different points of the writer's rounds.
    EXPECT_GE(seenNames.size(), 2u);
}

}  // namespace
}  // namespace q840
