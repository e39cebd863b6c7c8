#include "core/macro/MacroStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <set>

#include "tests/profile/ProfileTestSupport.h"

using namespace q840::macro;
using q840::profile::JsonFileStore;
using q840::profile::KeyAssignmentPair;
using q840::test::ReadBytes;
using q840::test::TempDir;
using q840::test::WriteBytes;
namespace fs = std::filesystem;

namespace {

using Record = std::array<uint8_t, 4>;

MacroEvent Step(const char* action, int button, int type, const char* delay) {
    return MacroEvent{action, button, type, delay};
}

TEST(MacroEvent, DeviceRecordsAndDelayTexts) {
    EXPECT_EQ(EncodeMacroEvent(Step("down", 0x04, kStepKey, "35")),
              (Record{0x23, 0x00, 0x8A, 0x04}));
    EXPECT_EQ(EncodeMacroEvent(Step("up", 1, kStepMouseButton, "0")),
              (Record{0x00, 0x00, 0x01, 0x01}));
    EXPECT_EQ(EncodeMacroEvent(Step("down", 10, kStepMoveHorizontal, "50")),
              (Record{0x32, 0x00, 0x84, 0x0A}));
    // Only "down" presses; the delay keeps its low 16 bits; the button its low byte.
    EXPECT_EQ(EncodeMacroEvent(Step("Down", 300, kStepKey, "70000")),
              (Record{0x70, 0x11, 0x0A, 0x2C}));
    EXPECT_EQ(EncodeMacroEvent(Step("up", 4, kStepKey, "abc")), (Record{0, 0, 0x0A, 0x04}));

    EXPECT_EQ(ParseDelay(" \t+12ms"), 12);
    EXPECT_EQ(ParseDelay("-7"), -7);
    EXPECT_EQ(ParseDelay("- 5"), 0);
    EXPECT_EQ(ParseDelay("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(ParseDelay("-99999999999999999999999"), INT64_MIN);
    EXPECT_EQ(ShownDelay("70000"), 65535);
    EXPECT_EQ(ShownDelay("-3"), 0);
    EXPECT_EQ(CanonicalDelay(""), "0");
    EXPECT_EQ(CanonicalDelay(" 007x"), "7");

    // Recording writes the first delay as the integer 0; types and buttons must be integers.
    Json::Value step = Step("down", 4, kStepKey, "35").ToJson();
    EXPECT_EQ(MacroEvent::FromJson(step), Step("down", 4, kStepKey, "35"));
    step["Delay"] = 0;
    step["Action"] = 1;
    EXPECT_EQ(MacroEvent::FromJson(step), Step("up", 4, kStepKey, "0"));
    step["Delay"] = Json::Value(Json::arrayValue);
    EXPECT_EQ(MacroEvent::FromJson(step)->delay, "0");
    for (const Json::Value& bad : {Json::Value(1.5), Json::Value("4"), Json::Value(4294967296.0),
                                   Json::Value(true), Json::Value()}) {
        Json::Value broken = step;
        broken["Button"] = bad;
        EXPECT_FALSE(MacroEvent::FromJson(broken)) << bad;
        broken = step;
        broken["Type"] = bad;
        EXPECT_FALSE(MacroEvent::FromJson(broken)) << bad;
    }
    EXPECT_FALSE(MacroEvent::FromJson(Json::Value(Json::arrayValue)));
}

TEST(MacroKeys, DeletingAMacroRenumbersTheKeysBoundToItAndToLaterOnes) {
    // Macros 0..3; macro 1 (the second) is deleted.
    auto pair = [](uint16_t key, uint32_t current, uint32_t defaults) {
        KeyAssignmentPair p;
        p.current.keyIndex = key;
        p.current.pad = 9;
        p.current.SetCode(current);
        p.defaults.keyIndex = 40;
        p.defaults.SetCode(defaults);
        return p;
    };
    std::vector<KeyAssignmentPair> pairs = {
        pair(0, 0x700000, 0x010100),  // macro 0: stays
        pair(1, 0x700100, 0x010200),  // the deleted macro: back to its default
        pair(2, 0x710201, 0x010400),  // macro 2 becomes 1
        pair(3, 0x700300, 0x010800),  // macro 3 becomes 2
        pair(4, 0x010200, 0x011000),  // not a macro key, though its parameter says 2
        pair(5, 0x710105, 0x012000),  // the deleted macro, other macro group
    };
    ASSERT_TRUE(UsesMacro(pairs, 1));
    ASSERT_TRUE(RenumberMacroKeys(pairs, 1));
    const std::vector<uint32_t> codes = {0x700000, 0x010200, 0x710101,
                                         0x700200, 0x010200, 0x012000};
    for (size_t i = 0; i < pairs.size(); ++i) {
        EXPECT_EQ(pairs[i].current.Code(), codes[i]) << i;
        EXPECT_EQ(+pairs[i].current.keyIndex, int(i));
        EXPECT_EQ(+pairs[i].current.pad, 9);
    }
    EXPECT_FALSE(UsesMacro(pairs, 3));
    EXPECT_FALSE(RenumberMacroKeys(pairs, 3));  // nothing bound to 3 or later
    EXPECT_FALSE(RenumberMacroKeys(pairs, -1));
    EXPECT_EQ(pairs[0].current.Code(), 0x700000u);
}

class MacroStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.IsValid());
        fs::create_directories(folder);
        macros.SetFolder(folder);
    }

    std::string IndexBytes() const { return ReadBytes(folder / kMacroIndexFileName); }
    Json::Value Index() const { return JsonFileStore().ReadJsonFile(folder / kMacroIndexFileName); }
    // The files of the folder; not the temporary files a write cut short leaves.
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
    // The rows the editor shows for the steps of a macro.
    std::vector<MacroRow> RowsOf(const std::vector<MacroEvent>& events) const {
        std::vector<MacroRow> rows;
        for (const MacroEvent& e : events) {
            rows.push_back(
                {JsonFileStore::StoredText(e.ToJson()), std::to_string(ShownDelay(e.delay))});
        }
        return rows;
    }

    TempDir dir;
    fs::path folder = dir / "mouse";
    MacroStore macros;
};

TEST_F(MacroStoreTest, CreateRenameExportImportAndDeleteKeepTheIndexAndFilesInStep) {
    WriteBytes(
        folder / kMacroIndexFileName,
        R"({"MacroInfo":[{"MacroName":"macro_1","Guid":"g1"},{"MacroName":"MACRO_3","Guid":"g3"}]})");
    ASSERT_EQ(macros.LoadMacroIndex().size(), 2u);

    // Guids already used by files of the folder are passed over: none is overwritten.
    std::set<std::string> taken;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const int64_t nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    for (int64_t ms = nowMs; ms < nowMs + 300; ++ms) {
        const std::time_t seconds = ms / 1000;
        std::tm local{};
        localtime_r(&seconds, &local);
        const std::string id = JsonFileStore::FormatTimestampId(local, int(ms % 1000));
        taken.insert(id);
        WriteBytes(folder / (id + ".mac"), "mine");
    }

    std::string name;
    ASSERT_EQ(macros.CreateMacro(&name), MacroResult::Done);
    EXPECT_EQ(name, "macro_2");
    ASSERT_EQ(macros.CreateMacro(&name), MacroResult::Done);
    EXPECT_EQ(name, "macro_4");
    const std::string g2 = macros.Entries()[2].guid;
    const std::string g4 = macros.Entries()[3].guid;
    EXPECT_FALSE(taken.count(g2) || taken.count(g4) || g2 == g4) << g2 << " " << g4;
    EXPECT_FALSE(fs::exists(macros.MacroFilePath(2)));  // written at the first save
    // The stored form: styled, members in order, CR LF.
    const auto element = [](const std::string& guid, const std::string& name) {
        return "      {\r\n         \"Guid\" : \"" + guid + "\",\r\n         \"MacroName\" : \"" +
               name + "\"\r\n      }";
    };
    EXPECT_EQ(IndexBytes(), "{\r\n   \"MacroInfo\" : [\r\n" + element("g1", "macro_1") + ",\r\n" +
                                element("g3", "MACRO_3") + ",\r\n" + element(g2, "macro_2") +
                                ",\r\n" + element(g4, "macro_4") + "\r\n   ]\r\n}\r\n\r\n");

    EXPECT_EQ(macros.RenameMacro(2, "MACRO_2"), MacroResult::NameInUse);  // its own name
    EXPECT_EQ(macros.RenameMacro(2, "macro_3"), MacroResult::NameInUse);
    EXPECT_EQ(macros.RenameMacro(2, "   "), MacroResult::BlankName);
    EXPECT_EQ(macros.RenameMacro(4, "x"), MacroResult::NoSelection);
    ASSERT_EQ(macros.RenameMacro(2, " a "), MacroResult::Done);
    ASSERT_EQ(macros.RenameMacro(3, "Fire"), MacroResult::Done);
    EXPECT_EQ(macros.RenameMacro(0, "fire"), MacroResult::NameInUse);
    EXPECT_EQ(Index()["MacroInfo"][2]["MacroName"], " a ");

    // Export copies the macro file as it is; import names the copy after the file and gives it a
    // file of its own with the same bytes.
    std::vector<MacroRow> rows =
        RowsOf({Step("down", 4, kStepKey, "35"), Step("up", 4, kStepKey, "0")});
    ASSERT_EQ(macros.SaveMacroEvents(3, rows), 0);
    const std::string saved = ReadBytes(macros.MacroFilePath(3));
    EXPECT_EQ(macros.ExportMacro(2, dir / "none.mac"), MacroResult::NoSelection);  // never saved
    ASSERT_EQ(macros.ExportMacro(3, dir / "fire.mac"), MacroResult::Done);
    EXPECT_EQ(ReadBytes(dir / "fire.mac"), saved);
    ASSERT_EQ(macros.ImportMacro(dir / "fire.mac", &name), MacroResult::Done);
    EXPECT_EQ(name, "fire(2)");
    ASSERT_EQ(macros.ImportMacro(dir / "fire.mac", &name), MacroResult::Done);
    EXPECT_EQ(name, "fire(2)(3)");
    EXPECT_EQ(ReadBytes(macros.MacroFilePath(5)), saved);
    EXPECT_NE(macros.Entries()[5].guid, macros.Entries()[4].guid);
    EXPECT_EQ(macros.LoadMacroEvents(macros.Entries()[5].guid),
              macros.LoadMacroEvents(macros.Entries()[3].guid));

    // Delete: later macros move up, the file goes, nothing else is touched.
    const fs::path gone = macros.MacroFilePath(3);
    ASSERT_EQ(macros.DeleteMacro(3), MacroResult::Done);
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_EQ(macros.Names(),
              (std::vector<std::string>{"macro_1", "MACRO_3", " a ", "fire(2)", "fire(2)(3)"}));
    MacroStore reread;
    reread.SetFolder(folder);
    EXPECT_EQ(reread.LoadMacroIndex(), macros.Entries());
    while (macros.Count() > 0) {
        ASSERT_EQ(macros.DeleteMacro(0), MacroResult::Done);
    }
    EXPECT_EQ(macros.DeleteMacro(0), MacroResult::NoSelection);
    EXPECT_EQ(IndexBytes(), "{\r\n   \"MacroInfo\" : []\r\n}\r\n\r\n");
    EXPECT_EQ(Files().size(), taken.size() + 1);  // the foreign files and the index
}

TEST_F(MacroStoreTest, SavesHoldAtMost58StepsAndStoreCanonicalDelays) {
    std::string name;
    ASSERT_EQ(macros.CreateMacro(&name), MacroResult::Done);
    std::vector<MacroRow> rows = {{"", ""}};
    EXPECT_EQ(macros.SaveMacroEvents(1, rows), -1);
    ASSERT_EQ(macros.SaveMacroEvents(0, rows), 0);  // an empty macro
    EXPECT_EQ(rows[0].delay, "0");

    rows = RowsOf(std::vector<MacroEvent>(58, Step("down", 4, kStepKey, "1")));
    ASSERT_EQ(macros.SaveMacroEvents(0, rows), 0);
    EXPECT_EQ(macros.LoadMacroEvents(macros.Entries()[0].guid).size(), 58u);
    const std::string file58 = ReadBytes(macros.MacroFilePath(0));
    rows.resize(60, rows.front());
    EXPECT_EQ(macros.SaveMacroEvents(0, rows), 2);
    EXPECT_EQ(ReadBytes(macros.MacroFilePath(0)), file58);

    // A file written elsewhere: an integer delay, one beyond the 16 bits, a step that is none.
    const std::string guid = macros.Entries()[0].guid;
    WriteBytes(macros.MacroFilePath(0),
               R"({"Events":[{"Action":"down","Button":4,"Delay":0,"Type":10},
                             {"Action":"up","Button":4,"Delay":"70000","Type":10},
                             {"Action":"up","Button":"x","Delay":"1","Type":10},
                             null,
                             {"Action":"down","Button":1,"Delay":"abc","Type":1}]})");
    const std::vector<MacroEvent> loaded = macros.LoadMacroEvents(guid);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(EncodeMacroEvent(loaded[0]), (Record{0, 0, 0x8A, 4}));
    EXPECT_EQ(EncodeMacroEvent(loaded[2]), (Record{0, 0, 0x81, 1}));

    rows = RowsOf(loaded);
    rows[2].delay = "";
    rows.insert(rows.begin() + 1, MacroRow{"not a step", "007"});
    rows.push_back({"", "9"});  // the end of the list
    rows.push_back({JsonFileStore::StoredText(Step("down", 5, kStepKey, "1").ToJson()), "01"});
    ASSERT_EQ(macros.SaveMacroEvents(0, rows), 0);
    EXPECT_EQ(rows[1].delay, "7");
    EXPECT_EQ(rows[3].delay, "0");
    EXPECT_EQ(rows[4].delay, "9");
    EXPECT_EQ(rows[5].delay, "01");  // after the end: untouched
    const Json::Value file = JsonFileStore().ReadJsonFile(macros.MacroFilePath(0));
    EXPECT_EQ(file["Guid"], guid);
    EXPECT_EQ(file["MacroName"], "macro_1");
    EXPECT_EQ(file["Version"], 64);
    ASSERT_EQ(file["Events"].size(), 3u);  // the skipped row leaves no hole
    EXPECT_EQ(file["Events"][0]["Delay"], "0");
    EXPECT_EQ(file["Events"][1]["Delay"], "65535");
    EXPECT_EQ(file["Events"][2]["Delay"], "0");
    // Each row holds its step as stored, with the delay it was given.
    EXPECT_EQ(MacroEvent::FromJson(JsonFileStore::ParseText(rows[2].step)),
              Step("up", 4, kStepKey, "65535"));
}

TEST_F(MacroStoreTest, DamagedOrHostileFilesNeitherShiftNumbersNorReachOutsideTheFolder) {
    WriteBytes(dir / "x.mac", R"({"Events":[{"Action":"down","Button":4,"Delay":"1","Type":10}]})");
    const std::string victim = ReadBytes(dir / "x.mac");
    WriteBytes(folder / "ok.mac", victim);
    WriteBytes(
        folder / kMacroIndexFileName,
        R"({"MacroInfo":[{"MacroName":"up","Guid":"../x"},{"MacroName":"abs","Guid":"/etc/passwd"},
                                5,{"MacroName":7,"Guid":"a/b"},{"MacroName":"ok","Guid":"ok"},
                                {"MacroName":"twin","Guid":"ok"}],
                   "Other":1})");
    ASSERT_EQ(macros.LoadMacroIndex().size(), 6u);
    EXPECT_EQ(macros.Names(), (std::vector<std::string>{"up", "abs", "", "", "ok", "twin"}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(macros.Entries()[size_t(i)].guid, "");
        EXPECT_TRUE(macros.MacroFilePath(i).empty());
    }
    EXPECT_TRUE(macros.LoadMacroEvents("../x").empty());
    std::vector<MacroRow> rows = {{"{\"Button\":1,\"Type\":1}", "1"}};
    EXPECT_EQ(macros.SaveMacroEvents(0, rows), -1);
    EXPECT_EQ(macros.ExportMacro(0, dir / "out.mac"), MacroResult::NoSelection);
    ASSERT_EQ(macros.DeleteMacro(0), MacroResult::Done);
    EXPECT_EQ(ReadBytes(dir / "x.mac"), victim);
    // Two macros made in the same millisecond by an older version share a file: deleting one
    // leaves the other its steps.
    ASSERT_EQ(macros.DeleteMacro(4), MacroResult::Done);
    EXPECT_EQ(macros.Entries().back(), (MacroEntry{"ok", "ok"}));
    EXPECT_EQ(macros.LoadMacroEvents("ok").size(), 1u);
    EXPECT_EQ(Index()["Other"], 1);  // what the index holds besides stays

    for (const char* text :
         {R"({"MacroInfo":{"MacroName":"a","Guid":"b"}})", "[1]", "{\"MacroInfo\"", ""}) {
        WriteBytes(folder / kMacroIndexFileName, text);
        EXPECT_TRUE(macros.LoadMacroIndex().empty()) << text;
    }

    // Imports take regular files of at most 1 MiB that hold a JSON object.
    std::string huge = victim;
    huge.resize(kMaxMacroFileBytes + 1, ' ');
    WriteBytes(dir / "huge.mac", huge);
    WriteBytes(folder / "huge.mac", huge);
    EXPECT_TRUE(macros.LoadMacroEvents("huge").empty());
    WriteBytes(dir / "text.mac", "steps");
    WriteBytes(dir / "list.mac", "[{}]");
    ASSERT_EQ(::mkfifo((dir / "fifo.mac").c_str(), 0600), 0);
    fs::create_directories(dir / "folder.mac");
    const auto files = Files();
    for (const char* bad :
         {"huge.mac", "text.mac", "list.mac", "fifo.mac", "folder.mac", "missing.mac"}) {
        EXPECT_EQ(macros.ImportMacro(dir / bad, nullptr), MacroResult::BadFile) << bad;
    }
    EXPECT_EQ(macros.ImportMacro({}, nullptr), MacroResult::BadFile);
    EXPECT_EQ(Files(), files);
    fs::create_symlink(dir / "x.mac", dir / "link.mac");
    std::string name;
    EXPECT_EQ(macros.ImportMacro(dir / "link.mac", &name), MacroResult::Done);
    EXPECT_EQ(name, "link");

    // Fifty at most.
    while (macros.Count() < kMaxMacros) {
        ASSERT_EQ(macros.CreateMacro(nullptr), MacroResult::Done);
    }
    const std::string index = IndexBytes();
    EXPECT_EQ(macros.CreateMacro(&name), MacroResult::LimitReached);
    EXPECT_EQ(macros.ImportMacro(dir / "x.mac", &name), MacroResult::LimitReached);
    EXPECT_EQ(IndexBytes(), index);
    EXPECT_EQ(macros.Count(), kMaxMacros);
}

// Every write fails as on a read-only or full disk.
bool FailEveryWrite(const fs::path&, const fs::path&) {
    return false;
}

TEST_F(MacroStoreTest, AFailedWriteLeavesTheIndexTheFilesAndTheListAsTheyWere) {
    ASSERT_EQ(macros.CreateMacro(nullptr), MacroResult::Done);
    ASSERT_EQ(macros.CreateMacro(nullptr), MacroResult::Done);
    std::vector<MacroRow> rows = RowsOf({Step("down", 4, kStepKey, "35")});
    ASSERT_EQ(macros.SaveMacroEvents(0, rows), 0);
    WriteBytes(dir / "fire.mac", ReadBytes(macros.MacroFilePath(0)));
    const auto files = Files();
    const std::string index = IndexBytes();
    const std::string steps = ReadBytes(macros.MacroFilePath(0));
    const auto entries = macros.Entries();

    JsonFileStore::SetBeforeRenameHook(&FailEveryWrite);
    EXPECT_EQ(macros.CreateMacro(nullptr), MacroResult::WriteFailed);
    EXPECT_EQ(macros.ImportMacro(dir / "fire.mac", nullptr), MacroResult::WriteFailed);
    EXPECT_EQ(macros.RenameMacro(0, "other"), MacroResult::WriteFailed);
    EXPECT_EQ(macros.DeleteMacro(0), MacroResult::WriteFailed);
    rows = RowsOf({Step("up", 1, kStepMouseButton, "1")});
    EXPECT_EQ(macros.SaveMacroEvents(0, rows), -2);
    JsonFileStore::SetBeforeRenameHook(nullptr);
    EXPECT_EQ(macros.ExportMacro(0, dir / "no folder" / "out.mac"), MacroResult::WriteFailed);

    EXPECT_EQ(Files(), files);
    EXPECT_EQ(IndexBytes(), index);
    EXPECT_EQ(ReadBytes(macros.MacroFilePath(0)), steps);
    EXPECT_EQ(macros.Entries(), entries);
}

}  // namespace
