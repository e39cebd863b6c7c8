#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/base/DebugLine.h"
#include "core/profile/JsonFileStore.h"
#include "tests/profile/ProfileTestSupport.h"

using q840::profile::IsSafeFileStem;
using q840::profile::JsonFileStore;
using q840::profile::Utf8ToWide;
using q840::profile::WideToUtf8;
using q840::test::ReadBytes;
using q840::test::TempDir;
using q840::test::WriteBytes;

namespace {

Json::Value GoldenValue() {
    Json::Value root;
    root["profilename"] = "鼠标 Profile 😀";
    root["profileUUID"] = "2024_02_01_09_05_03_007";
    Json::Value node;
    node["DPIStages"]["StageActive"] = 2;
    Json::Value stage;
    stage["StageDPIX"] = 7;
    stage["StageColorR"] = 255;
    node["DPIStages"]["StageDPIs"].append(stage);
    node["KeyList"][0]["Assignment"] = 0x100100;
    node["Short"].append(1);
    node["Short"].append(-2);
    node["Short"].append(3);
    for (int i = 0; i < 12; ++i) {
        node["Long"].append(1000000 + i);
    }
    node["Empty"] = Json::Value(Json::arrayValue);
    node["ctrl"] = std::string("tab\there\x01");
    root["Device"].append(node);
    root["Device"].append(Json::Value());
    root["big"] = Json::UInt64(4294967295u);
    return root;
}

// Members sorted by byte (upper case first), three-space indent, the short array on one line and
// the long one broken up, text as UTF-8 bytes, control characters escaped, CR LF everywhere and
// one extra line break at the end.
const char* const kGoldenText =
    "{\r\n"
    "   \"Device\" : [\r\n"
    "      {\r\n"
    "         \"DPIStages\" : {\r\n"
    "            \"StageActive\" : 2,\r\n"
    "            \"StageDPIs\" : [\r\n"
    "               {\r\n"
    "                  \"StageColorR\" : 255,\r\n"
    "                  \"StageDPIX\" : 7\r\n"
    "               }\r\n"
    "            ]\r\n"
    "         },\r\n"
    "         \"Empty\" : [],\r\n"
    "         \"KeyList\" : [\r\n"
    "            {\r\n"
    "               \"Assignment\" : 1048832\r\n"
    "            }\r\n"
    "         ],\r\n"
    "         \"Long\" : [\r\n"
    "            1000000,\r\n"
    "            1000001,\r\n"
    "            1000002,\r\n"
    "            1000003,\r\n"
    "            1000004,\r\n"
    "            1000005,\r\n"
    "            1000006,\r\n"
    "            1000007,\r\n"
    "            1000008,\r\n"
    "            1000009,\r\n"
    "            1000010,\r\n"
    "            1000011\r\n"
    "         ],\r\n"
    "         \"Short\" : [ 1, -2, 3 ],\r\n"
    "         \"ctrl\" : \"tab\\there\\u0001\"\r\n"
    "      },\r\n"
    "      null\r\n"
    "   ],\r\n"
    "   \"big\" : 4294967295,\r\n"
    "   \"profileUUID\" : \"2024_02_01_09_05_03_007\",\r\n"
    "   \"profilename\" : \"鼠标 Profile 😀\"\r\n"
    "}\r\n"
    "\r\n";

}  // namespace

TEST(JsonFileStoreGolden, WritesTheStoredFormByteForByteAndReadsItBack) {
    TempDir dir;
    JsonFileStore store;
    const auto file = dir / "golden.Json";
    ASSERT_EQ(store.WriteJsonFile(file, GoldenValue()), 0);
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes, kGoldenText);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(store.ReadJsonFile(file), GoldenValue());
    // What was read and written again is the same file.
    EXPECT_EQ(JsonFileStore::StoredText(store.ReadJsonFile(file)), bytes);
}

TEST(JsonFileStoreGolden, EscapedTextReadsAsTheSameCharactersAndIsWrittenAsUtf8) {
    // Files written by other JSON writers may carry \u escapes, surrogate pairs included.
    const Json::Value v =
        JsonFileStore::ParseText("{\"n\":\"\\u9f20\\u6807 \\ud83d\\ude00 \\u00e9\\u0007\"}");
    ASSERT_TRUE(v.isObject());
    EXPECT_EQ(v["n"].asString(), "鼠标 😀 é\x07");
    EXPECT_EQ(JsonFileStore::StoredText(v), "{\r\n   \"n\" : \"鼠标 😀 é\\u0007\"\r\n}\r\n\r\n");
}

TEST(JsonFileStoreRead, AcceptsLfCrLfAndByteOrderMark) {
    TempDir dir;
    JsonFileStore store;
    const Json::Value expected = JsonFileStore::ParseText("{\"a\":[1,2],\"b\":\"x\"}");
    const char* variants[] = {
        "{\n   \"a\" : [ 1, 2 ],\n   \"b\" : \"x\"\n}\n",
        "{\r\n   \"a\" : [ 1, 2 ],\r\n   \"b\" : \"x\"\r\n}\r\n\r\n",
        "\xEF\xBB\xBF{\r\n   \"a\" : [ 1, 2 ],\r\n   \"b\" : \"x\"\r\n}\r\n",
        "\xEF\xBB\xBF{\"a\":[1,2],\"b\":\"x\"}",
    };
    for (const char* text : variants) {
        WriteBytes(dir / "v.Json", text);
        EXPECT_EQ(store.ReadJsonFile(dir / "v.Json"), expected) << text;
    }
}

TEST(JsonFileStoreRead, EveryUnusableFileReadsAsNull) {
    TempDir dir;
    JsonFileStore store;
    EXPECT_TRUE(store.ReadJsonFile(dir / "missing.Json").isNull());
    EXPECT_TRUE(store.ReadJsonFile(dir.path()).isNull());  // a folder
    EXPECT_TRUE(store.ReadJsonFile("").isNull());
    // A FIFO would block a plain open for ever; it must read as null at once.
    ASSERT_EQ(::mkfifo((dir / "fifo.Json").c_str(), 0600), 0);
    EXPECT_TRUE(store.ReadJsonFile(dir / "fifo.Json").isNull());
    const char* bad[] = {"", "\xEF\xBB\xBF", "{", "{\"a\":}", "\x00\x01\x02", "[1,2", "{\"a\" 1}"};
    for (const char* text : bad) {
        WriteBytes(dir / "bad.Json", text);
        EXPECT_TRUE(store.ReadJsonFile(dir / "bad.Json").isNull()) << text;
    }
    // Nesting deeper than the parser's limit makes it throw; that must read as null too.
    WriteBytes(dir / "deep.Json", std::string(5000, '[') + std::string(5000, ']'));
    EXPECT_TRUE(store.ReadJsonFile(dir / "deep.Json").isNull());
}

TEST(JsonFileStoreRead, MemberNamesTheWriterWouldChangeReadAsMalformed) {
    // The writer cuts member names at a NUL ("S\0a" and "S\0b" would both be saved as "S") and
    // replaces bytes that are not UTF-8 (which moves members or merges them).
    TempDir dir;
    JsonFileStore store;
    using namespace std::string_literals;
    const std::string bad[] = {
        "{\"S\0a\":1,\"S\0b\":2}"s,
        "{\"Device\":[{\"DPIStages\":{\"x\":[{\"Stage\\u0000DPIX\":7}]}}]}"s,
        "[1,{\"\\u0000\":null}]"s,
        "{\"D\xe8\x65\":\"P\",\"D\xe8\x65vice\":6}",
        "{\"a\":{\"\xc0\xae\":1}}",
        "{\"\\udc00\":1}",
    };
    for (const std::string& text : bad) {
        EXPECT_TRUE(JsonFileStore::ParseText(text).isNull()) << text;
        WriteBytes(dir / "nul.Json", text);
        JsonFileStore::ReadStatus status = JsonFileStore::ReadStatus::Ok;
        EXPECT_TRUE(store.ReadJsonFile(dir / "nul.Json", &status).isNull()) << text;
        EXPECT_EQ(status, JsonFileStore::ReadStatus::Malformed) << text;
    }
    // A NUL in a text value is kept, written as its escape and read back the same; an escaped
    // backslash before "u0000" is no NUL at all.
    const Json::Value kept =
        JsonFileStore::ParseText("{\"a\":\"x\\u0000y\",\"b\\\\u0000\":\"\0\"}"s);
    ASSERT_TRUE(kept.isObject());
    EXPECT_EQ(kept["a"].asString(), "x\0y"s);
    EXPECT_EQ(kept["b\\u0000"].asString(), "\0"s);
    const std::string stored = JsonFileStore::StoredText(kept);
    EXPECT_EQ(stored,
              "{\r\n   \"a\" : \"x\\u0000y\",\r\n   \"b\\\\u0000\" : \"\\u0000\"\r\n}\r\n\r\n");
    EXPECT_EQ(JsonFileStore::ParseText(stored), kept);
    // Names in other scripts are fine, raw or escaped.
    const Json::Value names = JsonFileStore::ParseText("{\"鼠标\":1,\"\\ud83d\\ude00\":2}");
    ASSERT_TRUE(names.isObject());
    EXPECT_EQ(names["鼠标"].asInt(), 1);
    EXPECT_EQ(names["😀"].asInt(), 2);
    EXPECT_EQ(JsonFileStore::ParseText(JsonFileStore::StoredText(names)), names);
}

TEST(JsonFileStoreRead, StatusTellsMissingFromUnreadable) {
    TempDir dir;
    JsonFileStore store;
    using S = JsonFileStore::ReadStatus;
    S status = S::Ok;
    store.ReadJsonFile(dir / "missing.Json", &status);
    EXPECT_EQ(status, S::Missing);
    WriteBytes(dir / "empty.Json", "");
    store.ReadJsonFile(dir / "empty.Json", &status);
    EXPECT_EQ(status, S::Empty);
    WriteBytes(dir / "bad.Json", "{\"a\":");
    store.ReadJsonFile(dir / "bad.Json", &status);
    EXPECT_EQ(status, S::Malformed);
    WriteBytes(dir / "null.Json", "\xEF\xBB\xBF null\r\n");
    store.ReadJsonFile(dir / "null.Json", &status);
    EXPECT_EQ(status, S::Ok);
    store.ReadJsonFile(dir.path(), &status);
    EXPECT_EQ(status, S::Unreadable);
    if (::geteuid() != 0) {  // root reads everything
        WriteBytes(dir / "locked.Json", "{}");
        std::filesystem::permissions(dir / "locked.Json", std::filesystem::perms::none);
        store.ReadJsonFile(dir / "locked.Json", &status);
        EXPECT_EQ(status, S::Unreadable);
    }
}

namespace {
std::vector<std::string> g_lines;
void Capture(const std::string& line) {
    g_lines.push_back(line);
}
}  // namespace

TEST(JsonFileStoreRead, EveryReadLeavesItsTraceLine) {
    TempDir dir;
    g_lines.clear();
    q840::SetDebugSink(&Capture);
    JsonFileStore().ReadJsonFile(dir / "missing.Json");
    WriteBytes(dir / "ok.Json", "{}");
    JsonFileStore().ReadJsonFile(dir / "ok.Json");
    q840::SetDebugSink(nullptr);
    ASSERT_EQ(g_lines.size(), 3u);
    EXPECT_EQ(g_lines[0], "readjsonFile 错误吗：：2\n");  // ENOENT
    EXPECT_EQ(g_lines[1], (dir / "missing.Json").string());
    EXPECT_EQ(g_lines[2], "readjsonFile 错误吗：：0\n");
}

TEST(JsonFileStoreRead, CommentsAreAcceptedAndKeptWithoutHarmOnSave) {
    const Json::Value v = JsonFileStore::ParseText("// factory file\r\n{ \"a\" : 1 /* one */ }");
    ASSERT_TRUE(v.isObject());
    EXPECT_EQ(v["a"].asInt(), 1);
    // A line comment ending in blanks after a value must not take the next line in with it when
    // the file is saved again.
    const Json::Value edited =
        JsonFileStore::ParseText("{\"a\" : [ 1 ], // first \t \r\n\"b\" : 2 // last  \r\n}");
    ASSERT_TRUE(edited.isObject());
    const std::string stored = JsonFileStore::StoredText(edited);
    EXPECT_NE(stored.find("// first\r\n"), std::string::npos) << stored;
    const Json::Value again = JsonFileStore::ParseText(stored);
    EXPECT_EQ(again["b"].asInt(), 2) << stored;
    EXPECT_EQ(JsonFileStore::StoredText(again), stored);
    // A block comment that never ends would take the saved file's last line breaks in with it:
    // such text is malformed (found by the fuzzer: "0/*/\x94\xbf/"). Comment marks inside
    // strings and line comments are only text.
    EXPECT_TRUE(JsonFileStore::ParseText(std::string("0/*/\x94\xbf/", 7)).isNull());
    EXPECT_TRUE(JsonFileStore::ParseText("{\"a\" : 1} /* open").isNull());
    EXPECT_EQ(JsonFileStore::ParseText("{\"a\" : \"/*\"} // /* not a comment")["a"].asString(),
              "/*");
    // A line comment ends at a lone CR as well: the block comment on the next line is open.
    EXPECT_TRUE(JsonFileStore::ParseText("// note\r0 /* open\n").isNull());
}

namespace {
bool FailBeforeRename(const std::filesystem::path&, const std::filesystem::path&) {
    return false;
}
struct HookGuard {
    explicit HookGuard(JsonFileStore::BeforeRenameHook h) { JsonFileStore::SetBeforeRenameHook(h); }
    ~HookGuard() { JsonFileStore::SetBeforeRenameHook(nullptr); }
};
}  // namespace

TEST(JsonFileStoreWrite, InterruptedWriteLeavesTheOldFileIntact) {
    TempDir dir;
    JsonFileStore store;
    const auto file = dir / "p.Json";
    Json::Value old;
    old["profilename"] = "old";
    ASSERT_EQ(store.WriteJsonFile(file, old), 0);
    const std::string before = ReadBytes(file);
    {
        HookGuard guard(&FailBeforeRename);
        Json::Value replacement;
        replacement["profilename"] = "new";
        EXPECT_EQ(store.WriteJsonFile(file, replacement), -1);
    }
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(store.ReadJsonFile(file)["profilename"].asString(), "old");

    // An interrupted first write leaves no file at all rather than an empty one.
    {
        HookGuard guard(&FailBeforeRename);
        store.WriteJsonFile(dir / "fresh.Json", old);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "fresh.Json"));
}

TEST(JsonFileStoreWrite, ReplacesTheFileAndLeavesNoTemporaryFiles) {
    TempDir dir;
    JsonFileStore store;
    const auto file = dir / "p.Json";
    WriteBytes(file, std::string(10000, ' ') + "{}");  // a longer old file
    Json::Value v;
    v["a"] = 1;
    ASSERT_EQ(store.WriteJsonFile(file, v), 0);
    EXPECT_EQ(ReadBytes(file), "{\r\n   \"a\" : 1\r\n}\r\n\r\n");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(JsonFileStoreWrite, UnwritableTargetReportsFailure) {
    TempDir dir;
    JsonFileStore store;
    EXPECT_EQ(store.WriteJsonFile(dir / "no-such-folder" / "p.Json", Json::Value(1)), -1);
    EXPECT_EQ(store.WriteJsonFile("", Json::Value(1)), -1);
    // A folder in the way of the target: the rename fails and nothing is left behind.
    std::filesystem::create_directory(dir / "taken.Json");
    std::filesystem::create_directory(dir / "taken.Json" / "inside");
    EXPECT_EQ(store.WriteJsonFile(dir / "taken.Json", Json::Value(1)), -1);
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(JsonFileStoreTimestamp, FormatAndUniqueness) {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 1;
    t.tm_mday = 1;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 3;
    EXPECT_EQ(JsonFileStore::FormatTimestampId(t, 7), "2024_02_01_09_05_03_007");
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 59;
    EXPECT_EQ(JsonFileStore::FormatTimestampId(t, 999), "2024_12_31_23_59_59_999");

    // Ids name files, so back-to-back calls must not collide.
    const std::regex form(R"(\d{4}_\d\d_\d\d_\d\d_\d\d_\d\d_\d\d\d)");
    std::set<std::string> seen;
    for (int i = 0; i < 500; ++i) {
        const std::string id = JsonFileStore::MakeTimestampId();
        EXPECT_TRUE(std::regex_match(id, form)) << id;
        EXPECT_TRUE(seen.insert(id).second) << id;
    }
}

TEST(JsonFileStoreNames, OnlyPlainFileStemsAreSafe) {
    EXPECT_TRUE(IsSafeFileStem("2024_02_01_09_05_03_007"));
    EXPECT_TRUE(IsSafeFileStem("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
    EXPECT_TRUE(IsSafeFileStem("灯光 1"));
    EXPECT_TRUE(IsSafeFileStem("CONSOLE"));
    EXPECT_TRUE(IsSafeFileStem("COM10"));
    for (const char* bad :
         {"",     ".",        "..",  "../x", "a/b", "a\\b", "/etc/passwd", "C:x", "C:\\Windows\\x",
          "x..",  "a\nb",     "a*b", "a?b",  "a|b", "a\"b", "<b>",         "CON", "nul",
          "Com1", "LPT9.txt", "aux "}) {
        EXPECT_FALSE(IsSafeFileStem(bad)) << bad;
    }
}

TEST(JsonFileStoreNames, WideConversionRoundTripsAndReplacesInvalidBytes) {
    const std::string text = "Eq 低音 😀";
    EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Utf8ToWide("\xE4\xBD"), L"\uFFFD\uFFFD");  // cut-off sequence
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");  // overlong '/'
}
