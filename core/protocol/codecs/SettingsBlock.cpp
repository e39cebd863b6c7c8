#include "core/protocol/codecs/SettingsBlock.h"

#include <algorithm>

namespace q840::protocol {

namespace {
constexpr size_t kStageEnabled = 0;
constexpr size_t kStageXY = 1;
constexpr size_t kStageX = 2;
constexpr size_t kStageY = 4;
constexpr size_t kStageRed = 6;
constexpr size_t kStageGreen = 7;
constexpr size_t kStageBlue = 8;
}  // namespace

void DpiStage::SetIndex(uint16_t sensorId, uint16_t index) {
    if (sensorId == 0x8925) {
        const uint8_t low = static_cast<uint8_t>(index & 0xFF);
        x = static_cast<uint16_t>(low | (low << 8));
    } else {
        x = index;
    }
}

uint16_t DpiStage::IndexOf(uint16_t sensorId, uint16_t value) {
    return sensorId == 0x8925 ? uint16_t(value & 0xFF) : value;
}

SettingsBlock SettingsBlock::Decode(const uint8_t* bytes, size_t length) {
    std::array<uint8_t, kSize> b{};
    if (bytes) {
        std::copy_n(bytes, std::min(length, kSize), b.begin());
    }
    SettingsBlock s;
    s.profileIndex = b[kOffProfileIndex];
    s.light = profile::DecodeLightBytes(b.data());
    s.reportRate = b[kOffReportRate];
    s.activeStage = b[kOffActiveStage];
    for (size_t i = 0; i < kStageCount; ++i) {
        const uint8_t* st = b.data() + kOffStages + i * DpiStage::kSize;
        DpiStage& d = s.stages[i];
        d.enabled = st[kStageEnabled] != 0;
        d.separateXY = st[kStageXY] != 0;
        d.x = static_cast<uint16_t>(st[kStageX] | (st[kStageX + 1] << 8));
        d.y = static_cast<uint16_t>(st[kStageY] | (st[kStageY + 1] << 8));
        d.red = st[kStageRed];
        d.green = st[kStageGreen];
        d.blue = st[kStageBlue];
    }
    s.bleSleep1 = b[kOffBleSleep1];
    s.bleSleep2 = b[kOffBleSleep2];
    s.deviceSleep1 = b[kOffDeviceSleep1];
    s.deviceSleep2 = b[kOffDeviceSleep2];
    s.keyDebounce = b[kOffKeyDebounce];
    s.liftOff = b[kOffLiftOff];
    s.linearCorrection = b[kOffLinearCorrection];
    s.ripple = b[kOffRipple];
    return s;
}

std::array<uint8_t, SettingsBlock::kSize> SettingsBlock::Encode() const {
    std::array<uint8_t, kSize> b{};
    b[kOffProfileIndex] = profileIndex;
    profile::EncodeLightBytes(light, b.data());
    b[kOffReportRate] = reportRate;
    b[kOffActiveStage] = activeStage;
    for (size_t i = 0; i < kStageCount; ++i) {
        uint8_t* st = b.data() + kOffStages + i * DpiStage::kSize;
        const DpiStage& d = stages[i];
        st[kStageEnabled] = d.enabled ? 1 : 0;
        st[kStageXY] = d.separateXY ? 1 : 0;
        st[kStageX] = static_cast<uint8_t>(d.x & 0xFF);
        st[kStageX + 1] = static_cast<uint8_t>(d.x >> 8);
        st[kStageY] = static_cast<uint8_t>(d.y & 0xFF);
        st[kStageY + 1] = static_cast<uint8_t>(d.y >> 8);
        st[kStageRed] = d.red;
        st[kStageGreen] = d.green;
        st[kStageBlue] = d.blue;
    }
    b[kOffBleSleep1] = bleSleep1;
    b[kOffBleSleep2] = bleSleep2;
    b[kOffDeviceSleep1] = deviceSleep1;
    b[kOffDeviceSleep2] = deviceSleep2;
    b[kOffKeyDebounce] = keyDebounce;
    b[kOffLiftOff] = liftOff;
    b[kOffLinearCorrection] = linearCorrection;
    b[kOffRipple] = ripple;
    return b;
}

}  // namespace q840::protocol
