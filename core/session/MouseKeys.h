#pragma once

// The mouse's keys and macros between its profile and the device: which macros go into the
// macro area and in what order, the area's image, and the key table built from the profile's
// key codes. The mouse page and q840ctl both write the mouse through these.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/profile/ProfileRecords.h"
#include "core/protocol/codecs/KeyTable.h"

namespace q840::session {

using KeySlotMap = std::array<uint8_t, protocol::kMouseKeyButtons>;

// The number of macros the macro list file ("macro.config") names; 0 without a valid list.
int ReadMacroCount(const std::filesystem::path& macroListPath);

// The profile's key codes in key button order.
std::vector<int> ProfileKeyCodes(const std::vector<profile::KeyAssignmentPair>& pairs);

// The macros the keys play, in the order the keys first use them (keys without a device slot
// and macros past `macroCount` left out): the order of the records in the macro area.
std::vector<int> MacroUseOrder(const std::vector<int>& keys, const KeySlotMap& slots,
                               int macroCount);

// Writes each key's assignment into its slot of `table` (the table as read from the mouse, so
// that slots without a key button keep theirs). A macro key names its macro's position in the
// upload order; a key on a macro that is gone gets its factory function.
void FillKeyTable(std::array<uint8_t, protocol::kKeyTableBufferSize>& table, size_t tableBytes,
                  const KeySlotMap& slots, const std::vector<int>& keys,
                  const std::vector<profile::KeyAssignmentPair>& pairs, int macroCount);

// Whether the key codes name macros past `macroCount`; with `pairs` given, those keys get their
// factory function back in it (the profile is not saved).
bool DropStaleMacroKeys(std::vector<profile::KeyAssignmentPair>& pairs, int macroCount);

// The macro area of `macros` (numbers in the device folder's macro list), read from their files.
struct MacroAreaImage {
    enum class Refusal { None, TooManySteps, AreaTooLarge };
    Refusal refusal = Refusal::None;
    // TooManySteps: the steps of the macro refused; AreaTooLarge: the steps too many for the
    // area (the number the page reports).
    int excess = 0;
    bool empty = false;         // no macro to send: the mouse may keep whatever area it has
    std::vector<uint8_t> area;  // the image, when neither refused nor empty
};
// `capacityBytes` < 0: no capacity known to hold the area against.
MacroAreaImage BuildMacroAreaImage(const std::filesystem::path& deviceFolder,
                                   const std::vector<int>& macros, long capacityBytes);

}  // namespace q840::session
