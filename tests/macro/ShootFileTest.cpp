// Shoot pattern files: bullets read and written in their six steps, files of the wrong shape
// refused whole, and the working files made from, restored from, imported and exported.

#include "core/macro/ShootFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/macro/MacroEvent.h"
#include "core/profile/JsonFileStore.h"
#include "tests/profile/ProfileTestSupport.h"

using namespace q840::macro;
using q840::profile::JsonFileStore;
using q840::test::ReadBytes;
using q840::test::TempDir;
using q840::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

fs::path DefaultData() {
    const char* dir = std::getenv("Q840_SOURCE_DIR");
    return (dir ? fs::path(dir) : fs::path(Q840_TEST_SOURCE_DIR)) / "DefaultData";
}

Json::Value Factory(int gun) {
    return JsonFileStore().ReadJsonFile(DefaultData() / ShootFileName(gun));
}

ShootCheck CheckText(const TempDir& dir, const std::string& text) {
    WriteBytes(dir / "f.Shoot", text);
    Json::Value root(Json::objectValue);
    const ShootCheck check = ShootFile::Read(dir / "f.Shoot", &root);
    EXPECT_EQ(check == ShootCheck::Ok, !root.isNull());
    return check;
}

TEST(ShootFile, ABulletIsWrittenAsItsSixStepsAndReadBack) {
    EXPECT_EQ(ShootFileName(3), "ShootData_3.Shoot");
    EXPECT_EQ(ShootFileName(4), "");
    Json::Value root = Factory(1);
    ASSERT_EQ(ShootFile::Check(root), ShootCheck::Ok);
    root["Comment"] = "kept";
    const Json::Value before = root;

    ASSERT_TRUE(ShootFile::SetBullet(root, 29, {12, true, 7, false, 85}));
    EXPECT_FALSE(ShootFile::SetBullet(root, 30, {}));
    EXPECT_EQ(ShootFile::GetBullet(root, 29), (ShootBullet{12, true, 7, false, 85}));
    EXPECT_EQ(root["Comment"], "kept");
    const Json::Value& e = root["Events"];
    for (Json::ArrayIndex i = 0; i < 174; ++i) {
        ASSERT_EQ(e[i], before["Events"][i]) << "step " << i << " of another bullet changed";
    }
    // Press, release, the two moves with their pauses, and the two zero moves; delays as
    // integers.
    const std::vector<std::array<uint8_t, 4>> expected = {{10, 0, 0x81, 1}, {0, 0, 0x01, 1},
                                                          {5, 0, 0x84, 12}, {85, 0, 0x05, 7},
                                                          {0, 0, 0x84, 0},  {0, 0, 0x05, 0}};
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(e[174 + k]["Delay"].isInt());
        EXPECT_EQ(EncodeMacroEvent(*MacroEvent::FromJson(e[174 + k])), expected[size_t(k)]) << k;
    }

    // X = 300 is more than a step carries: the file and the mouse both get 255 (not 300 in
    // the file and its low byte 44 on the mouse), and the delay keeps to 16 bits the same way.
    ASSERT_TRUE(ShootFile::SetBullet(root, 0, {300, false, -4, true, 70000}));
    EXPECT_EQ(ShootFile::GetBullet(root, 0), (ShootBullet{255, false, 0, true, 65535}));
    EXPECT_EQ(root["Events"][2]["Button"], 255);
    const auto steps = ShootFile::Steps(root);
    ASSERT_EQ(steps.size(), 180u);
    EXPECT_EQ(steps[2].button, 255);
    EXPECT_EQ(steps[3].delay, 65535);

    // A bullet saved into something that is not a pattern starts a blank one (other members
    // kept), so what was typed is not lost.
    Json::Value broken(Json::objectValue);
    broken["Events"] = 5;
    broken["Name"] = "mine";
    ASSERT_TRUE(ShootFile::SetBullet(broken, 3, {1, false, 2, false, 3}));
    EXPECT_EQ(ShootFile::Check(broken), ShootCheck::Ok);
    EXPECT_EQ(broken["Name"], "mine");
    EXPECT_EQ(ShootFile::GetBullet(broken, 3), (ShootBullet{1, false, 2, false, 3}));
    EXPECT_EQ(ShootFile::GetBullet(broken, 2), ShootBullet{});
}

TEST(ShootFile, FilesOfAnotherShapeAreRefusedWhole) {
    TempDir dir;
    const Json::Value good = Factory(0);
    const auto text = [&](const Json::Value& v) { return JsonFileStore::StoredText(v); };
    EXPECT_EQ(CheckText(dir, text(good)), ShootCheck::Ok);
    // Delays written as text by another program are read too.
    Json::Value textDelays = good;
    textDelays["Events"][3]["Delay"] = "85";
    EXPECT_EQ(CheckText(dir, text(textDelays)), ShootCheck::Ok);

    EXPECT_EQ(ShootFile::Read(dir / "none.Shoot", nullptr), ShootCheck::Missing);
    EXPECT_EQ(ShootFile::Read(dir.path(), nullptr), ShootCheck::Unreadable);
    ASSERT_EQ(0, ::mkfifo((dir / "fifo.Shoot").c_str(), 0600));
    EXPECT_EQ(ShootFile::Read(dir / "fifo.Shoot", nullptr), ShootCheck::Unreadable);
    EXPECT_EQ(CheckText(dir, text(good) + std::string(kMaxShootFileBytes, ' ')),
              ShootCheck::Unreadable);
    EXPECT_EQ(CheckText(dir, ""), ShootCheck::NotJson);
    EXPECT_EQ(CheckText(dir, text(good).substr(0, 3000)), ShootCheck::NotJson);
    EXPECT_EQ(CheckText(dir, "[1,2,3]"), ShootCheck::NotJson);

    const auto broken = [&](auto change) {
        Json::Value v = good;
        change(v);
        return CheckText(dir, text(v));
    };
    const ShootCheck kWrong = ShootCheck::WrongShape;
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"].resize(36); }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"].append(v["Events"][0]); }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"] = Json::Value(Json::objectValue); }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v.removeMember("Events"); }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][8]["Button"] = 300; }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][8]["Button"] = -1; }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][8]["Button"] = "4"; }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][9]["Delay"] = "70000"; }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][9]["Delay"] = -5; }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][9]["Type"] = 4.5; }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][20] = "step"; }), kWrong);
    // A macro of 180 key presses is not a pattern: the moves must be where the bullets have
    // them.
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][14]["Type"] = 10; }), kWrong);
    EXPECT_EQ(broken([](Json::Value& v) { v["Events"][15]["Type"] = 4; }), kWrong);

    // Nothing of a refused file reaches the mouse, or the view.
    Json::Value bad = good;
    bad["Events"][8]["Button"] = 300;
    EXPECT_TRUE(ShootFile::Steps(bad).empty());
    EXPECT_EQ(ShootFile::Steps(good).size(), 180u);
}

TEST(ShootStore, WorkingFilesComeFromTheFactoryFilesAndGoInAndOutWhole) {
    TempDir dir;
    fs::create_directories(dir / "work");
    ShootStore store;
    store.SetFolders(dir / "work", DefaultData());
    // Gun 0 missing, gun 1 damaged, gun 2 the user's own, gun 3 of another shape.
    Json::Value own = Factory(2);
    ASSERT_TRUE(ShootFile::SetBullet(own, 4, {9, true, 9, true, 9}));
    const std::string ownText = JsonFileStore::StoredText(own);
    WriteBytes(store.WorkFile(1), "{\"Events\":[");
    WriteBytes(store.WorkFile(2), ownText);
    WriteBytes(store.WorkFile(3), "{\"Events\":[]}");
    EXPECT_EQ(store.InitWorkingFiles(), 4);
    for (int gun : {0, 1, 3}) {
        EXPECT_EQ(ReadBytes(store.WorkFile(gun)), ReadBytes(store.FactoryFile(gun))) << gun;
    }
    EXPECT_EQ(ReadBytes(store.WorkFile(2)), ownText);

    // Restoring gun 2 leaves the others as they are.
    WriteBytes(store.WorkFile(1), ownText);
    ASSERT_TRUE(store.RestoreGun(2));
    EXPECT_EQ(ReadBytes(store.WorkFile(2)), ReadBytes(store.FactoryFile(2)));
    EXPECT_EQ(ReadBytes(store.WorkFile(1)), ownText);

    // Import copies a pattern byte for byte; a file of another shape changes nothing.
    WriteBytes(dir / "mine.shoot", ownText);
    WriteBytes(dir / "macro.shoot",
               "{\"Events\":[{\"Action\":\"down\",\"Button\":4,\"Type\":10}]}");
    EXPECT_EQ(store.ImportGun(3, dir / "macro.shoot"), ShootCheck::WrongShape);
    EXPECT_EQ(store.ImportGun(3, dir / "nothing.shoot"), ShootCheck::Missing);
    EXPECT_EQ(ReadBytes(store.WorkFile(3)), ReadBytes(store.FactoryFile(3)));
    EXPECT_EQ(store.ImportGun(3, dir / "mine.shoot"), ShootCheck::Ok);
    EXPECT_EQ(ReadBytes(store.WorkFile(3)), ownText);
    EXPECT_EQ(store.ImportGun(4, dir / "mine.shoot"), ShootCheck::Missing);

    ASSERT_TRUE(store.ExportGun(3, dir / "out.shoot"));
    EXPECT_EQ(ReadBytes(dir / "out.shoot"), ownText);
    WriteBytes(store.WorkFile(0), "not json");
    EXPECT_FALSE(store.ExportGun(0, dir / "out0.shoot"));
    EXPECT_FALSE(fs::exists(dir / "out0.shoot"));

    // Without factory files a damaged working file stays as it is (and counts as no pattern).
    store.SetFolders(dir / "work", dir / "no-factory");
    EXPECT_EQ(store.InitWorkingFiles(), 3);
    EXPECT_FALSE(store.RestoreGun(1));
    EXPECT_EQ(ReadBytes(store.WorkFile(0)), "not json");
}

}  // namespace
