// Scenario files: what the parser refuses, and what a played scenario does to the devices as the
// program sees them through its connections, on a clock the test drives.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/Scenario.h"
#include "core/sim/ScenarioPlayer.h"
#include "core/sim/VirtualBus.h"

namespace q840::sim {
namespace {

using namespace std::chrono_literals;

constexpr const char* kReceiverCommand = "sim:vid_320f&pid_226f&mi_01&col02";

// One status read (battery level, charge state) through a connection, as the program sends it.
std::array<uint8_t, 64> AskStatus(hid::IHidConnection& c, int timeoutMs = 500) {
    std::array<uint8_t, 64> command{};
    command[0] = 4;
    command[3] = cmd::kReadStatus;
    command[4] = 2;
    const uint16_t sum = ReportChecksum(command.data());
    command[1] = sum & 0xFF;
    command[2] = sum >> 8;
    std::array<uint8_t, 64> reply{};
    size_t n = 0;
    if (c.Write(command.data(), command.size(), &n, timeoutMs) != hid::HidIoStatus::Ok ||
        c.Read(reply.data(), reply.size(), &n, timeoutMs) != hid::HidIoStatus::Ok) {
        reply.fill(0xEE);  // no answer
    }
    return reply;
}

Scenario Parse(const std::string& text) {
    Scenario s;
    std::string error;
    EXPECT_TRUE(ParseScenario(text, s, error)) << error;
    return s;
}

TEST(ScenarioParse, ReadsEveryEventAndRefusesBadLinesByNumber) {
    const Scenario s = Parse(
        "# a demo\r\n"
        "repeat 1min\n"
        "0s      battery 80\n"
        "1.5s    unplug receiver   # comment after an event\n"
        "+500ms  plug receiver\n"
        "3s      sleep\n"
        "+1s     wake\n"
        "5s      link down\n"
        "5s      link up\n"
        "6s      battery 15% charging\n"
        "7s      fault cable no-reply 3\n"
        "7s      fault receiver status-fe -1\n"
        "8s      clear receiver\n"
        "9s      event 0x0401\n"
        "10s     profile 2\n");
    ASSERT_EQ(13u, s.events.size());
    EXPECT_EQ(60000ms, s.repeat);
    EXPECT_EQ(1500ms, s.events[1].at);
    EXPECT_EQ(2000ms, s.events[2].at);  // relative to the line before
    EXPECT_EQ(4000ms, s.events[4].at);
    EXPECT_EQ(4, s.events[1].line);
    EXPECT_EQ("unplug receiver", DescribeEvent(s.events[1]));
    EXPECT_EQ("link down", DescribeEvent(s.events[5]));
    EXPECT_EQ("battery 15 charging", DescribeEvent(s.events[7]));
    EXPECT_EQ("fault cable no-reply 3", DescribeEvent(s.events[8]));
    EXPECT_EQ(-1, s.events[9].count);
    EXPECT_EQ("event 0x0401", DescribeEvent(s.events[11]));
    EXPECT_EQ(2, s.events[12].value);

    struct Bad {
        const char* text;
        const char* error;  // the start of the message
    };
    const Bad bad[] = {
        {"10 unplug cable", "line 1: bad time"},  // no unit
        {"-1s unplug cable", "line 1: bad time"},
        {"1e3s sleep", "line 1: bad time"},
        {"99999min sleep", "line 1: bad time"},  // beyond a week
        {"1s\n", "line 1: a time and an event"},
        {"\n\n1s unplugg cable", "line 3: unknown event \"unplugg\""},
        {"1s unplug mouse", "line 1: unknown channel \"mouse\""},
        {"1s unplug", "line 1: \"unplug\" takes: CHANNEL"},
        {"1s battery 101", "line 1: battery level \"101\""},
        {"1s battery 50 full", "line 1: after the battery level"},
        {"1s fault cable slow", "line 1: unknown fault \"slow\""},
        {"1s fault cable no-reply 0", "line 1: fault count \"0\""},
        {"1s event 0x10000", "line 1: event code"},
        {"1s link sideways", "line 1: \"link\" takes up or down"},
        {"2s sleep\n1s wake", "line 2: the events must come in time order"},
        {"1s sleep\nrepeat 10s", "line 2: \"repeat\" goes before"},
        {"repeat 0s", "line 1: \"repeat\" takes one time above zero"},
        {"repeat 10s\n10s sleep", "line 2: an event of a repeated scenario"},
    };
    for (const Bad& b : bad) {
        Scenario kept;
        kept.repeat = 7ms;
        std::string error;
        EXPECT_FALSE(ParseScenario(b.text, kept, error)) << b.text;
        EXPECT_EQ(0u, error.rfind(b.error, 0)) << b.text << " -> " << error;
        EXPECT_EQ(7ms, kept.repeat) << "a refused text leaves the scenario as it was";
    }

    std::string error;
    Scenario none;
    EXPECT_FALSE(LoadScenario("/nonexistent/q840.scenario", none, error));
    EXPECT_EQ("cannot read /nonexistent/q840.scenario", error);

    // The scenarios that come with the simulator read as they stand.
    int shipped = 0;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(Q840_TEST_SOURCE_DIR) / "core/sim/scenarios")) {
        Scenario s;
        EXPECT_TRUE(LoadScenario(entry.path().string(), s, error)) << error;
        EXPECT_FALSE(s.events.empty()) << entry.path();
        ++shipped;
    }
    EXPECT_GE(shipped, 3);
}

class ScenarioPlay : public ::testing::Test {
protected:
    void SetUp() override {
        bus = MakeDemoBus();  // the mouse through its receiver
        hid::SetHidBackend(bus);
    }
    void TearDown() override { hid::SetHidBackend(nullptr); }

    std::unique_ptr<hid::IHidConnection> OpenReceiver() {
        std::string error;
        return bus->Open(kReceiverCommand, true, true, false, &error);
    }

    std::shared_ptr<VirtualBus> bus;
};

TEST_F(ScenarioPlay, EventsReachTheDevicesWhenTheirTimeComes) {
    ScenarioPlayer player(bus, Parse("1s unplug receiver\n"
                                     "+1s plug receiver\n"
                                     "3s sleep\n"
                                     "4s wake\n"
                                     "5s battery 12\n"
                                     "6s battery 40 charging\n"
                                     "7s fault receiver no-reply 2\n"));
    auto receiver = bus->Find(kReceiverChannel);
    EXPECT_EQ(1000ms, player.NextDue());

    EXPECT_EQ(0u, player.AdvanceTo(999ms));
    EXPECT_TRUE(receiver->IsPlugged());
    EXPECT_EQ(1u, player.AdvanceTo(1000ms));
    EXPECT_FALSE(receiver->IsPlugged());
    EXPECT_EQ(0u, player.AdvanceTo(500ms)) << "the clock does not go back";
    EXPECT_EQ(1u, player.AdvanceTo(2500ms));
    ASSERT_TRUE(receiver->IsPlugged());

    auto link = OpenReceiver();
    ASSERT_TRUE(link);
    player.AdvanceTo(3000ms);  // asleep: the receiver answers for the mouse
    EXPECT_EQ(0xAA, AskStatus(*link)[3]);
    player.AdvanceTo(4000ms);
    EXPECT_EQ(cmd::kReadStatus, AskStatus(*link)[3]);

    player.AdvanceTo(5000ms);
    auto reply = AskStatus(*link);
    EXPECT_EQ(12, reply[8]) << "battery level";
    EXPECT_EQ(2, reply[9]) << "on battery, through the receiver";
    player.AdvanceTo(6000ms);
    EXPECT_EQ(40, AskStatus(*link)[8]);
    EXPECT_TRUE(bus->Mouse()->Charging()) << "shown on the cable; the receiver says on battery";

    player.AdvanceTo(7000ms);  // the next two commands get no reply, the third does
    EXPECT_EQ(0xEE, AskStatus(*link, 50)[3]);
    EXPECT_EQ(0xEE, AskStatus(*link, 50)[3]);
    EXPECT_EQ(cmd::kReadStatus, AskStatus(*link)[3]);

    EXPECT_EQ(7u, player.Played());
    EXPECT_FALSE(player.NextDue()) << "a scenario without repeat ends";
}

TEST_F(ScenarioPlay, RepeatedScenarioPlaysRoundAfterRound) {
    // The soak's pattern: unplug and replug every 10 s, a new battery level every 30 s.
    ScenarioPlayer player(bus, Parse("repeat 30s\n"
                                     "0s battery 80\n"
                                     "10s unplug receiver\n+1s plug receiver\n"
                                     "20s unplug receiver\n+1s plug receiver\n"));
    auto receiver = bus->Find(kReceiverChannel);
    EXPECT_EQ(1u, player.AdvanceTo(0ms));
    EXPECT_EQ(4u, player.AdvanceTo(25s));
    EXPECT_EQ(30000ms, player.NextDue()) << "the next round starts with its first event";
    // The rest of an hour at once: 119 more rounds of five events.
    EXPECT_EQ(119u * 5, player.AdvanceTo(3600s - 1ms));
    EXPECT_TRUE(receiver->IsPlugged());
    EXPECT_EQ(3600000ms, player.NextDue());
}

TEST_F(ScenarioPlay, RunnerPlaysOnTheRealClockAndStopsAtOnce) {
    auto player = std::make_shared<ScenarioPlayer>(
        bus, Parse("0ms battery 5\n1ms unplug receiver\n1h plug receiver\n"));
    auto receiver = bus->Find(kReceiverChannel);
    {
        ScenarioRunner runner(player);
        ASSERT_TRUE(runner.Start());
        EXPECT_FALSE(runner.Start()) << "one clock per runner";
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (player->Played() < 2 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_EQ(2u, player->Played());
        EXPECT_EQ(5, bus->Mouse()->BatteryLevel());
        EXPECT_FALSE(receiver->IsPlugged());
        EXPECT_TRUE(runner.Stop()) << "the hour's wait ends on the stop event";
    }
    EXPECT_EQ(2u, player->Played());
}

}  // namespace
}  // namespace q840::sim
