// Fuzz target: arbitrary bytes as a scenario file. Parsing must never crash or hang; a text it
// takes must describe every event in words that parse again to the same events, and playing it
// on the demo devices (a long stretch of time at once) must end.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/sim/DemoDevices.h"
#include "core/sim/Scenario.h"
#include "core/sim/ScenarioPlayer.h"

using namespace q840;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    sim::Scenario scenario;
    std::string error;
    if (!sim::ParseScenario(text, scenario, error)) {
        Check(!error.empty(), "a refused text says why");
        return 0;
    }
    // Each event, written back as a line, reads as the same event.
    std::string again;
    for (const sim::ScenarioEvent& e : scenario.events) {
        again += std::to_string(e.at.count()) + "ms " + sim::DescribeEvent(e) + "\n";
    }
    sim::Scenario reread;
    Check(sim::ParseScenario(again, reread, error), "the described events parse");
    Check(reread.events.size() == scenario.events.size(), "as many events");
    for (size_t i = 0; i < reread.events.size(); ++i) {
        Check(sim::DescribeEvent(reread.events[i]) == sim::DescribeEvent(scenario.events[i]) &&
                  reread.events[i].at == scenario.events[i].at,
              "the same events");
    }
    // Playing it: a repeated scenario at most a few thousand events, so short rounds end too.
    sim::ScenarioPlayer player(sim::MakeDemoBus(), scenario);
    const auto horizon = scenario.repeat.count() > 0 && !scenario.events.empty()
                             ? scenario.repeat * (2000 / int64_t(scenario.events.size()) + 1)
                             : sim::kScenarioMaxTime;
    player.AdvanceTo(std::min(horizon, sim::kScenarioMaxTime));
    return 0;
}
