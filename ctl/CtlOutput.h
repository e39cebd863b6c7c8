#pragma once

// How q840ctl writes numbers, bytes, colours and JSON.

#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace q840::ctl {

// "0x320F": `digits` upper-case hexadecimal digits at least.
std::string Hex(unsigned value, int digits);
// Bytes as two lower-case digits each, separated by spaces; with `wrap`, 16 to a line, the
// following lines indented to line up after "bytes: ".
std::string HexBytes(const uint8_t* bytes, size_t length, bool wrap = true);
// "#RRGGBB".
std::string ColourText(uint8_t red, uint8_t green, uint8_t blue);
// One JSON object on one line (members in ascending key order, UTF-8 as it is), for scripts and
// jq.
void WriteJson(std::ostream& out, const Json::Value& value);
// The one error line of q840ctl ("q840ctl: " + text) on `err`; gives `code` back.
int Fail(std::ostream& err, int code, const std::string& text);

}  // namespace q840::ctl
