// Fuzz target: arbitrary bytes as a stored file, fed to the JSON file store and to every reader
// and writer of the profile data classes. Nothing may crash, throw or hang, and what the store
// writes must read back to the same stored text.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target. Otherwise
// tests/support/FuzzDriver.cpp supplies main(): it runs a seed corpus and then a fixed number of
// seeded mutations of it, so CTest runs it on every build.

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/profile/CKeyboardProfiledata.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/CVa6533Profiledata.h"
#include "core/profile/JsonFileStore.h"
#include "core/profile/ProfileList.h"
#include "tests/support/FuzzWorkDir.h"

using namespace q840::profile;

namespace {

const std::filesystem::path& WorkDir() { return q840::test::FuzzWorkDir(); }

void WriteRaw(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
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
    list.Rename(list.Count() - 1, std::string(reinterpret_cast<const char*>(data),
                                              std::min<size_t>(size, 40)));
    int next = 0;
    list.Delete(list.Count() - 1, &next);
    Check(list.Count() >= 1, "the last profile stays");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
