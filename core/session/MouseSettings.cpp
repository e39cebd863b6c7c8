#include "core/session/MouseSettings.h"

#include <algorithm>

#include "core/protocol/codecs/ShortSettingsBlock.h"

namespace q840::session {

using protocol::SettingsBlock;

std::array<uint8_t, SettingsBlock::kSize> BuildMouseSettingsBlock(
    const profile::CMouseProfiledata& data, uint16_t sensorId, uint8_t profileIndexByte) {
    SettingsBlock b;
    b.profileIndex = profileIndexByte;
    b.light = data.GetLightSetting();  // the block encoder writes effects of 12 and above as 0
    // The device stores 4 - speed; a stray profile value must not wrap around.
    b.light.speed = uint8_t(std::clamp(int(b.light.speed), 0, int(profile::kBlockSpeedMax)));
    const profile::MouseSystemSettings& sys = data.GetSystemSettings();
    b.reportRate = uint8_t(sys.reportRate);
    b.activeStage = uint8_t(data.GetActiveDpiStage());
    const auto& stages = data.GetDpiStages();
    for (size_t i = 0; i < stages.size() && i < SettingsBlock::kStageCount; ++i) {
        protocol::DpiStage& d = b.stages[i];
        d.enabled = stages[i].enabled != 0;
        d.separateXY = stages[i].separateXY != 0;
        d.SetIndex(sensorId, stages[i].dpiX);
        d.y = stages[i].dpiY;
        d.red = stages[i].red;
        d.green = stages[i].green;
        d.blue = stages[i].blue;
    }
    b.bleSleep1 = uint8_t(sys.bleSleep1);
    b.bleSleep2 = uint8_t(sys.bleSleep2);
    b.deviceSleep1 = uint8_t(sys.deviceSleep1);
    b.deviceSleep2 = uint8_t(sys.deviceSleep2);
    b.keyDebounce = uint8_t(sys.keyDebounceTime);
    b.liftOff = uint8_t(sys.silentAltitude);
    b.linearCorrection = uint8_t(sys.linearCalibration);
    b.ripple = uint8_t(sys.ripple);
    return b.Encode();
}

profile::LightSetting LightFromBlock(const SettingsBlock& block,
                                     const std::vector<int>& effectCodes) {
    // The device speaks effect codes; the profile and the lighting editor effect positions.
    profile::LightSetting light = block.light;
    light.effect = protocol::EffectPositionOf(block.light.effect, effectCodes);
    return light;
}

void TakeBackIntoProfile(profile::CMouseProfiledata& data, const SettingsBlock& block,
                         const profile::LightSetting& fromMouse) {
    data.WriteLightSetting(profile::TakeBackFromBlock(data.GetLightSetting(), fromMouse));
    profile::MouseSystemSettings sys = data.GetSystemSettings();
    sys.reportRate = block.reportRate;
    sys.bleSleep1 = block.bleSleep1;
    sys.bleSleep2 = block.bleSleep2;
    sys.deviceSleep1 = block.deviceSleep1;
    sys.deviceSleep2 = block.deviceSleep2;
    sys.keyDebounceTime = block.keyDebounce;
    sys.linearCalibration = block.linearCorrection;
    sys.ripple = block.ripple;
    data.WriteSystemSettings(sys);
    data.SetActiveDpiStage(block.activeStage);
}

}  // namespace q840::session
