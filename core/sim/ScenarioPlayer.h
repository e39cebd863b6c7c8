#pragma once

// Plays a scenario on a virtual bus. The player itself keeps no clock: AdvanceTo(t) plays every
// event due by t (since the start), so a test drives it step by step without waiting. The runner
// plays it against the real clock on a thread of its own, for the program's --scenario.

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>

#include "core/base/WorkerThread.h"
#include "core/sim/Scenario.h"
#include "core/sim/VirtualBus.h"

namespace q840::sim {

class ScenarioPlayer {
public:
    ScenarioPlayer(std::shared_ptr<VirtualBus> bus, Scenario scenario);

    // Plays, in order, every event due at or before `elapsed` that has not been played; returns
    // how many. A time earlier than the last one plays nothing.
    size_t AdvanceTo(std::chrono::milliseconds elapsed);
    // When the next event is due, since the start; nothing once a scenario without repeat has
    // played its last event.
    std::optional<std::chrono::milliseconds> NextDue() const;
    // Events played so far, all rounds together.
    size_t Played() const;

private:
    void Apply(const ScenarioEvent& event);
    std::optional<std::chrono::milliseconds> NextDueLocked() const;

    const std::shared_ptr<VirtualBus> m_bus;
    const Scenario m_scenario;
    mutable std::mutex m_mutex;
    int64_t m_round = 0;  // rounds of a repeated scenario played whole
    size_t m_next = 0;    // index of the next event in its round
    size_t m_played = 0;
};

class ScenarioRunner {
public:
    explicit ScenarioRunner(std::shared_ptr<ScenarioPlayer> player);
    ~ScenarioRunner();  // stops
    ScenarioRunner(const ScenarioRunner&) = delete;
    ScenarioRunner& operator=(const ScenarioRunner&) = delete;

    // Starts the clock now; the thread sleeps until each event is due. False if running.
    bool Start();
    // False when the thread did not end within its bounded wait (it is left to end alone).
    bool Stop();

private:
    std::shared_ptr<ScenarioPlayer> m_player;
    WorkerThread m_thread;
};

}  // namespace q840::sim
