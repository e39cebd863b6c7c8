#pragma once

// What the user is shown for a key assignment code and for a macro step. Names are language keys
// (the language files translate them) except macro names and the "关闭" literal, which are shown
// as they stand.

#include <cstdint>
#include <string>
#include <vector>

namespace q840::keys {

// The name of an assignment code: either language keys whose texts are joined with "+" (one key
// for most codes; a modifier with a key gives several), or a literal shown unchanged, or nothing.
struct CodeName {
    std::vector<std::string> keys;
    std::string literal;
    bool isLiteral = false;

    bool HasName() const { return isLiteral || !keys.empty(); }
    bool operator==(const CodeName&) const = default;
};

// The name of an assignment code ((group << 16) | (byte 1 << 8) | byte 0, as
// KeyAssignment::Code() gives it). `macroNames` are the names of the macros in list order; a
// macro code (groups 0x70, 0x71) names the macro numbered by byte 1.
CodeName NameOfCode(uint32_t code, const std::vector<std::string>& macroNames);

// The display-name key of a macro step of `type` (9 modifier, 10 key, 1 mouse button, 4 and 5
// moves) with `button` and the press/release flag; nullptr when no table row names it.
const char* MacroStepNameKey(int type, int button, bool down);

}  // namespace q840::keys
