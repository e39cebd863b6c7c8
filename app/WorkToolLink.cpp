#include "app/WorkToolLink.h"

#include <algorithm>

#include "core/catalogue/Catalogue.h"

namespace q840 {

std::array<int32_t, 256> BuildWorkToolReply() {
    std::array<int32_t, 256> block{};
    block[0] = 2;
    block[1] = 3;
    block[2] = 0;
    block[3] = 2;
    const auto& types = catalogue::kDeviceTypeTable;
    block[4] = static_cast<int32_t>(types.size());
    size_t at = 5;
    for (const auto& row : types) {
        block[at++] = row.vendorId;
        block[at++] = row.productId;
        block[at++] = row.typeCode;
    }
    return block;
}

int WorkToolBuffers::Store(const COPYDATASTRUCT& data) {
    if (data.cbData == 0 || data.lpData == nullptr) {
        return 0;
    }
    if (data.dwData == 1) {
        std::memcpy(levels.data(), data.lpData, std::min<size_t>(data.cbData, sizeof(levels)));
        return 1;
    }
    if (data.dwData == 2) {
        std::memcpy(command.data(), data.lpData, std::min<size_t>(data.cbData, sizeof(command)));
        return 2;
    }
    return 0;
}

}  // namespace q840
