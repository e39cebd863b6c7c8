#include "core/session/MouseKeys.h"

#include <algorithm>

#include "core/base/DebugLine.h"
#include "core/macro/MacroStore.h"
#include "core/profile/JsonAccess.h"
#include "core/profile/JsonFileStore.h"
#include "core/protocol/codecs/EventArea.h"

namespace q840::session {

using protocol::KeyAssignment;

int ReadMacroCount(const std::filesystem::path& macroListPath) {
    const Json::Value root = profile::JsonFileStore().ReadJsonFile(macroListPath);
    const Json::Value& list = profile::json::Member(root, "MacroInfo");
    return list.isArray() ? int(list.size()) : 0;
}

std::vector<int> ProfileKeyCodes(const std::vector<profile::KeyAssignmentPair>& pairs) {
    std::vector<int> keys;
    keys.reserve(pairs.size());
    for (const auto& pair : pairs) {
        keys.push_back(int(pair.current.Code()));
    }
    return keys;
}

std::vector<int> MacroUseOrder(const std::vector<int>& keys, const KeySlotMap& slots,
                               int macroCount) {
    std::vector<int> order;
    for (size_t j = 0; j < slots.size() && j < keys.size(); ++j) {
        if (slots[j] == protocol::kNoSlot) {
            continue;
        }
        const auto a = KeyAssignment::FromCode(uint32_t(keys[j]));
        if (a.IsMacro() && a.param1 < macroCount &&
            std::find(order.begin(), order.end(), int(a.param1)) == order.end()) {
            order.push_back(a.param1);
        }
    }
    return order;
}

void FillKeyTable(std::array<uint8_t, protocol::kKeyTableBufferSize>& table, size_t tableBytes,
                  const KeySlotMap& slots, const std::vector<int>& keys,
                  const std::vector<profile::KeyAssignmentPair>& pairs, int macroCount) {
    // Macros are uploaded in the order the keys first use them; a key's parameter 1 is the
    // macro's position in that upload.
    const std::vector<int> uploaded = MacroUseOrder(keys, slots, macroCount);
    for (size_t j = 0; j < slots.size(); ++j) {
        const uint8_t slot = slots[j];
        if (slot == protocol::kNoSlot || j >= keys.size()) {
            continue;
        }
        KeyAssignment a = KeyAssignment::FromCode(uint32_t(keys[j]));
        if (a.IsMacro()) {
            if (a.param1 < macroCount) {
                const auto at = std::find(uploaded.begin(), uploaded.end(), int(a.param1));
                a.param1 = uint8_t(at - uploaded.begin());
            } else {
                // The macro is gone: the key goes back to what it does from the factory.
                a = j < pairs.size() ? KeyAssignment::FromCode(pairs[j].defaults.Code())
                                     : protocol::kMouseKeyIdentification[j];
            }
        }
        protocol::WriteKeySlot(table.data(), tableBytes, slot, a);
    }
}

bool DropStaleMacroKeys(std::vector<profile::KeyAssignmentPair>& pairs, int macroCount) {
    bool changed = false;
    for (auto& pair : pairs) {
        const KeyAssignment a = KeyAssignment::FromCode(pair.current.Code());
        if (a.IsMacro() && a.param1 >= macroCount) {
            pair.current.SetCode(pair.defaults.Code());
            changed = true;
        }
    }
    return changed;
}

MacroAreaImage BuildMacroAreaImage(const std::filesystem::path& deviceFolder,
                                   const std::vector<int>& macros, long capacityBytes) {
    MacroAreaImage image;
    macro::MacroStore store;
    store.SetFolder(deviceFolder);
    const std::vector<macro::MacroEntry>& entries = store.LoadMacroIndex();
    if (entries.empty() || macros.empty()) {
        image.empty = true;
        return image;
    }
    // Each file is read once: a macro saved between counting and packing cannot make the area
    // disagree with the size checked. A macro whose file is missing, unreadable or without steps
    // goes as a record of no steps, so that the positions of the others stay those the key table
    // names.
    std::vector<std::vector<protocol::MacroStep>> records;
    std::vector<size_t> counts;
    for (int number : macros) {
        std::vector<protocol::MacroStep> steps;
        if (number >= 0 && size_t(number) < entries.size()) {
            for (const macro::MacroEvent& e : store.LoadMacroEvents(entries[size_t(number)].guid)) {
                steps.push_back(macro::ToMacroStep(e));
            }
        }
        if (steps.size() > protocol::kMaxMacroEvents) {
            DebugLine("macro %d has %zu steps: not uploaded", number, steps.size());
            image.refusal = MacroAreaImage::Refusal::TooManySteps;
            image.excess = int(std::min<size_t>(steps.size(), 0x7FFFFFFF));
            return image;
        }
        counts.push_back(steps.size());
        records.push_back(std::move(steps));
    }
    const size_t total = protocol::EventAreaSize(counts);
    if (capacityBytes >= 0 && total > size_t(capacityBytes)) {
        DebugLine("macro area of %zu bytes against %ld: not uploaded", total, capacityBytes);
        image.refusal = MacroAreaImage::Refusal::AreaTooLarge;
        image.excess = int((total - size_t(capacityBytes)) / 4 + 1);
        return image;
    }
    image.area = protocol::BuildEventArea(records);
    return image;
}

}  // namespace q840::session
