#pragma once

// The mouse's current settings block, read the one way the page and q840ctl both use.

#include <array>
#include <cstdint>

#include "core/protocol/CDeviceProtocol.h"
#include "core/protocol/codecs/SettingsBlock.h"

namespace q840::protocol {

// Reads byte 0 of the settings area (the index of the mouse's current profile), then that
// profile's block at index x 128. The whole byte is the index: an index the mouse has no block
// for fails the read instead of reading another profile's block. Byte 0 of `block` becomes the
// index. kResultOk, or the result of the read that failed (`block` is then unchanged).
int ReadCurrentSettingsBlock(CDeviceProtocol& protocol,
                             std::array<uint8_t, SettingsBlock::kSize>& block);

}  // namespace q840::protocol
