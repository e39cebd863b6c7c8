#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "core/base/Win32Types.h"

namespace q840 {

// The reply to the WorkTool query: 256 signed 32-bit values (1024 bytes), zero where unused:
// 2, 3, 0, 2, the number of device-type records of the catalogue, then vendor id, product id and
// type code of each record in record order. Sent with copy data, dwData 5.
constexpr uint64_t kWorkToolReplyDataId = 5;
std::array<int32_t, 256> BuildWorkToolReply();

// The buffers copy data from the WorkTool fills: dwData 1 = audio levels (2000 bytes, 500 values),
// dwData 2 = a command (24 bytes). A payload longer than its buffer is cut to the buffer, never
// written past it; an empty payload or another dwData changes nothing.
struct WorkToolBuffers {
    std::array<int32_t, 500> levels{};
    std::array<uint8_t, 24> command{};

    // Which buffer took the payload: 1, 2, or 0 when it was ignored.
    int Store(const COPYDATASTRUCT& data);
};

}  // namespace q840
