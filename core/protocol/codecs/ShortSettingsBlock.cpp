#include "core/protocol/codecs/ShortSettingsBlock.h"

#include <algorithm>

namespace q840::protocol {

namespace {
constexpr int kSpeedMax = 4;
}

uint8_t EffectPositionOf(uint8_t code, const std::vector<int>& effectCodes) {
    const auto it = std::find(effectCodes.begin(), effectCodes.end(), int(code));
    return it == effectCodes.end() ? code : static_cast<uint8_t>(it - effectCodes.begin());
}

uint8_t EffectCodeAt(uint8_t position, const std::vector<int>& effectCodes) {
    return position < effectCodes.size() ? static_cast<uint8_t>(effectCodes[position]) : position;
}

ShortSettingsBlock ShortSettingsBlock::FromDevice(const uint8_t* read, size_t length,
                                                  uint8_t profileIndex,
                                                  const std::vector<int>& effectCodes) {
    ShortSettingsBlock b;
    if (read) {
        std::copy_n(read, std::min(length, kSize), b.bytes.begin());
    }
    b.bytes[kOffProfileIndex] = profileIndex;
    b.bytes[kOffEffect] = EffectPositionOf(b.bytes[kOffEffect], effectCodes);
    b.bytes[kOffSpeed] = static_cast<uint8_t>(kSpeedMax - b.bytes[kOffSpeed]);
    return b;
}

std::array<uint8_t, ShortSettingsBlock::kSize> ShortSettingsBlock::ToDevice(
    const std::vector<int>& effectCodes) const {
    std::array<uint8_t, kSize> out = bytes;
    out[kOffEffect] = EffectCodeAt(bytes[kOffEffect], effectCodes);
    out[kOffSpeed] = static_cast<uint8_t>(kSpeedMax - bytes[kOffSpeed]);
    return out;
}

}  // namespace q840::protocol
