#pragma once

// What the devices' settings blocks say, in the units the program shows: DPI through the
// sensor's formulas, report rate in Hz, debounce in ms, sleep times in minutes, the light effect
// by name. The same lines serve the text output and the comparison of a block read back with the
// block written.

#include <json/value.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/protocol/codecs/ShortSettingsBlock.h"
#include "ctl/CtlEffects.h"

namespace q840::ctl {

struct ReadingLine {
    std::string label;
    std::string value;
};

// The DPI number a stored X or Y value of a stage stands for with the mouse's sensor.
int StageDpi(const protocol::InfoRecord& info, uint16_t stored);

// The mouse's block, one line per setting in the order the program's pages show them.
std::vector<ReadingLine> MouseSettingLines(const protocol::InfoRecord& info,
                                           const protocol::SettingsBlock& block,
                                           const EffectNames& effects);
Json::Value MouseSettingsJson(const protocol::InfoRecord& info,
                              const std::array<uint8_t, protocol::SettingsBlock::kSize>& bytes,
                              const EffectNames& effects);
// The block as the device holds it: indexes and codes (q840ctl settings --raw).
void PrintRawMouseSettings(const protocol::SettingsBlock& block, std::ostream& out);

// The short block of the mouse pad and the headset (its page form: effect as a list position).
std::vector<ReadingLine> ShortSettingLines(const protocol::ShortSettingsBlock& block,
                                           const EffectNames& effects);
// `read`: the bytes as the device holds them (effect code, 4 - speed).
Json::Value ShortSettingsJson(const protocol::ShortSettingsBlock& block,
                              const std::array<uint8_t, protocol::ShortSettingsBlock::kSize>& read,
                              const EffectNames& effects);
void PrintRawShortSettings(const std::array<uint8_t, protocol::ShortSettingsBlock::kSize>& read,
                           std::ostream& out);

// What differs between a block written and the block read back, in units ("report rate: wrote
// 500 Hz, the mouse holds 1000 Hz"); byte by byte where the units show no difference.
std::string DescribeDifference(const protocol::InfoRecord& info,
                               const std::array<uint8_t, protocol::SettingsBlock::kSize>& written,
                               const std::array<uint8_t, protocol::SettingsBlock::kSize>& readBack,
                               const EffectNames& effects);

}  // namespace q840::ctl
