#include "core/sim/ScenarioPlayer.h"

#include "core/base/DebugLine.h"

namespace q840::sim {

namespace {

constexpr int kRunnerStopWaitMs = 1000;

}  // namespace

ScenarioPlayer::ScenarioPlayer(std::shared_ptr<VirtualBus> bus, Scenario scenario)
    : m_bus(std::move(bus)), m_scenario(std::move(scenario)) {}

std::optional<std::chrono::milliseconds> ScenarioPlayer::NextDueLocked() const {
    if (m_scenario.events.empty()) {
        return std::nullopt;
    }
    if (m_next < m_scenario.events.size()) {
        return m_scenario.repeat * m_round + m_scenario.events[m_next].at;
    }
    if (m_scenario.repeat.count() == 0) {
        return std::nullopt;
    }
    return m_scenario.repeat * (m_round + 1) + m_scenario.events.front().at;
}

std::optional<std::chrono::milliseconds> ScenarioPlayer::NextDue() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return NextDueLocked();
}

size_t ScenarioPlayer::Played() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_played;
}

size_t ScenarioPlayer::AdvanceTo(std::chrono::milliseconds elapsed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t played = 0;
    for (;;) {
        const auto due = NextDueLocked();
        if (!due || *due > elapsed) {
            break;
        }
        if (m_next >= m_scenario.events.size()) {
            ++m_round;
            m_next = 0;
        }
        Apply(m_scenario.events[m_next]);
        ++m_next;
        ++played;
    }
    m_played += played;
    return played;
}

void ScenarioPlayer::Apply(const ScenarioEvent& e) {
    DebugLine("simulator: scenario line %d: %s", e.line, DescribeEvent(e).c_str());
    const std::shared_ptr<VirtualPeripheral> mouse = m_bus->Mouse();
    const std::shared_ptr<VirtualHidDevice> device =
        e.channel.empty() ? nullptr : m_bus->Find(e.channel);
    switch (e.action) {
        case ScenarioAction::Plug:
            if (device) {
                m_bus->Plug(device);
            }
            break;
        case ScenarioAction::Unplug:
            if (device) {
                m_bus->Unplug(device);
            }
            break;
        case ScenarioAction::Sleep:
        case ScenarioAction::Wake:
            if (mouse) {
                mouse->SetAsleep(e.action == ScenarioAction::Sleep);
            }
            break;
        case ScenarioAction::LinkDown:
        case ScenarioAction::LinkUp:
            if (mouse) {
                mouse->SetLinkUp(e.action == ScenarioAction::LinkUp);
            }
            break;
        case ScenarioAction::Battery:
            if (mouse) {
                mouse->SetBattery(uint8_t(e.value), e.charging);
            }
            break;
        case ScenarioAction::Fault:
            if (!device) {
                break;
            }
            switch (e.fault) {
                case ScenarioFault::NoReply:
                    device->InjectNoReply(e.count);
                    break;
                case ScenarioFault::WrongEcho:
                    device->InjectWrongEcho(e.count);
                    break;
                case ScenarioFault::StatusFF:
                    device->InjectStatus(kStatusBadRequest, e.count);
                    break;
                case ScenarioFault::StatusFE:
                    device->InjectStatus(kStatusUnsupported, e.count);
                    break;
                case ScenarioFault::WriteTimeout:
                    device->InjectWriteTimeout(e.count);
                    break;
                case ScenarioFault::LostWrites:
                    device->InjectLostWrites(e.count);
                    break;
            }
            break;
        case ScenarioAction::ClearFaults:
            if (device) {
                device->ClearFaults();
            }
            break;
        case ScenarioAction::Event:
            if (mouse) {
                mouse->RaiseEvent(uint16_t(e.value));
            }
            break;
        case ScenarioAction::SwitchProfile:
            if (mouse) {
                mouse->SwitchProfile(uint8_t(e.value));
            }
            break;
    }
}

ScenarioRunner::ScenarioRunner(std::shared_ptr<ScenarioPlayer> player)
    : m_player(std::move(player)) {}

ScenarioRunner::~ScenarioRunner() {
    Stop();
}

bool ScenarioRunner::Start() {
    const auto start = std::chrono::steady_clock::now();
    return m_thread.Start([player = m_player, start](const StopEvent& stop) {
        // One wake-up per event: the thread sleeps until the next one is due.
        while (const auto due = player->NextDue()) {
            if (stop.WaitUntil(start + *due)) {
                return;
            }
            player->AdvanceTo(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - start));
        }
    });
}

bool ScenarioRunner::Stop() {
    if (!m_thread.Stop(kRunnerStopWaitMs)) {
        DebugLine("simulator: the scenario thread did not end in time");
        return false;
    }
    return true;
}

}  // namespace q840::sim
