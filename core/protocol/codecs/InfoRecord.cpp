#include "core/protocol/codecs/InfoRecord.h"

#include <algorithm>

namespace q840::protocol {

namespace {
uint16_t Le16(const std::array<uint8_t, InfoRecord::kSize>& b, size_t offset) {
    return static_cast<uint16_t>(b[offset] | (b[offset + 1] << 8));
}
void PutLe16(std::array<uint8_t, InfoRecord::kSize>& b, size_t offset, uint16_t value) {
    b[offset] = static_cast<uint8_t>(value & 0xFF);
    b[offset + 1] = static_cast<uint8_t>(value >> 8);
}
}  // namespace

InfoRecord InfoRecord::Decode(const uint8_t* bytes, size_t length) {
    InfoRecord r;
    if (bytes) {
        std::copy_n(bytes, std::min(length, kSize), r.raw.begin());
    }
    r.signature = Le16(r.raw, kOffSignature);
    r.keySlots = r.raw[kOffKeySlots];
    r.macroCapacity = r.raw[kOffMacroCapacity];
    r.state = r.raw[kOffState];
    r.sensorId = Le16(r.raw, kOffSensor);
    r.dpiStep = r.raw[kOffDpiStep];
    r.sliderMaxPlus10 = Le16(r.raw, kOffSliderMaxPlus10);
    r.dpiBase = Le16(r.raw, kOffDpiBase);
    return r;
}

std::array<uint8_t, InfoRecord::kSize> InfoRecord::Encode() const {
    std::array<uint8_t, kSize> b = raw;
    PutLe16(b, kOffSignature, signature);
    b[kOffKeySlots] = keySlots;
    b[kOffMacroCapacity] = macroCapacity;
    b[kOffState] = state;
    PutLe16(b, kOffSensor, sensorId);
    b[kOffDpiStep] = dpiStep;
    PutLe16(b, kOffSliderMaxPlus10, sliderMaxPlus10);
    PutLe16(b, kOffDpiBase, dpiBase);
    return b;
}

}  // namespace q840::protocol
