#pragma once

// One step of a macro and its four-byte device record.
//
// A step in a macro file is an object {"Action", "Button", "Delay", "Type"}:
//   Type 9   modifier key     Button = modifier bit (0x01 left Ctrl ... 0x80 right Windows)
//   Type 10  keyboard key     Button = keyboard usage (0x04 = A ...)
//   Type 1   mouse button     Button = 1 left, 2 right, 4 middle, 8 back, 16 forward
//   Type 4   horizontal move  Button = distance; "down" moves left, "up" right
//   Type 5   vertical move    Button = distance; "down" moves up, "up" down
//   Types 2 and 3 are kept as read; the editor never makes them.
// "Action" is "down" for a press; any other text counts as a release. "Delay" is the pause after
// the step in milliseconds, written as decimal text; readers take an integer as well.

#include <json/value.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/protocol/codecs/EventArea.h"

namespace q840::macro {

enum MacroStepType : int {
    kStepMouseButton = 1,
    kStepMoveHorizontal = 4,
    kStepMoveVertical = 5,
    kStepModifierKey = 9,
    kStepKey = 10,
};

// The longest pause one step carries (the device record holds 16 bits).
inline constexpr int kMaxStepDelay = 65535;

struct MacroEvent {
    std::string action = "up";  // "Action" as stored
    int button = 0;             // "Button"
    int type = 0;               // "Type"
    std::string delay = "0";    // "Delay" as decimal text

    bool IsDown() const { return action == "down"; }
    bool operator==(const MacroEvent&) const = default;

    // The object stored in a macro file ("Delay" written as text).
    Json::Value ToJson() const;
    // A step read from a file or from an editor row: an object whose "Button" and "Type" are
    // integers (a number with a fraction or out of the int range is not a step). "Action" other
    // than text counts as "up"; "Delay" may be text or an integer, anything else counts as "0".
    static std::optional<MacroEvent> FromJson(const Json::Value& step);
};

// A delay text as a number: optional sign, then the digits up to the first other character
// (leading white space skipped); no digits gives 0. Saturates instead of overflowing.
long long ParseDelay(std::string_view text);
// The delay an editor row shows for a stored delay text: ParseDelay limited to 0..65535.
int ShownDelay(std::string_view text);
// The canonical text a save stores for a delay field: ParseDelay's value as decimal text, with
// an empty field counted as "0".
std::string CanonicalDelay(std::string_view text);

// The step as the device plays it: the delay truncated to 16 bits (the low bits of a negative
// delay), type and button truncated to a byte, "down" as the press flag.
protocol::MacroStep ToMacroStep(const MacroEvent& event);

// Device record: delay low byte, delay high byte (the delay truncated to 16 bits), the type with
// bit 7 set for "down", the button. A press of A after 35 ms is 23 00 8A 04.
std::array<uint8_t, 4> EncodeMacroEvent(const MacroEvent& event);

}  // namespace q840::macro
