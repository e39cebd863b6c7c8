#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace q840::windows {

// The colour picker's file, "color_option_info.config":
//   {"coloroptioninfo": {
//      "palletDialogcoloroption": [{"color": "FF12AB00"}, ...],        the 20 presets
//      "palletDialogcoloroption_selectitem": 2,
//      "palletDialogcollectcoloroption": [{"color": "FFFFFFFF", "UserData": "1"}, ...],
//      "palletDialogcollectcoloroption_selectitem": 5}}
// A colour is 8 upper-case hexadecimal digits (AARRGGBB). "UserData" "1" marks a collected slot
// that holds a colour the user kept; the others wait for one. Whatever else the file holds is
// kept by the writes.
inline constexpr int kPaletteSlots = 20;

struct CollectedColour {
    uint32_t argb = 0;
    std::string mark;  // "UserData": "1" when the user kept this colour
    bool operator==(const CollectedColour&) const = default;
};

using PresetColours = std::array<std::optional<uint32_t>, kPaletteSlots>;
using CollectedSlots = std::array<std::optional<CollectedColour>, kPaletteSlots>;

struct CollectedColours {
    CollectedSlots entries;            // empty where the file holds no readable colour
    std::optional<int> selected;     // the slot last chosen, as the file holds it
};

// Makes the user's file a copy of the installed one when the user's cannot be read.
void EnsurePaletteFile(const std::filesystem::path& user, const std::filesystem::path& installed);

// The collected colours of a file; a missing or broken file gives empty entries.
CollectedColours ReadCollectedColours(const std::filesystem::path& file);

// Write the presets (a slot without a colour keeps what the file holds) and the selected preset;
// false when the file could not be written.
bool WritePresetColours(const std::filesystem::path& file, const PresetColours& colours,
                        int selected);

// Write the collected entries (a slot left empty keeps what the file holds) and the selected one.
bool WriteCollectedColours(const std::filesystem::path& file, const CollectedSlots& entries,
                           int selected);

// "FF12AB00" for 0xFF12AB00.
std::string PaletteColourText(uint32_t argb);

}  // namespace q840::windows
