#include "core/protocol/codecs/EventArea.h"

namespace q840::protocol {

namespace {
constexpr size_t kHeaderSize = 16;
constexpr size_t kOffSize = 2;
constexpr size_t kOffCount = 4;
constexpr size_t kRecordHeader = 4;
constexpr size_t kStepSize = 4;
constexpr uint8_t kDownFlag = 0x80;

void PutLe16(std::vector<uint8_t>& b, size_t offset, size_t value) {
    b[offset] = static_cast<uint8_t>(value & 0xFF);
    b[offset + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}
size_t Le16(const uint8_t* b, size_t offset) {
    return b[offset] | (b[offset + 1] << 8);
}
}  // namespace

std::array<uint8_t, 4> EncodeMacroStep(const MacroStep& step) {
    return {static_cast<uint8_t>(step.delay & 0xFF), static_cast<uint8_t>(step.delay >> 8),
            static_cast<uint8_t>(step.type | (step.down ? kDownFlag : 0)), step.button};
}

MacroStep DecodeMacroStep(const uint8_t* bytes) {
    MacroStep s;
    s.delay = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    s.type = bytes[2] & ~kDownFlag;
    s.down = (bytes[2] & kDownFlag) != 0;
    s.button = bytes[3];
    return s;
}

size_t EventAreaSize(const std::vector<size_t>& eventCounts) {
    size_t total = kHeaderSize;
    for (size_t n : eventCounts) {
        total += 2 + kRecordHeader + kStepSize * n;
    }
    return total;
}

std::vector<uint8_t> BuildEventArea(const std::vector<std::vector<MacroStep>>& records) {
    std::vector<size_t> counts;
    for (const auto& r : records) {
        counts.push_back(r.size());
    }
    const size_t total = EventAreaSize(counts);
    std::vector<uint8_t> area(total, 0);
    area[0] = 0xAA;
    area[1] = 0x55;
    PutLe16(area, kOffSize, total);
    PutLe16(area, kOffCount, records.size());
    size_t offset = kHeaderSize + 2 * records.size();
    for (size_t i = 0; i < records.size(); ++i) {
        PutLe16(area, kHeaderSize + 2 * i, offset);
        PutLe16(area, offset, records[i].size());
        offset += kRecordHeader;
        for (const MacroStep& step : records[i]) {
            const auto bytes = EncodeMacroStep(step);
            std::copy(bytes.begin(), bytes.end(), area.begin() + offset);
            offset += kStepSize;
        }
    }
    return area;
}

std::vector<std::vector<MacroStep>> ParseEventArea(const uint8_t* bytes, size_t length) {
    std::vector<std::vector<MacroStep>> records;
    if (!bytes || length < kHeaderSize || bytes[0] != 0xAA || bytes[1] != 0x55) {
        return {};
    }
    const size_t total = Le16(bytes, kOffSize);
    const size_t count = Le16(bytes, kOffCount);
    if (total > length || kHeaderSize + 2 * count > total) {
        return {};
    }
    for (size_t i = 0; i < count; ++i) {
        const size_t offset = Le16(bytes, kHeaderSize + 2 * i);
        if (offset + kRecordHeader > total) {
            return {};
        }
        const size_t n = Le16(bytes, offset);
        if (offset + kRecordHeader + n * kStepSize > total) {
            return {};
        }
        std::vector<MacroStep> steps;
        for (size_t k = 0; k < n; ++k) {
            steps.push_back(DecodeMacroStep(bytes + offset + kRecordHeader + k * kStepSize));
        }
        records.push_back(std::move(steps));
    }
    return records;
}

}  // namespace q840::protocol
