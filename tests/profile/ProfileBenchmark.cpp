// Load, modify and save cycles of whole profiles, as a page does after every edit.
//   build/bench/profile_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
// The median of the repetitions is the figure to quote. "/sync:1" waits for the disk before the
// rename (the program's setting), "/sync:0" shows the cost without that wait.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/profile/CKeyboardProfiledata.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/FactoryData.h"
#include "core/profile/ProfileList.h"

using namespace q840::profile;

namespace {

struct Folder {
    std::filesystem::path path;
    Folder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "q840bench.XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) {
            std::abort();
        }
        path = tmpl;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

Json::Value Factory(const std::string& name) {
    for (const FactoryFile& f : BuildFactoryFiles()) {
        if (f.relativePath == name) {
            return f.content;
        }
    }
    return Json::Value();
}

void BM_MouseProfileLoadModifySave(benchmark::State& state) {
    JsonFileStore::SetSyncToDisk(state.range(0) != 0);
    Folder folder;
    const auto profile = folder.path / "2024_02_01_09_05_03_007.Json";
    const auto defaults = folder.path / "mouse.Json";
    JsonFileStore store;
    store.WriteJsonFile(defaults, Factory("mouse.Json"));
    store.WriteJsonFile(profile, Factory("mouse.Json"));
    int step = 0;
    for (auto _ : state) {
        CMouseProfiledata data;
        data.SetDefaultProfilePath(defaults);
        data.SetProfilePath(profile);
        data.LoadDeviceNode(profile);
        LightSetting light = data.ReadLightSetting();
        data.ReadLightList();
        auto keys = data.ReadKeyAssignments();
        auto stages = data.ReadDpiStages();
        MouseSystemSettings sys = data.ReadSystemSettings();
        // One edit of each kind, as a user's slider and button changes make them.
        ++step;
        light.brightness = static_cast<uint8_t>(step % 5);
        stages[step % stages.size()].dpiX = static_cast<uint16_t>(step % 150);
        keys[step % keys.size()].current.SetCode(0x700000u | uint32_t(step % 16) << 8);
        sys.reportRate = static_cast<uint16_t>(step % 4);
        data.WriteLightSetting(light);
        data.WriteDpiStages(stages);
        data.WriteKeyAssignments(keys);
        data.WriteSystemSettings(sys);
        benchmark::DoNotOptimize(data.SaveCurrent());
    }
    JsonFileStore::SetSyncToDisk(true);
}
BENCHMARK(BM_MouseProfileLoadModifySave)
    ->ArgName("sync")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond);

void BM_KeyboardProfileCustomColours(benchmark::State& state) {
    JsonFileStore::SetSyncToDisk(state.range(0) != 0);
    Folder folder;
    const auto profile = folder.path / "kb.Json";
    JsonFileStore store;
    store.WriteJsonFile(profile, Factory("keyboard.Json"));
    int step = 0;
    for (auto _ : state) {
        CKeyboardProfiledata data;
        data.SetProfilePath(profile);
        data.LoadDeviceNode(profile);
        data.ReadLightSetting();
        data.ReadKeyAssignments();
        ++step;
        // Five custom colour groups of 170 keys: each read, one key changed, written back.
        for (int g = 0; g < 5; ++g) {
            std::vector<KeyColour> colours = data.ReadCustomColours(g, 170);
            colours[size_t(step % 170)].red = static_cast<uint8_t>(step);
            data.WriteCustomColours(colours, g);
        }
        data.SetCustomGroupIndex(step % 5);
        benchmark::DoNotOptimize(data.SaveCurrent());
    }
    JsonFileStore::SetSyncToDisk(true);
}
BENCHMARK(BM_KeyboardProfileCustomColours)
    ->ArgName("sync")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond);

// The parts without the file system: text of a keyboard profile and its parse.
void BM_KeyboardProfileStoredText(benchmark::State& state) {
    const Json::Value kb = Factory("keyboard.Json");
    for (auto _ : state) {
        benchmark::DoNotOptimize(JsonFileStore::StoredText(kb));
    }
}
BENCHMARK(BM_KeyboardProfileStoredText)->Unit(benchmark::kMicrosecond);

void BM_KeyboardProfileParse(benchmark::State& state) {
    const std::string text = JsonFileStore::StoredText(Factory("keyboard.Json"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(JsonFileStore::ParseText(text));
    }
}
BENCHMARK(BM_KeyboardProfileParse)->Unit(benchmark::kMicrosecond);

// The profile bar's start: reading a list of 50 profiles (what InitProfileList does before it
// fills the drop-down list), CPU time.
void BM_ProfileListInit50(benchmark::State& state) {
    Folder folder;
    const std::filesystem::path defaults = folder.path / "mouse.Json";
    JsonFileStore store;
    store.WriteJsonFile(defaults, Factory("mouse.Json"));
    {
        ProfileList list;
        list.SetPaths(folder.path, defaults);
        list.Init();
        while (list.Count() < kMaxProfiles) {
            list.New();
        }
    }
    for (auto _ : state) {
        ProfileList list;
        list.SetPaths(folder.path, defaults);
        benchmark::DoNotOptimize(list.Init());
    }
}
BENCHMARK(BM_ProfileListInit50)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
