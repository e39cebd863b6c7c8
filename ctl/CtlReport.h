#pragma once

// The readings of q840ctl as JSON reports and their text: the same report whether q840ctl read
// the device itself or the running program read it for q840ctl (the program builds its answers
// on the control interface with these functions), so a script sees one schema either way.

#include <json/value.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "ctl/CtlEffects.h"

namespace q840::ctl {

// The "device" member: kind, name, receiver, vendorId, productId, path. `typeCode` is the
// interface's type code (2 the mouse by cable, 6 through its receiver, ...).
Json::Value DeviceJson(uint16_t typeCode, uint16_t vendorId, uint16_t productId,
                       const std::string& path);
// "device: mouse through its receiver (0x320F:0x226F) on PATH"
void PrintHeader(const Json::Value& device, std::ostream& out);

// `info`: the information record.
Json::Value InfoReport(const Json::Value& device, const protocol::InfoRecord& info);
void PrintInfoReport(const Json::Value& report, std::ostream& out);

// `settings` of the mouse: the block with its units, "bytes" and "infoBytes" (the information
// record the units come from).
Json::Value MouseSettingsReport(const Json::Value& device, const protocol::InfoRecord& info,
                                const std::array<uint8_t, protocol::SettingsBlock::kSize>& block,
                                const EffectNames& effects);
// False when the report does not hold a block and a record.
bool PrintMouseSettingsReport(const Json::Value& report, bool raw, const EffectNames& effects,
                              std::ostream& out);

// `battery`: the two status bytes (percent, charge state).
Json::Value BatteryReport(const Json::Value& device, uint8_t percent, uint8_t charge);
void PrintBatteryReport(const Json::Value& report, std::ostream& out);

// Bytes written by HexBytes (two hexadecimal digits each, separated by white space); false on
// anything else.
bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes);

// A report as the running program sends it over the bus (JSON text): false unless it is one JSON
// object. Never throws (the JSON reader throws on nesting deeper than it follows).
bool ParseReportText(const std::string& text, Json::Value* report);

}  // namespace q840::ctl
