#pragma once

// A scenario: timed events that happen to the simulated devices (a channel unplugged and plugged
// again, the mouse falling asleep and waking, its battery draining or charging, replies failing
// for a few commands). The text form is documented in core/sim/README.md:
//
//     repeat 60s               # optional: the events play again every 60 s
//     10s   unplug receiver
//     +1s   plug receiver      # "+": after the previous event
//     30s   battery 15
//
// Parsing only reads the text; ScenarioPlayer applies the events to a bus.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace q840::sim {

enum class ScenarioAction {
    Plug,          // channel
    Unplug,        // channel
    Sleep,         // the mouse falls asleep: the receiver answers 0xAA for it
    Wake,          // and wakes again
    LinkDown,      // the mouse goes out of the receiver's range
    LinkUp,        // and comes back
    Battery,       // level (0-100 %), charging
    Fault,         // channel, fault, count
    ClearFaults,   // channel
    Event,         // code: the mouse sends it on its event interface
    SwitchProfile  // level holds the profile: what the mouse's profile button does
};

enum class ScenarioFault {
    NoReply,       // the next n commands get no reply
    WrongEcho,     // the next n replies carry a wrong byte 3
    StatusFF,      // the next n replies carry status 0xFF
    StatusFE,      // ... status 0xFE
    WriteTimeout,  // the next n writes are not taken
    LostWrites,    // the next n write commands are acknowledged and dropped
};

struct ScenarioEvent {
    std::chrono::milliseconds at{0};  // since the start of the scenario (of its round)
    ScenarioAction action = ScenarioAction::Event;
    std::string channel;  // "cable", "receiver", "pad", "headset"
    int value = 0;        // battery level, profile, event code
    bool charging = false;
    ScenarioFault fault = ScenarioFault::NoReply;
    int count = 1;  // commands a fault lasts; -1 until cleared
    int line = 0;   // where it stands in the text
};

struct Scenario {
    std::vector<ScenarioEvent> events;  // in time order
    // When not zero the events play again, round after round, every `repeat`.
    std::chrono::milliseconds repeat{0};
};

// Longest time a scenario may name (and its longest round).
inline constexpr std::chrono::milliseconds kScenarioMaxTime = std::chrono::hours(24 * 7);
// Largest scenario file LoadScenario reads.
inline constexpr size_t kScenarioMaxFileBytes = 1 << 20;

// False with `error` ("line 3: unknown event \"unplugg\"") on the first line it cannot take;
// `out` is left as it was then.
bool ParseScenario(const std::string& text, Scenario& out, std::string& error);
// The same from a file; a file that cannot be read (or is larger than kScenarioMaxFileBytes) is
// an error too.
bool LoadScenario(const std::string& path, Scenario& out, std::string& error);

// The event as a scenario line would name it ("unplug receiver", "battery 15 charging").
std::string DescribeEvent(const ScenarioEvent& event);

}  // namespace q840::sim
