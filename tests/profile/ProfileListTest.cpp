#include "core/profile/ProfileList.h"

#include <gtest/gtest.h>

#include <set>

#include "core/profile/JsonAccess.h"
#include "tests/profile/ProfileTestSupport.h"

using namespace q840::profile;
using q840::test::ReadBytes;
using q840::test::TempDir;
using q840::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

class ProfileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.IsValid());
        fs::create_directories(folder);
        Json::Value defaults;
        defaults["profilename"] = "Factory";
        defaults["Device"][0]["DPIStages"]["StageActive"] = 1;
        ASSERT_EQ(0, store.WriteJsonFile(defaultProfile, defaults));
        list.SetDeviceType(2);
        list.SetPaths(folder, defaultProfile);
    }

    Json::Value Read(const fs::path& p) const { return store.ReadJsonFile(p); }
    Json::Value ListFile() const { return Read(folder / kProfileListFileName); }
    std::vector<std::string> Names() const { return list.Names(); }
    // The files of the folder, by name; not the temporary files a write cut short leaves.
    std::set<std::string> Files() const {
        std::set<std::string> files;
        for (const auto& e : fs::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (name.find(".~") == std::string::npos) {
                files.insert(name);
            }
        }
        return files;
    }
    // The list file and the profile files agree with the list in memory.
    void ExpectFilesMatchList() const {
        const Json::Value file = ListFile();
        ASSERT_EQ(file["profilelist"].size(), size_t(list.Count()));
        for (int i = 0; i < list.Count(); ++i) {
            const ProfileEntry& e = list.Entries()[size_t(i)];
            EXPECT_EQ(file["profilelist"][i]["profilename"].asString(), e.name);
            EXPECT_EQ(file["profilelist"][i]["profileUUID"].asString(), e.id);
            EXPECT_EQ(file["profilelist"][i]["profileislink"].asInt(), 0);
            EXPECT_EQ(file["profilelist"][i]["profilelinkmame"].asString(), "");
            const Json::Value profile = Read(list.ProfileFilePath(i));
            EXPECT_EQ(profile["profilename"].asString(), e.name) << i;
            EXPECT_EQ(profile["profileUUID"].asString(), e.id) << i;
        }
    }

    TempDir dir;
    fs::path folder = dir / "mouse";
    fs::path defaultProfile = dir / "mouse.Json";
    JsonFileStore store;
    ProfileList list;
};

TEST(ProfileNames, CandidatesSkipTakenNamesWithoutRegardToCase) {
    EXPECT_EQ(NewProfileName({}), "Profile1");
    EXPECT_EQ(NewProfileName({"Profile1", "profile2"}), "profile3");
    EXPECT_EQ(NewProfileName({"PROFILE1", "Profile3"}), "profile2");

    EXPECT_EQ(CopyProfileName("ThisNameIsVeryLong1", {"ThisNameIsVeryLong1"}),
              "ThisNameIsVeryLo copy1");
    std::vector<std::string> copies = {"A"};
    for (int n = 1; n <= 10; ++n) {
        copies.push_back("a COPY" + std::to_string(n));
    }
    EXPECT_EQ(CopyProfileName("A", copies), "A copy11");
    // The cut counts characters, not bytes: a Chinese name is not split inside a character.
    EXPECT_EQ(CopyProfileName("一二三四五六七八九十一二三四五六七八", {}),
              "一二三四五六七八九十一二三四五六 copy1");

    EXPECT_EQ(ImportProfileName("gaming", {"Profile1"}), "gaming");
    EXPECT_EQ(ImportProfileName("gaming", {"GAMING"}), "gaming(1)");
    EXPECT_EQ(ImportProfileName("gaming", {"gaming", "gaming(1)"}), "gaming(1)(2)");
}

TEST(ProfileNames, RenameChecksCountDoubleByteCharactersTwiceAndRefuseSeparators) {
    EXPECT_EQ(CheckProfileName(""), NameCheck::Empty);
    EXPECT_EQ(CheckProfileName("SixteenCharsLong"), NameCheck::Ok);
    EXPECT_EQ(CheckProfileName("SeventeenCharLong"), NameCheck::TooLong);
    EXPECT_EQ(CheckProfileName("游戏配置一二三四"), NameCheck::Ok);          // 8 x 2 bytes
    EXPECT_EQ(CheckProfileName("游戏配置一二三四五"), NameCheck::TooLong);    // 9 x 2 bytes
    EXPECT_EQ(CheckProfileName("é1234567890123"), NameCheck::Ok);           // 2 + 13
    EXPECT_EQ(AnsiByteLength("😀"), 4);
    // Length comes first: a long name with a space is "too long".
    EXPECT_EQ(CheckProfileName("a name that is far too long"), NameCheck::TooLong);
    for (const char* bad : {"my mouse", "a\"b", "a<b", "a>b", "a:b", "a/b", "a\\b", "a|b", "a?b",
                            "a#b", "a%b", "a&b", "a*b", "a=b"}) {
        EXPECT_EQ(CheckProfileName(bad), NameCheck::ForbiddenCharacter) << bad;
    }
    EXPECT_EQ(CheckProfileName("a-b_c.d(1)"), NameCheck::Ok);
}

TEST_F(ProfileListTest, AFirstStartMakesProfile1FromTheFactoryProfile) {
    ASSERT_TRUE(list.Init());
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Entries()[0].name, "Profile1");
    EXPECT_TRUE(IsSafeFileStem(list.CurrentId()));
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
    const Json::Value profile = Read(list.ProfileFilePath(0));
    EXPECT_EQ(profile["Device"][0]["DPIStages"]["StageActive"].asInt(), 1);  // factory content
    ExpectFilesMatchList();

    // The next start reads the same list and makes nothing new.
    ProfileList again;
    again.SetPaths(folder, defaultProfile);
    ASSERT_TRUE(again.Init());
    EXPECT_EQ(again.Entries(), list.Entries());
    EXPECT_EQ(Files().size(), 2u);
}

TEST_F(ProfileListTest, TheSettingsFileOfAnEarlierVersionBecomesTheFirstProfile) {
    Json::Value old;
    old["profilename"] = "My setup";
    old["Device"][0]["DPIStages"]["StageActive"] = 4;
    ASSERT_EQ(0, store.WriteJsonFile(folder / "Profile1.Json", old));
    const std::string before = ReadBytes(folder / "Profile1.Json");

    ASSERT_TRUE(list.Init());
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Entries()[0], (ProfileEntry{"My setup", "Profile1"}));
    EXPECT_EQ(list.CurrentId(), "Profile1");
    EXPECT_EQ(ReadBytes(folder / "Profile1.Json"), before);  // the user's file, untouched
    EXPECT_EQ(Files(), (std::set<std::string>{"Profile1.Json", "ProfileList.ini"}));

    // A legacy file that is not a profile is not adopted.
    fs::remove(folder / kProfileListFileName);
    WriteBytes(folder / "Profile1.Json", "not json");
    ProfileList fresh;
    fresh.SetPaths(folder, defaultProfile);
    ASSERT_TRUE(fresh.Init());
    EXPECT_NE(fresh.CurrentId(), "Profile1");
}

TEST_F(ProfileListTest, AHostileListFileNeverNamesAFileOutsideTheFolder) {
    WriteBytes(dir / "victim.Json", "{}");
    WriteBytes(folder / "ok.Json", "{\"profilename\":\"ok\",\"profileUUID\":\"ok\"}");
    WriteBytes(folder / kProfileListFileName,
               R"({"profilelist":[{"profilename":"evil","profileUUID":"../victim"},
                                  {"profilename":"abs","profileUUID":"/tmp/x"},
                                  {"profilename":5,"profileUUID":7},
                                  {"profilename":"ok","profileUUID":"ok"}],
                   "profileselect":"3"})");
    ASSERT_TRUE(list.Init());
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.CurrentId(), "ok");
    // Deleting and resetting only ever touch files in the folder.
    ASSERT_EQ(list.New(), ProfileResult::Done);
    int next = -1;
    EXPECT_EQ(list.Delete(0, &next), ProfileResult::Done);
    EXPECT_EQ(next, 0);
    EXPECT_TRUE(fs::exists(dir / "victim.Json"));
    EXPECT_FALSE(fs::exists(folder / "ok.Json"));

    // A list that is not JSON at all is replaced by a fresh one.
    WriteBytes(folder / kProfileListFileName, "\x01garbage");
    ProfileList fresh;
    fresh.SetPaths(folder, defaultProfile);
    ASSERT_TRUE(fresh.Init());
    EXPECT_EQ(fresh.Count(), 1);
    EXPECT_EQ(fresh.Names(), std::vector<std::string>{"Profile1"});
}

TEST_F(ProfileListTest, NewCopyAndImportAddProfilesUpToFiftyWithoutChangingTheCurrentOne) {
    ASSERT_TRUE(list.Init());
    const std::string first = list.CurrentId();
    ASSERT_EQ(list.New(), ProfileResult::Done);
    ASSERT_EQ(list.New(), ProfileResult::Done);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Profile1", "profile2", "profile3"}));
    // A new profile is not made current, and the stored selection still names the current one
    // (a restart would otherwise open a profile whose settings the mouse does not have).
    EXPECT_EQ(list.CurrentId(), first);
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);

    ASSERT_EQ(list.Select(2), ProfileResult::Done);
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 2);
    Json::Value edited = Read(list.ProfileFilePath(2));
    edited["Device"][0]["DPIStages"]["StageActive"] = 6;
    ASSERT_EQ(0, store.WriteJsonFile(list.ProfileFilePath(2), edited));
    ASSERT_EQ(list.Copy(2), ProfileResult::Done);
    EXPECT_EQ(list.Entries()[3].name, "profile3 copy1");
    EXPECT_EQ(Read(list.ProfileFilePath(3))["Device"][0]["DPIStages"]["StageActive"].asInt(), 6);
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 2);

    // Import: the file's base name, a new identifier, the content as it was.
    const fs::path exported = dir / "gaming.json";
    ASSERT_EQ(list.Export(3, exported), ProfileResult::Done);
    EXPECT_EQ(Read(exported), Read(list.ProfileFilePath(3)));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(list.Import(exported), ProfileResult::Done);
    }
    EXPECT_EQ(Names().back(), "gaming(1)(2)");
    EXPECT_EQ(list.Entries()[4].name, "gaming");
    std::set<std::string> ids;
    for (const ProfileEntry& e : list.Entries()) {
        ids.insert(e.id);
    }
    EXPECT_EQ(ids.size(), size_t(list.Count()));  // never the file's own identifier
    EXPECT_EQ(Read(list.ProfileFilePath(4))["Device"][0]["DPIStages"]["StageActive"].asInt(), 6);
    ExpectFilesMatchList();

    while (list.Count() < kMaxProfiles) {
        ASSERT_EQ(list.New(), ProfileResult::Done);
    }
    const auto files = Files();
    EXPECT_EQ(list.New(), ProfileResult::LimitReached);
    EXPECT_EQ(list.Copy(0), ProfileResult::LimitReached);
    EXPECT_EQ(list.Import(exported), ProfileResult::LimitReached);
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(ListFile()["profilelist"].size(), 50u);
}

TEST_F(ProfileListTest, DeleteRenameAndResetFollowTheirRules) {
    ASSERT_TRUE(list.Init());
    ASSERT_EQ(list.New(), ProfileResult::Done);
    ASSERT_EQ(list.New(), ProfileResult::Done);
    ASSERT_EQ(0, store.WriteJsonFile(list.ProfileFilePath(0).replace_extension(".pending"),
                                     Json::Value(Json::objectValue)));

    // Delete the first of three: index 0 becomes current; its file and marks go.
    const fs::path gone = list.ProfileFilePath(0);
    int next = -1;
    ASSERT_EQ(list.Delete(0, &next), ProfileResult::Done);
    EXPECT_EQ(next, 0);
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(fs::path(gone).replace_extension(".pending")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile2", "profile3"}));
    ASSERT_EQ(list.Delete(1, &next), ProfileResult::Done);
    EXPECT_EQ(next, 0);
    EXPECT_EQ(list.Delete(0, &next), ProfileResult::NothingToDo);  // the only one stays
    EXPECT_EQ(list.Count(), 1);

    ASSERT_EQ(list.New(), ProfileResult::Done);
    ASSERT_EQ(list.Rename(1, "mouse"), ProfileResult::Done);
    EXPECT_EQ(list.Rename(0, "MOUSE"), ProfileResult::NameInUse);
    EXPECT_EQ(list.Rename(1, "Mouse"), ProfileResult::Done);  // its own name in other case
    EXPECT_EQ(list.Rename(1, " \t "), ProfileResult::BlankName);
    EXPECT_EQ(list.Entries()[1].name, "Mouse");
    ExpectFilesMatchList();

    // Reset: factory content, the name and identifier stay.
    Json::Value edited = Read(list.ProfileFilePath(1));
    edited["Device"][0]["DPIStages"]["StageActive"] = 5;
    ASSERT_EQ(0, store.WriteJsonFile(list.ProfileFilePath(1), edited));
    ASSERT_EQ(list.Reset(1), ProfileResult::Done);
    const Json::Value reset = Read(list.ProfileFilePath(1));
    EXPECT_EQ(reset["Device"][0]["DPIStages"]["StageActive"].asInt(), 1);
    EXPECT_EQ(reset["profilename"].asString(), "Mouse");
    EXPECT_EQ(reset["profileUUID"].asString(), list.Entries()[1].id);
}

TEST_F(ProfileListTest, AHeadsetKeepsItsCustomEqualisersThroughAReset) {
    list.SetDeviceType(kHeadsetDeviceType);
    ASSERT_TRUE(list.Init());
    Json::Value mine = Read(list.ProfileFilePath(0));
    mine["Device"][0]["CustomEQNameInfo"][0] = "Bass";
    mine["Device"][0]["CustomEQHzValueInfo"][0][0] = 7;
    mine["Device"][0]["DPIStages"]["StageActive"] = 3;
    ASSERT_EQ(0, store.WriteJsonFile(list.ProfileFilePath(0), mine));
    ASSERT_EQ(list.Reset(0), ProfileResult::Done);
    const Json::Value reset = Read(list.ProfileFilePath(0));
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0].asString(), "Bass");
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0].asInt(), 7);
    EXPECT_EQ(reset["Device"][0]["DPIStages"]["StageActive"].asInt(), 1);
}

TEST_F(ProfileListTest, ImportRefusesFilesThatAreNoProfileAndChangesNothing) {
    ASSERT_TRUE(list.Init());
    const auto files = Files();
    const std::string listBytes = ReadBytes(folder / kProfileListFileName);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"notjson.json", "{ profilename"},
        {"nouuid.json", R"({"profilename":"x"})"},
        {"noname.json", R"({"profileUUID":"x"})"},
        {"wrongtype.json", R"({"profilename":1,"profileUUID":"x"})"},
        {"array.json", R"([{"profilename":"x","profileUUID":"x"}])"},
        {"empty.json", ""},
    };
    for (const auto& [name, text] : bad) {
        WriteBytes(dir / name, text);
        EXPECT_EQ(list.Import(dir / name), ProfileResult::BadFile) << name;
    }
    EXPECT_EQ(list.Import(dir.path()), ProfileResult::BadFile);  // a folder
    EXPECT_EQ(list.Import(dir / "missing.json"), ProfileResult::BadFile);
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(ReadBytes(folder / kProfileListFileName), listBytes);
    EXPECT_EQ(list.Count(), 1);
}

// Every write fails as on a read-only or full disk.
bool FailEveryWrite(const fs::path&, const fs::path&) {
    return false;
}

TEST_F(ProfileListTest, AFailedWriteLeavesTheListAndTheFilesAsTheyWere) {
    ASSERT_TRUE(list.Init());
    ASSERT_EQ(list.New(), ProfileResult::Done);
    WriteBytes(dir / "gaming.json", R"({"profilename":"g","profileUUID":"g"})");
    const auto files = Files();
    const std::string listBytes = ReadBytes(folder / kProfileListFileName);
    const auto entries = list.Entries();
    const std::string firstBytes = ReadBytes(list.ProfileFilePath(0));

    JsonFileStore::SetBeforeRenameHook(&FailEveryWrite);
    EXPECT_EQ(list.New(), ProfileResult::WriteFailed);
    EXPECT_EQ(list.Copy(0), ProfileResult::WriteFailed);
    EXPECT_EQ(list.Import(dir / "gaming.json"), ProfileResult::WriteFailed);
    int next = -1;
    EXPECT_EQ(list.Delete(1, &next), ProfileResult::WriteFailed);
    EXPECT_EQ(list.Rename(0, "other"), ProfileResult::WriteFailed);
    EXPECT_EQ(list.Reset(0), ProfileResult::WriteFailed);
    EXPECT_EQ(list.Select(1), ProfileResult::WriteFailed);
    EXPECT_EQ(list.Export(0, dir / "out.json"), ProfileResult::WriteFailed);
    JsonFileStore::SetBeforeRenameHook(nullptr);

    EXPECT_EQ(Files(), files);
    EXPECT_EQ(ReadBytes(folder / kProfileListFileName), listBytes);
    EXPECT_EQ(ReadBytes(list.ProfileFilePath(0)), firstBytes);
    EXPECT_EQ(list.Entries(), entries);
    EXPECT_FALSE(fs::exists(dir / "out.json"));

    // A first start that cannot write keeps a profile in memory and says so.
    fs::remove(folder / kProfileListFileName);
    JsonFileStore::SetBeforeRenameHook(&FailEveryWrite);
    ProfileList fresh;
    fresh.SetPaths(folder, defaultProfile);
    EXPECT_FALSE(fresh.Init());
    JsonFileStore::SetBeforeRenameHook(nullptr);
    EXPECT_EQ(fresh.Count(), 1);
}

}  // namespace
