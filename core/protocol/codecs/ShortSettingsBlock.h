#pragma once

// The settings block of the mouse pad and the headset: the page reads 45 bytes at
// profile index x 25, keeps the first 21 and writes 21 bytes at profile x 64. On the device byte 1
// is an effect code and byte 3 is 4 - speed; in the page byte 1 is the effect's position in the
// effect code list and byte 3 the speed. Bytes 4 and 9-20 go back exactly as they were read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace q840::protocol {

struct ShortSettingsBlock {
    static constexpr size_t kSize = 21;
    static constexpr int kReadLength = 45;
    static constexpr int kReadStride = 25;
    static constexpr int kWriteStride = 64;

    static constexpr size_t kOffProfileIndex = 0;
    static constexpr size_t kOffEffect = 1;
    static constexpr size_t kOffBrightness = 2;
    static constexpr size_t kOffSpeed = 3;
    static constexpr size_t kOffMultiColour = 5;
    static constexpr size_t kOffRed = 6;
    static constexpr size_t kOffGreen = 7;
    static constexpr size_t kOffBlue = 8;

    std::array<uint8_t, kSize> bytes{};  // the page's form

    // From the bytes read (at least 21 are used; fewer count as 0) and the profile index read
    // from address 0.
    static ShortSettingsBlock FromDevice(const uint8_t* read, size_t length, uint8_t profileIndex,
                                         const std::vector<int>& effectCodes);
    // The 21 bytes to write.
    std::array<uint8_t, kSize> ToDevice(const std::vector<int>& effectCodes) const;

    static constexpr int ReadAddress(int profileIndex) { return profileIndex * kReadStride; }
    static constexpr int WriteAddress(int profile) { return profile * kWriteStride; }
};

// Position of the first list entry equal to code; the code itself when none is.
uint8_t EffectPositionOf(uint8_t code, const std::vector<int>& effectCodes);
// The list entry at that position; the position itself when the list is shorter.
uint8_t EffectCodeAt(uint8_t position, const std::vector<int>& effectCodes);

}  // namespace q840::protocol
