#include "core/macro/MacroRecorder.h"

#include "core/keys/KeyTables.h"

namespace q840::macro {

namespace {

constexpr uint32_t kExtraDown = 0x20B;
constexpr uint32_t kExtraUp = 0x20C;
constexpr uint32_t kLeftDown = 0x201;
constexpr uint32_t kLeftUp = 0x202;
constexpr uint16_t kExtraForwardButton = 2;
constexpr uint16_t kExtraBackButton = 1;
constexpr int kKeyStepType = kStepKey;
constexpr int kModifierStepType = kStepModifierKey;

size_t Slot(RecordPosition position) {
    return static_cast<size_t>(position);
}

// The row of the mouse event table for a message; -1 for none.
int MouseRow(uint32_t message, uint32_t extraButton) {
    if (message == kExtraDown || message == kExtraUp) {
        const int press = message == kExtraDown ? 0 : 1;
        if (extraButton == kExtraForwardButton) {
            return 6 + press;
        }
        if (extraButton == kExtraBackButton) {
            return 8 + press;
        }
        return -1;
    }
    for (int row = 0; row < 6; ++row) {
        if (keys::kMouseEventTable[size_t(row)].message == message) {
            return row;
        }
    }
    return -1;
}

}  // namespace

int HookModeOf(RecordPosition position) {
    return 4 << static_cast<int>(position);
}

RecordFilters& RecordFilters::Shared() {
    static RecordFilters filters;
    return filters;
}

void RecordFilters::Reset() {
    m_keys = {};
    m_mouse = {};
}

std::optional<RecordedInput> RecordFilters::Key(RecordPosition position, bool press,
                                                uint32_t scanCode, bool extended) {
    std::optional<HeldKey>& held = m_keys[Slot(position)];
    const HeldKey key{scanCode, extended};
    if (press) {
        if (held == key) {
            return std::nullopt;  // the key is held: auto-repeat
        }
        held = key;
    } else if (held == key) {
        held.reset();
    }
    const int row = scanCode <= 0xFF ? keys::FindKeyByScanCode(uint8_t(scanCode), extended) : -1;
    if (row < 0) {
        return std::nullopt;
    }
    const keys::MacroKeyRow& entry = keys::kMacroKeyTable[size_t(row)];
    RecordedInput input;
    input.keyboard = true;
    input.nameKey = entry.nameKey;
    input.step.action = press ? "down" : "up";
    if (entry.usage != 0) {
        input.step.button = entry.usage;
        input.step.type = kKeyStepType;
    } else {
        input.step.button = entry.modifier;
        input.step.type = kModifierStepType;
    }
    return input;
}

std::optional<RecordedInput> RecordFilters::Mouse(RecordPosition position, uint32_t message,
                                                  uint32_t extraButton, bool onStopButton) {
    const int row = MouseRow(message, extraButton);
    if (row < 0) {
        return std::nullopt;
    }
    const keys::MouseEventRow& entry = keys::kMouseEventTable[size_t(row)];
    std::optional<uint32_t>& last = m_mouse[Slot(position)];
    if (last == entry.message) {
        return std::nullopt;
    }
    last = entry.message;
    // The click that stops the recording is not part of it (a right click there is).
    if ((message == kLeftDown || message == kLeftUp) && onStopButton) {
        return std::nullopt;
    }
    RecordedInput input;
    input.nameKey = entry.nameKey;
    input.step.button = entry.button;
    input.step.type = entry.type & ~keys::kStepDownBit;
    input.step.action = (entry.type & keys::kStepDownBit) != 0 ? "down" : "up";
    return input;
}

int RecordedDelay(int delayMode, uint32_t now, uint32_t* lastTick, int constantDelay) {
    switch (delayMode) {
        case kDelayRecorded: {
            const uint32_t elapsed = now - *lastTick;  // the tick count wraps after 49 days
            *lastTick = now;
            return elapsed > 65534 ? kMaxStepDelay : int(elapsed);
        }
        case kDelayConstant:
            return constantDelay;
        default:
            return 0;
    }
}

}  // namespace q840::macro
