#pragma once

// The mouse's settings between its profile and its settings block: the one place that says which
// profile value goes into which block field, and which fields a read of the block takes back into
// the profile. The mouse page and q840ctl both write and read the mouse through these.

#include <array>
#include <cstdint>
#include <vector>

#include "core/profile/CMouseProfiledata.h"
#include "core/profile/LightSetting.h"
#include "core/protocol/codecs/SettingsBlock.h"

namespace q840::session {

// The block the profile describes, with byte 0 = profileIndexByte: "LightInfo" (speed held to
// 0-4, effects from 12 on written as 0), the profile's DPI stages (at most seven, X in the form
// of `sensorId`, Y as stored), the active stage and the report, sensor, sleep and debounce values.
// Stages the profile does not have, and bytes no value names, are 0.
std::array<uint8_t, protocol::SettingsBlock::kSize> BuildMouseSettingsBlock(
    const profile::CMouseProfiledata& data, uint16_t sensorId, uint8_t profileIndexByte);

// The block's light record with the device's effect code turned into the position of the first
// equal entry of `effectCodes` (the "value" list of the built-in effects); a code found nowhere
// stays as it is.
profile::LightSetting LightFromBlock(const protocol::SettingsBlock& block,
                                     const std::vector<int>& effectCodes);

// Takes into the profile what a read of the block takes back: the light fields marked so (from
// `fromMouse`, LightFromBlock's record), the report rate, the sleep times, the debounce time,
// linear correction, ripple control and the active DPI stage. Lift-off, the direction and the
// DPI stages stay as the profile has them. Nothing is saved.
void TakeBackIntoProfile(profile::CMouseProfiledata& data, const protocol::SettingsBlock& block,
                         const profile::LightSetting& fromMouse);

}  // namespace q840::session
