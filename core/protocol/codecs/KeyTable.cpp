#include "core/protocol/codecs/KeyTable.h"

namespace q840::protocol {

KeyAssignment ReadKeySlot(const uint8_t* table, size_t tableLength, size_t slot) {
    if (!table || slot * 3 + 3 > tableLength) {
        return {};
    }
    return {table[slot * 3], table[slot * 3 + 1], table[slot * 3 + 2]};
}

bool WriteKeySlot(uint8_t* table, size_t tableLength, size_t slot, KeyAssignment assignment) {
    if (!table || slot * 3 + 3 > tableLength) {
        return false;
    }
    table[slot * 3] = assignment.type;
    table[slot * 3 + 1] = assignment.param1;
    table[slot * 3 + 2] = assignment.param2;
    return true;
}

std::array<uint8_t, kMouseKeyButtons> BuildKeySlotMap(const uint8_t* table, size_t tableLength,
                                                      size_t slots) {
    std::array<uint8_t, kMouseKeyButtons> map;
    map.fill(kNoSlot);
    for (size_t key = 0; key < kMouseKeyButtons; ++key) {
        for (size_t slot = 0; slot < slots && slot * 3 + 3 <= tableLength && slot < kNoSlot;
             ++slot) {
            if (ReadKeySlot(table, tableLength, slot) == kMouseKeyIdentification[key]) {
                map[key] = static_cast<uint8_t>(slot);
                break;
            }
        }
    }
    return map;
}

}  // namespace q840::protocol
