#pragma once

// What a recording makes of the keys and mouse buttons the input hook reports: the filters that
// drop auto-repeat and repeated mouse messages, the table look-ups that turn an input into a
// step, and the delay a step gets.

#include <array>
#include <cstdint>
#include <optional>

#include "core/macro/MacroEvent.h"

namespace q840::macro {

// Where recorded steps go: at the end, before or after the selected step, or into the selected
// step (its key or button is replaced).
enum class RecordPosition { Append = 0, Before = 1, After = 2, Replace = 3 };
// The input hook's mode of a position (4, 8, 16, 32).
int HookModeOf(RecordPosition position);

// The most steps a recording makes; further input is dropped while it goes on.
inline constexpr int kMaxRecordedSteps = 58;

// A step made from one input, with the name key its row shows and whether it is a key step.
struct RecordedInput {
    MacroEvent step;
    const char* nameKey = nullptr;
    bool keyboard = false;
};

// The filters' memories, one keyboard and one mouse memory per position. They outlive a
// recording: a key still held when one recording stopped is a repeat to the next recording in
// the same position, until it is released.
class RecordFilters {
public:
    // The memories every editor of the process shares.
    static RecordFilters& Shared();

    // A key event (press or release, set-1 code and E0 flag); nullopt when it is auto-repeat
    // or a key the macro key table does not have.
    std::optional<RecordedInput> Key(RecordPosition position, bool press, uint32_t scanCode,
                                     bool extended);
    // A mouse message with the high half of its mouse data word; nullopt when it is not a
    // button the table knows, repeats the last accepted message of the position, or is a left
    // press or release on the stop button (`onStopButton`: the point lies on it).
    std::optional<RecordedInput> Mouse(RecordPosition position, uint32_t message,
                                       uint32_t extraButton, bool onStopButton);
    void Reset();

private:
    struct HeldKey {
        uint32_t scanCode;
        bool extended;
        bool operator==(const HeldKey&) const = default;
    };
    std::array<std::optional<HeldKey>, 4> m_keys;
    std::array<std::optional<uint32_t>, 4> m_mouse;
};

// Delay modes of a recording.
enum RecordDelayMode { kDelayRecorded = 1, kDelayConstant = 2, kDelayIgnored = 3 };

// The delay of an accepted input. Recorded: the time since `*lastTick` (which then becomes
// `now`), above 65534 counted as 65535; constant: `constantDelay`; ignored: 0.
int RecordedDelay(int delayMode, uint32_t now, uint32_t* lastTick, int constantDelay);

}  // namespace q840::macro
