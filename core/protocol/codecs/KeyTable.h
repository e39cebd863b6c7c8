#pragma once

// The mouse's key table (3 bytes per device key slot) and the assignments that identify its keys.

#include <array>
#include <cstddef>
#include <cstdint>

namespace q840::protocol {

// One key assignment: function group (type) and two parameters, sent in that order. As one
// number: (type << 16) + (param1 << 8) + param2.
struct KeyAssignment {
    uint8_t type = 0;
    uint8_t param1 = 0;
    uint8_t param2 = 0;

    constexpr uint32_t Code() const { return (uint32_t(type) << 16) | (param1 << 8) | param2; }
    static constexpr KeyAssignment FromCode(uint32_t code) {
        return {uint8_t((code >> 16) & 0xFF), uint8_t((code >> 8) & 0xFF), uint8_t(code & 0xFF)};
    }
    // Types 0x70 and 0x71 play a macro; param1 is its position in the macro area.
    constexpr bool IsMacro() const { return type == 0x70 || type == 0x71; }
    friend constexpr bool operator==(const KeyAssignment&, const KeyAssignment&) = default;
};

constexpr size_t kMouseKeyButtons = 11;
constexpr uint8_t kNoSlot = 170;  // key button without a device slot
constexpr size_t kKeyTableBufferSize = 512;

// The factory assignment of each key button's physical key, in key button order: the mouse
// page finds a key's slot by looking for it in the key table as read.
constexpr std::array<KeyAssignment, kMouseKeyButtons> kMouseKeyIdentification = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x01, 0x00},
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};

// The assignment in a slot; zero when the slot lies outside the table.
KeyAssignment ReadKeySlot(const uint8_t* table, size_t tableLength, size_t slot);
// False (nothing written) when the slot lies outside the table.
bool WriteKeySlot(uint8_t* table, size_t tableLength, size_t slot, KeyAssignment assignment);

// Key button -> device slot: for each key button the first of the first `slots` slots holding
// its identification assignment, kNoSlot when none does. Slots beyond the table are ignored.
std::array<uint8_t, kMouseKeyButtons> BuildKeySlotMap(const uint8_t* table, size_t tableLength,
                                                      size_t slots);

}  // namespace q840::protocol
