#include "core/protocol/SettingsRead.h"

namespace q840::protocol {

int ReadCurrentSettingsBlock(CDeviceProtocol& protocol,
                             std::array<uint8_t, SettingsBlock::kSize>& block) {
    uint8_t profileIndex = 0;
    int result = protocol.ReadSettings(&profileIndex, 1, 0);
    if (result != kResultOk) {
        return result;
    }
    std::array<uint8_t, SettingsBlock::kSize> read{};
    result = protocol.ReadSettings(read.data(), int(read.size()),
                                   int(SettingsBlock::ProfileAddress(profileIndex)));
    if (result != kResultOk) {
        return result;
    }
    read[SettingsBlock::kOffProfileIndex] = profileIndex;
    block = read;
    return kResultOk;
}

}  // namespace q840::protocol
