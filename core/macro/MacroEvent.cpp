#include "core/macro/MacroEvent.h"

#include <algorithm>
#include <limits>

#include "core/profile/JsonAccess.h"

namespace q840::macro {

namespace json = profile::json;

Json::Value MacroEvent::ToJson() const {
    Json::Value step(Json::objectValue);
    step["Action"] = action;
    step["Button"] = button;
    step["Delay"] = delay;
    step["Type"] = type;
    return step;
}

std::optional<MacroEvent> MacroEvent::FromJson(const Json::Value& step) {
    if (!step.isObject()) {
        return std::nullopt;
    }
    // isInt() also takes a real without a fraction (4.0), which some editors write.
    const Json::Value& button = json::Member(step, "Button");
    const Json::Value& type = json::Member(step, "Type");
    if (!button.isInt() || !type.isInt()) {
        return std::nullopt;
    }
    MacroEvent event;
    event.button = button.asInt();
    event.type = type.asInt();
    const Json::Value& action = json::Member(step, "Action");
    event.action = action.isString() ? action.asString() : std::string("up");
    // Recording writes the first step's delay as the integer 0; everything else writes text.
    // A delay of another kind stays at "0".
    const Json::Value& delay = json::Member(step, "Delay");
    if (delay.isString()) {
        event.delay = delay.asString();
    } else if (delay.isInt64()) {
        event.delay = std::to_string(delay.asInt64());
    } else if (delay.isUInt64()) {
        event.delay = std::to_string(delay.asUInt64());
    }
    return event;
}

long long ParseDelay(std::string_view text) {
    size_t i = 0;
    const auto space = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (i < text.size() && space(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a negative number, whose range is one larger, so that the smallest value
    // needs no special case.
    constexpr long long kMin = std::numeric_limits<long long>::min();
    long long value = 0;
    bool saturated = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (saturated) {
            continue;
        }
        if (value < (kMin + digit) / 10) {
            saturated = true;
            value = kMin;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative) {
        return value;
    }
    return value == kMin ? std::numeric_limits<long long>::max() : -value;
}

int ShownDelay(std::string_view text) {
    return static_cast<int>(std::clamp<long long>(ParseDelay(text), 0, kMaxStepDelay));
}

std::string CanonicalDelay(std::string_view text) {
    return std::to_string(ParseDelay(text));
}

protocol::MacroStep ToMacroStep(const MacroEvent& event) {
    protocol::MacroStep step;
    // Converting to unsigned keeps the low bits of a negative delay, as the device expects of a
    // 16-bit field.
    step.delay = static_cast<uint16_t>(static_cast<unsigned long long>(ParseDelay(event.delay)));
    step.type = static_cast<uint8_t>(event.type);
    step.down = event.IsDown();
    step.button = static_cast<uint8_t>(event.button);
    return step;
}

std::array<uint8_t, 4> EncodeMacroEvent(const MacroEvent& event) {
    return protocol::EncodeMacroStep(ToMacroStep(event));
}

}  // namespace q840::macro
