// Fuzz target: arbitrary bytes as the colour picker's stored file (color_option_info.config),
// read and written as the picker does (windows/PaletteFile): the user's file is replaced by the
// installed copy when it cannot be read, reading never fails, and the next save of the presets
// and of the collected colours writes a sound file: an object whose twenty entries of each list
// carry a colour as 8 upper-case hexadecimal digits (and the collected ones their mark), and that
// reads back as written. The picker's own tests open the window over broken files; building it
// for every input here would cost some 60 ms each under the sanitizers.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/profile/JsonFileStore.h"
#include "support/FuzzWorkDir.h"
#include "windows/PaletteFile.h"

using namespace q840;
using namespace q840::windows;

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "palette file after a save: %s\n", what);
    std::abort();
}

bool IsColourText(const Json::Value& v) {
    if (!v.isString() || v.asString().size() != 8) {
        return false;
    }
    for (const char c : v.asString()) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

void CheckList(const Json::Value& info, const char* key, bool marked) {
    const Json::Value& list = info[key];
    if (!list.isArray() || list.size() < Json::ArrayIndex(kPaletteSlots)) {
        Fail(key);
    }
    for (Json::ArrayIndex i = 0; i < Json::ArrayIndex(kPaletteSlots); ++i) {
        const Json::Value& entry = list[i];
        if (!entry.isObject() || !IsColourText(entry["color"])) {
            Fail("a colour entry");
        }
        if (marked && !entry["UserData"].isString()) {
            Fail("a slot's mark");
        }
    }
}

const std::filesystem::path& UserFile() {
    static const std::filesystem::path file = test::FuzzWorkDir() / "color_option_info.config";
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& file = UserFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    EnsurePaletteFile(file, std::filesystem::path(Q840_SOURCE_DIR) / "DefaultData" /
                                "color_option_info.config");
    const CollectedColours read = ReadCollectedColours(file);

    // As the picker saves: every preset button's colour with preset 2 chosen, then every
    // collected slot (those the file left empty with the layout's colour) with a colour kept in 5.
    PresetColours presets;
    for (int i = 0; i < kPaletteSlots; ++i) {
        presets[size_t(i)] = 0xFF000000u | uint32_t(i * 0x0A0B0C);
    }
    if (!WritePresetColours(file, presets, 2)) {
        Fail("presets not written");
    }
    CollectedSlots entries = read.entries;
    for (std::optional<CollectedColour>& slot : entries) {
        if (!slot) {
            slot = CollectedColour{0xFF272B34u, "0"};
        }
    }
    entries[5] = CollectedColour{0xFF12AB00u, "1"};
    if (!WriteCollectedColours(file, entries, 5)) {
        Fail("collected colours not written");
    }

    const Json::Value root = profile::JsonFileStore().ReadJsonFile(file);
    const Json::Value& info =
        root.isObject() ? root["coloroptioninfo"] : Json::Value::nullSingleton();
    if (!info.isObject()) {
        Fail("coloroptioninfo");
    }
    CheckList(info, "palletDialogcoloroption", false);
    CheckList(info, "palletDialogcollectcoloroption", true);
    for (int i = 0; i < kPaletteSlots; ++i) {
        if (info["palletDialogcoloroption"][i]["color"].asString() !=
            PaletteColourText(*presets[size_t(i)])) {
            Fail("a preset");
        }
    }
    if (info["palletDialogcoloroption_selectitem"].asInt() != 2) {
        Fail("the chosen preset");
    }
    const CollectedColours again = ReadCollectedColours(file);
    if (again.entries != entries || again.selected != 5) {
        Fail("the collected colours do not read back as written");
    }
    return 0;
}
