// What the macro commands cost: a 58-step macro saved and loaded, and the renumbering of the
// macro keys of 50 profile files when a macro is deleted.
//   build/bench/macro_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
// The median of the repetitions is the figure to quote; real time includes the wait for the disk
// that every write makes before its rename.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "core/macro/MacroStore.h"
#include "core/profile/CBasicProfiledata.h"
#include "core/profile/FactoryData.h"
#include "tests/support/TempDir.h"

using namespace q840;

namespace {

using Folder = test::TempDir;

std::vector<macro::MacroRow> FullMacro() {
    std::vector<macro::MacroRow> rows;
    for (int i = 0; i < macro::kMaxSavedSteps; ++i) {
        macro::MacroEvent step;
        step.type = macro::kStepKey;
        step.button = 4 + i % 26;
        step.action = i % 2 == 0 ? "down" : "up";
        rows.push_back({step.ToJson().toStyledString(), std::to_string(i * 7)});
    }
    return rows;
}

void SaveFullMacro(benchmark::State& state) {
    Folder folder;
    macro::MacroStore store;
    store.SetFolder(folder.path().string() + "/");
    std::string name;
    store.CreateMacro(&name);
    for (auto _ : state) {
        std::vector<macro::MacroRow> rows = FullMacro();
        if (store.SaveMacroEvents(0, rows) != 0) {
            state.SkipWithError("save failed");
        }
    }
}
BENCHMARK(SaveFullMacro)->Unit(benchmark::kMicrosecond)->UseRealTime();

void LoadFullMacro(benchmark::State& state) {
    Folder folder;
    macro::MacroStore store;
    store.SetFolder(folder.path().string() + "/");
    std::string name;
    store.CreateMacro(&name);
    std::vector<macro::MacroRow> rows = FullMacro();
    store.SaveMacroEvents(0, rows);
    const std::string guid = store.Entries()[0].guid;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.LoadMacroEvents(guid));
    }
}
BENCHMARK(LoadFullMacro)->Unit(benchmark::kMicrosecond);

// 50 factory profiles, each with every key on a macro after the deleted one: every file changes.
void RenumberFiftyProfiles(benchmark::State& state) {
    Folder folder;
    Json::Value factory;
    for (const profile::FactoryFile& f : profile::BuildFactoryFiles()) {
        if (f.relativePath == "mouse.Json") {
            factory = f.content;
        }
    }
    profile::JsonFileStore store;
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 50; ++i) {
        files.push_back(folder.path() / ("p" + std::to_string(i) + ".Json"));
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& file : files) {
            profile::CBasicProfiledata data;
            data.SetDeviceNode(factory["Device"][0]);
            auto pairs = data.ReadKeyAssignments();
            for (auto& pair : pairs) {
                pair.current.SetCode(0x700500);
            }
            data.WriteKeyAssignments(pairs);
            Json::Value root = factory;
            root["Device"][0] = data.GetDeviceNode();
            store.WriteJsonFile(file, root);
        }
        state.ResumeTiming();
        for (const auto& file : files) {
            macro::RenumberMacroKeysInProfile(file, 0, 1);
        }
    }
}
BENCHMARK(RenumberFiftyProfiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
