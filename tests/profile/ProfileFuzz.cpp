// Fuzz target: arbitrary bytes as a stored file, fed to the JSON file store, to every reader and
// writer of the profile data classes, to the macro store and to the shoot pattern reader. Nothing
// may crash, throw or hang, and what the store writes must read back to the same stored text.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target. Otherwise
// tests/support/FuzzDriver.cpp supplies main(): it runs a seed corpus and then a fixed number of
// seeded mutations of it, so CTest runs it on every build.

#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/macro/MacroStore.h"
#include "core/macro/ShootFile.h"
#include "core/profile/CKeyboardProfiledata.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/CVa6533Profiledata.h"
#include "core/profile/JsonAccess.h"
#include "core/profile/JsonFileStore.h"
#include "core/profile/ProfileList.h"
#include "tests/support/FuzzWorkDir.h"

using namespace q840::profile;

namespace {

const std::filesystem::path& WorkDir() {
    return q840::test::FuzzWorkDir();
}

void WriteRaw(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Every read and write of the classes on the given device node.
void Exercise(const Json::Value& node, uint8_t selector) {
    CMouseProfiledata mouse;
    mouse.SetDeviceNode(node);
    mouse.ReadLightSetting();
    mouse.ReadLightList();
    mouse.ReadKeyAssignments();
    mouse.ReadAudioLightSetting();
    mouse.ReadDpiStages();
    mouse.ReadSystemSettings();
    auto pairs = mouse.GetKeyAssignments();
    if (!pairs.empty()) {
        pairs[0].current.SetCode(0x700100);
    }
    mouse.WriteKeyAssignments(pairs);
    mouse.WriteLightSetting(mouse.GetLightSetting());
    mouse.WriteDpiStages(mouse.GetDpiStages());
    mouse.SetActiveDpiStage(selector % 7);
    mouse.WriteSystemSettings(mouse.GetSystemSettings());
    mouse.WriteAudioLightSetting(AudioLightSetting{});

    CKeyboardProfiledata keyboard;
    keyboard.SetDeviceNode(node);
    keyboard.ReadKeyboardSystemSettings();
    keyboard.GetCustomGroupIndex();
    const auto colours = keyboard.ReadCustomColours(selector % 6, selector % 40);
    keyboard.WriteCustomColours(colours, (selector + 1) % 6);
    keyboard.SetCustomGroupIndex(selector % 5);
    keyboard.WriteKeyboardSystemSettings(keyboard.ReadKeyboardSystemSettings());

    CVa6533Profiledata headset;
    headset.SetDeviceNode(node);
    headset.ReadHeadsetSettings();
    for (int t : {0, 1, 12, 13, 14, int(selector)}) {
        headset.WriteEqBands(t, headset.ReadEqBands(t));
    }
    headset.WriteCustomEqNames(headset.ReadCustomEqNames());
    headset.WriteCustomEqBands(selector % 21, headset.ReadCustomEqBands(selector % 21));
    headset.WriteHeadsetSettings(headset.ReadHeadsetSettings());
}

// The bytes as a device's macro index and as one of its macro files: nothing reaches outside
// the folder, no entry is lost or moved, and steps saved from the editor's rows load again as
// they were saved.
void ExerciseMacros(const std::filesystem::path& dir, const uint8_t* data, size_t size) {
    using namespace q840::macro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto folder = dir / "macros";
    std::filesystem::create_directories(folder);
    WriteRaw(folder / kMacroIndexFileName, data, size);
    MacroStore macros;
    macros.SetFolder(folder);
    macros.LoadMacroIndex();
    const Json::Value parsed = JsonFileStore::ParseText(text);
    const Json::Value& list = json::Member(parsed, "MacroInfo");
    Check(size_t(macros.Count()) == (list.isArray() ? list.size() : 0u), "every entry kept");
    for (const MacroEntry& e : macros.Entries()) {
        Check(e.guid.empty() || IsSafeFileStem(e.guid), "Guids name files of the folder");
    }
    const int count = macros.Count();
    if (count > 0) {
        macros.RenameMacro(count - 1, std::string(text.substr(0, 40)));
        const MacroResult deleted = macros.DeleteMacro(0);
        Check(macros.Count() == count - (deleted == MacroResult::Done ? 1 : 0),
              "delete removes one");
    }

    // Load, then save as the editor does (each row's delay field is the delay it shows).
    WriteRaw(folder / "fuzz.mac", data, size);
    const std::string index = R"({"MacroInfo":[{"Guid":"fuzz","MacroName":"f"}]})";
    WriteRaw(folder / kMacroIndexFileName, reinterpret_cast<const uint8_t*>(index.data()),
             index.size());
    macros.LoadMacroIndex();
    Check(macros.Count() == 1 && macros.Entries()[0].guid == "fuzz", "index of one macro");
    const std::vector<MacroEvent> events = macros.LoadMacroEvents("fuzz");
    std::vector<MacroRow> rows;
    for (const MacroEvent& e : events) {
        EncodeMacroEvent(e);
        rows.push_back(
            {JsonFileStore::StoredText(e.ToJson()), std::to_string(ShownDelay(e.delay))});
    }
    const int saved = macros.SaveMacroEvents(0, rows);
    const std::vector<MacroEvent> again = macros.LoadMacroEvents("fuzz");
    if (events.size() > size_t(kMaxSavedSteps)) {
        Check(saved == int(events.size()) - kMaxSavedSteps, "excess reported");
        Check(again == events, "a refused save writes nothing");
    } else {
        Check(saved == 0, "saved");
        Check(again.size() == events.size(), "every step saved");
        for (size_t i = 0; i < events.size(); ++i) {
            const MacroEvent& a = events[i];
            const MacroEvent& b = again[i];
            Check(b.type == a.type && b.button == a.button && b.IsDown() == a.IsDown(),
                  "same step");
            Check(b.delay == std::to_string(ShownDelay(a.delay)), "the delay shown is saved");
            // Text that is not UTF-8 may come back mended; any other action is kept exactly.
            Check(b.action == a.action || WideToUtf8(Utf8ToWide(a.action)) != a.action,
                  "same action");
            Check(MacroEvent::FromJson(JsonFileStore::ParseText(rows[i].step)) == b,
                  "each row holds its step as saved");
        }
    }

    // The bytes as a macro file someone imports.
    const auto chosen = dir / "chosen.mac";
    WriteRaw(chosen, data, size);
    const int before = macros.Count();
    const MacroResult imported = macros.ImportMacro(chosen, nullptr);
    const bool acceptable = size <= kMaxMacroFileBytes && parsed.isObject();
    Check((imported == MacroResult::Done) == acceptable, "imports take JSON objects");
    Check(macros.Count() == before + (acceptable ? 1 : 0), "import adds one");
    if (acceptable) {
        Check(ReadFile(macros.MacroFilePath(macros.Count() - 1)) == text, "copied byte for byte");
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// The bytes as a shoot pattern file: a file is taken whole or refused, what is taken has 180
// steps that each fit their device record, and a bullet written into it reads back as written
// (within what a step carries).
void ExerciseShoot(const std::filesystem::path& dir, const uint8_t* data, size_t size,
                   uint8_t selector) {
    using namespace q840::macro;
    const auto file = dir / "ShootData_0.Shoot";
    WriteRaw(file, data, size);
    Json::Value root;
    std::string bytes;
    const ShootCheck check = ShootFile::Read(file, &root, &bytes);
    const std::vector<q840::protocol::MacroStep> steps = ShootFile::Steps(root);
    if (check == ShootCheck::Ok) {
        Check(size <= kMaxShootFileBytes, "small files only");
        Check(bytes.size() == size, "bytes kept whole");
        Check(steps.size() == size_t(kShootFileSteps), "a pattern has 180 steps");
        for (int b = 0; b < kShootBullets; ++b) {
            const ShootBullet shown = ShootFile::GetBullet(root, b);
            const auto& y = steps[size_t(b * kShootStepsPerBullet + 3)];
            Check(shown.y == y.button && shown.delay == y.delay && shown.up == y.down,
                  "what is shown is what is sent");
        }
    } else {
        Check(root.isNull() && steps.empty(), "a refused file gives nothing");
    }
    // A bullet saved into whatever was read (a refused file starts a blank pattern).
    const int bullet = selector % kShootBullets;
    const ShootBullet typed{selector * 3, (selector & 1) != 0, selector * 2 - 100,
                            (selector & 2) != 0, selector * 400 - 20000};
    Json::Value edited =
        JsonFileStore::ParseText(std::string_view(reinterpret_cast<const char*>(data), size));
    Check(ShootFile::SetBullet(edited, bullet, typed), "bullet written");
    Check(ShootFile::Check(edited) == ShootCheck::Ok, "a saved pattern is a pattern");
    const ShootBullet back = ShootFile::GetBullet(edited, bullet);
    Check(back.x == std::clamp(typed.x, 0, kMaxShootMove) &&
              back.y == std::clamp(typed.y, 0, kMaxShootMove) &&
              back.delay == std::clamp(typed.delay, 0, kMaxStepDelay) && back.left == typed.left &&
              back.up == typed.up,
          "bullet reads back within its limits");
    if (check == ShootCheck::Ok) {
        Check(JsonFileStore().WriteJsonFile(file, edited) == 0, "pattern written");
        Check(ShootFile::Read(file, nullptr) == ShootCheck::Ok, "written pattern reads");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Thousands of small writes per second; waiting for the disk each time would only slow the
    // search down.
    JsonFileStore::SetSyncToDisk(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& dir = WorkDir();
    const uint8_t selector = size ? data[size - 1] : 0;
    JsonFileStore store;

    // The bytes as a whole file.
    const auto raw = dir / "input.Json";
    WriteRaw(raw, data, size);
    const Json::Value root = store.ReadJsonFile(raw);
    Check(root ==
              JsonFileStore::ParseText(std::string_view(reinterpret_cast<const char*>(data), size)),
          "file and text parse alike");

    // Stored text is stable: writing what was read and reading it again gives the same bytes.
    const std::string stored = JsonFileStore::StoredText(root);
    Check(JsonFileStore::StoredText(JsonFileStore::ParseText(stored)) == stored,
          "stored text round trip");

    // The bytes as a device node, as a whole profile file, as a default profile, as a light
    // configuration and as a custom effect file.
    Exercise(root, selector);
    const Json::Value& device = root.isObject() ? root["Device"] : root;
    Exercise(device.isArray() && !device.empty() ? device[0] : device, selector);

    const auto profile = dir / "profile.Json";
    WriteRaw(profile, data, size);
    CBasicProfiledata basic;
    basic.SetDefaultProfilePath(raw);
    basic.SetProfilePath(profile);
    basic.SetDeviceIndex(selector % 3);
    basic.LoadDeviceNode(profile);
    basic.LoadOtherDeviceNode(raw);
    basic.ReadOtherKeyAssignments();
    basic.WriteOtherKeyAssignments(basic.GetOtherKeyAssignments());
    basic.SaveCurrent();
    basic.SaveOtherNode(profile);

    const auto config = dir / "zelta_light.config";
    WriteRaw(config, data, size);
    basic.LoadLightConfig(config);
    basic.SetCustomEffectSource(selector % 4, selector % 13);
    for (int item = 0; item < 16; ++item) {
        LightSetting s{};
        s.effect = static_cast<uint8_t>(item);
        basic.WriteLightSetting(s);
        basic.ReadCustomEffectSteps();
    }

    // The bytes as a device's profile list, and as a profile file someone sends to import.
    const auto folder = dir / "device";
    std::filesystem::create_directories(folder);
    WriteRaw(folder / kProfileListFileName, data, size);
    ProfileList list;
    list.SetPaths(folder, raw);
    list.Init();
    Check(list.Count() >= 1 && list.Count() <= kMaxProfiles, "1 to 50 profiles");
    for (const ProfileEntry& e : list.Entries()) {
        Check(IsSafeFileStem(e.id), "identifiers name files of the folder");
    }
    const int before = list.Count();
    const ProfileResult imported = list.Import(raw);
    Check(list.Count() == before + (imported == ProfileResult::Done ? 1 : 0), "import adds one");
    list.Rename(list.Count() - 1,
                std::string(reinterpret_cast<const char*>(data), std::min<size_t>(size, 40)));
    int next = 0;
    list.Delete(list.Count() - 1, &next);
    Check(list.Count() >= 1, "the last profile stays");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);

    ExerciseMacros(dir, data, size);
    ExerciseShoot(dir, data, size, selector);
    return 0;
}
