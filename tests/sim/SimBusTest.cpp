// The virtual bus as a HID backend: paths, descriptors, hot-plug, device answers, events.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <future>
#include <thread>

#include "core/hid/CHidDevice.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"
#include "core/sim/VirtualPeripheral.h"

namespace q840::sim {
namespace {

constexpr const char* kCableCommand = "sim:vid_320f&pid_226e&mi_01&col02";
constexpr const char* kCableEvent = "sim:vid_320f&pid_226e&mi_00&col03";
constexpr const char* kReceiverCommand = "sim:vid_320f&pid_226f&mi_01&col02";
constexpr const char* kReceiverEvent = "sim:vid_320f&pid_226f&mi_00&col03";
constexpr const char* kPadCommand = "sim:vid_320f&pid_1004&mi_01&col04";
constexpr const char* kPadEvent = "sim:vid_320f&pid_1004&mi_00&col03";
constexpr const char* kHeadset = "sim:vid_0c76&pid_1630&mi_03";

std::array<uint8_t, 64> Command(uint8_t code, uint8_t length = 0, uint16_t address = 0) {
    std::array<uint8_t, 64> c{};
    c[0] = 4;
    c[3] = code;
    c[4] = length;
    c[5] = address & 0xFF;
    c[6] = address >> 8;
    const uint16_t sum = ReportChecksum(c.data());
    c[1] = sum & 0xFF;
    c[2] = sum >> 8;
    return c;
}

std::array<uint8_t, 64> Ask(hid::IHidConnection& c, const std::array<uint8_t, 64>& command) {
    std::array<uint8_t, 64> reply{};
    size_t n = 0;
    EXPECT_EQ(hid::HidIoStatus::Ok, c.Write(command.data(), command.size(), &n, 100));
    EXPECT_EQ(hid::HidIoStatus::Ok, c.Read(reply.data(), reply.size(), &n, 1000));
    EXPECT_EQ(64u, n);
    return reply;
}

class SimBus : public ::testing::Test {
protected:
    void SetUp() override {
        DemoOptions all;
        all.cable = true;
        bus = MakeDemoBus(all);
        hid::SetHidBackend(bus);
    }
    void TearDown() override { hid::SetHidBackend(nullptr); }

    std::unique_ptr<hid::IHidConnection> Open(const std::string& path) {
        std::string error;
        auto c = bus->Open(path, true, true, false, &error);
        EXPECT_TRUE(c) << error;
        return c;
    }

    std::shared_ptr<VirtualBus> bus;
};

TEST_F(SimBus, PathsCarryTheCatalogueNumbers) {
    std::vector<std::string> paths;
    ASSERT_TRUE(bus->Enumerate(paths));
    for (const char* expected : {kCableCommand, kCableEvent, kReceiverCommand, kReceiverEvent,
                                 kPadCommand, kPadEvent, kHeadset}) {
        EXPECT_NE(paths.end(), std::find(paths.begin(), paths.end(), expected)) << expected;
    }
    // A second identical device gets paths of its own.
    auto second = MakeMouseCable(MakeDemoMouse());
    bus->Add(second);
    ASSERT_TRUE(bus->Enumerate(paths));
    EXPECT_NE(paths.end(),
              std::find(paths.begin(), paths.end(), std::string(kCableCommand) + "#1"));
}

TEST_F(SimBus, DescriptorsParseToTheDocumentedUsages) {
    struct Expect {
        const char* path;
        uint16_t page, usage, input;
    };
    for (const Expect& e :
         {Expect{kCableCommand, 0xFF1C, 0x92, 64}, Expect{kReceiverEvent, 0x0C, 0x01, 3},
          Expect{kPadCommand, 0xFF1C, 0x92, 64}, Expect{kHeadset, 0x0C, 0x01, 64}}) {
        hid::CHidDevice device;
        ASSERT_TRUE(device.Open(e.path, true, true, true, false)) << e.path;
        EXPECT_EQ(e.page, device.GetCaps().usagePage) << e.path;
        EXPECT_EQ(e.usage, device.GetCaps().usage) << e.path;
        EXPECT_EQ(e.input, device.GetCaps().inputReportByteLength) << e.path;
        EXPECT_EQ(hid::ParseCollectionNumber(e.path), device.GetCollectionNumber());
    }
}

TEST_F(SimBus, DeviceAnswersFromItsMemoryAndRefusesBadRequests) {
    auto c = Open(kCableCommand);
    auto reply = Ask(*c, Command(0x03, 34, 0));
    EXPECT_EQ(0x03, reply[3]);
    EXPECT_EQ(0, reply[7]);
    EXPECT_EQ(0xAA, reply[8]);
    EXPECT_EQ(0x55, reply[9]);
    EXPECT_EQ(11, reply[8 + 5]);

    auto bad = Command(0x01);
    bad[1] ^= 1;  // checksum off by one
    EXPECT_EQ(0xFF, Ask(*c, bad)[7]);
    EXPECT_EQ(1, bus->Mouse()->GetStats().badChecksums);
    EXPECT_EQ(0xFF, Ask(*c, Command(0x05, 57, 0))[7]);     // more than a packet carries
    EXPECT_EQ(0xFF, Ask(*c, Command(0x07, 56, 500))[7]);   // beyond the key table
    EXPECT_EQ(0xFF, Ask(*c, Command(0x15, 56, 4096))[7]);  // beyond the macro capacity
    EXPECT_EQ(0xFE, Ask(*c, Command(0x77))[7]);            // unknown command
    // A short write arrives zero-filled; a short read buffer is never overrun.
    const uint8_t shortBegin[4] = {4, 1, 0, 1};
    size_t n = 0;
    ASSERT_EQ(hid::HidIoStatus::Ok, c->Write(shortBegin, sizeof shortBegin, &n, 100));
    std::array<uint8_t, 8> small{};
    ASSERT_EQ(hid::HidIoStatus::Ok, c->Read(small.data(), small.size(), &n, 1000));
    EXPECT_EQ(8u, n);
    EXPECT_EQ(1, small[3]);
}

TEST_F(SimBus, ReceiverAnswersForTheMouse) {
    auto c = Open(kReceiverCommand);
    auto reply = Ask(*c, Command(0xAA));
    EXPECT_EQ(0xAA, reply[3]);
    EXPECT_EQ(0xFF, reply[8]);
    bus->Mouse()->SetAsleep(true);
    reply = Ask(*c, Command(0xAA));
    EXPECT_EQ(0, reply[8]);
    reply = Ask(*c, Command(0x03, 24, 0));
    EXPECT_EQ(0xAA, reply[3]);  // the mouse cannot be reached
    EXPECT_EQ(0, reply[8]);
    bus->Mouse()->SetAsleep(false);
    reply = Ask(*c, Command(0x1A, 2, 0));
    EXPECT_EQ(80, reply[8]);
    EXPECT_EQ(2, reply[9]);  // on battery
    auto cable = Open(kCableCommand);
    reply = Ask(*cable, Command(0x1A, 2, 0));
    EXPECT_EQ(1, reply[9]);  // charging on the cable
}

TEST_F(SimBus, UnplugFailsPendingAndLaterIoAndReplugWorks) {
    auto c = Open(kCableCommand);
    auto device = bus->Find(kCableChannel);
    auto pending = std::async(std::launch::async, [&] {
        std::array<uint8_t, 64> reply{};
        size_t n = 0;
        return c->Read(reply.data(), reply.size(), &n, -1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bus->Unplug(device);
    EXPECT_EQ(hid::HidIoStatus::Error, pending.get());
    const auto begin = Command(0x01);
    size_t n = 0;
    EXPECT_EQ(hid::HidIoStatus::Error, c->Write(begin.data(), begin.size(), &n, 100));
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    EXPECT_EQ(paths.end(), std::find(paths.begin(), paths.end(), kCableCommand));
    std::string error;
    EXPECT_FALSE(bus->Open(kCableCommand, true, true, false, &error));
    EXPECT_NE(std::string::npos, error.find("no such device"));

    bus->Plug(device);
    auto again = Open(kCableCommand);
    EXPECT_EQ(0x01, Ask(*again, begin)[3]);
    // The old handle stays dead: a replug is a new device node.
    EXPECT_EQ(hid::HidIoStatus::Error, c->Write(begin.data(), begin.size(), &n, 100));
}

TEST_F(SimBus, CancelWakesOneOperationAndIsKeptWhenNothingWaits) {
    auto c = Open(kCableCommand);
    std::array<uint8_t, 64> reply{};
    size_t n = 0;
    c->Cancel();
    EXPECT_EQ(hid::HidIoStatus::Cancelled, c->Read(reply.data(), reply.size(), &n, -1));
    EXPECT_EQ(hid::HidIoStatus::TimedOut, c->Read(reply.data(), reply.size(), &n, 10));
    auto pending =
        std::async(std::launch::async, [&] { return c->Read(reply.data(), reply.size(), &n, -1); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    c->Cancel();
    EXPECT_EQ(hid::HidIoStatus::Cancelled, pending.get());
}

TEST_F(SimBus, FaultsOnDemand) {
    auto device = bus->Find(kCableChannel);
    auto c = Open(kCableCommand);
    const auto begin = Command(0x01);
    std::array<uint8_t, 64> reply{};
    size_t n = 0;

    device->InjectNoReply(1);
    ASSERT_EQ(hid::HidIoStatus::Ok, c->Write(begin.data(), begin.size(), &n, 100));
    EXPECT_EQ(hid::HidIoStatus::TimedOut, c->Read(reply.data(), reply.size(), &n, 30));

    device->InjectWrongEcho(1);
    EXPECT_NE(0x01, Ask(*c, begin)[3]);
    EXPECT_EQ(0x01, Ask(*c, begin)[3]);

    device->InjectStatus(0xFE, 2);
    EXPECT_EQ(0xFE, Ask(*c, begin)[7]);
    EXPECT_EQ(0xFE, Ask(*c, begin)[7]);
    EXPECT_EQ(0x00, Ask(*c, begin)[7]);

    device->InjectWriteTimeout(1);
    EXPECT_EQ(hid::HidIoStatus::TimedOut, c->Write(begin.data(), begin.size(), &n, 20));

    device->SetLatency(150);
    ASSERT_EQ(hid::HidIoStatus::Ok, c->Write(begin.data(), begin.size(), &n, 100));
    EXPECT_EQ(hid::HidIoStatus::TimedOut, c->Read(reply.data(), reply.size(), &n, 10));
    EXPECT_EQ(hid::HidIoStatus::Ok, c->Read(reply.data(), reply.size(), &n, 2000));
    device->ClearFaults();

    device->DenyOpen("permission denied on sim:vid_320f&pid_226e");
    std::string error;
    EXPECT_FALSE(bus->Open(kCableCommand, true, true, false, &error));
    EXPECT_EQ("permission denied on sim:vid_320f&pid_226e", error);
}

TEST_F(SimBus, EventsReachTheEventInterfaces) {
    hid::CHidDevice cableEvents;
    hid::CHidDevice receiverEvents;
    ASSERT_TRUE(cableEvents.Open(kCableEvent, true, true, true, false));
    ASSERT_TRUE(receiverEvents.Open(kReceiverEvent, true, true, true, false));
    auto mouse = bus->Mouse();
    mouse->SwitchProfileAndDpiStage(3, 2);
    for (hid::CHidDevice* d : {&cableEvents, &receiverEvents}) {
        std::array<uint8_t, 3> report{};
        size_t n = 0;
        ASSERT_TRUE(d->ReadReport(report.data(), report.size(), &n, 1000));
        EXPECT_EQ(3, report[0]);
        EXPECT_EQ(0x1123, report[1] | (report[2] << 8));
    }
    EXPECT_EQ(3, mouse->Settings()[0]);
    EXPECT_EQ(2, mouse->Settings()[3 * 128 + 12]);

    // An unreachable mouse says nothing through the receiver.
    mouse->SetLinkUp(false);
    mouse->RaiseEvent(0x0401);
    std::array<uint8_t, 3> report{};
    size_t n = 0;
    EXPECT_FALSE(receiverEvents.ReadReport(report.data(), report.size(), &n, 20));
    ASSERT_TRUE(cableEvents.ReadReport(report.data(), report.size(), &n, 1000));

    // The pad's code arrives as the selected usage of the event collection.
    hid::CHidDevice padEvents;
    ASSERT_TRUE(padEvents.Open(kPadEvent, true, true, true, false));
    bus->MousePad()->RaiseEvent(0x0401);
    uint8_t* buffer = padEvents.GetInputReportBuffer();
    const size_t length = padEvents.GetCaps().inputReportByteLength;
    ASSERT_TRUE(padEvents.ReadReport(buffer, length, &n, 1000));
    ASSERT_TRUE(padEvents.UnpackInputReport(buffer, n));
    ASSERT_FALSE(padEvents.GetInputDataItems().empty());
    const auto& item = padEvents.GetInputDataItems()[0];
    ASSERT_FALSE(item.usages.empty());
    EXPECT_EQ(0x0401, item.usages[0]);
}

TEST_F(SimBus, HeadsetTakesLedReportsOnTheControlPipe) {
    hid::CHidDevice headset;
    ASSERT_TRUE(headset.Open(kHeadset, true, true, true, false));
    std::array<uint8_t, 17> led{0xFF, 0x22, 0xAA};
    led[4] = 247;
    ASSERT_TRUE(headset.SetOutputReport(led.data(), led.size()));
    const auto reports = bus->Headset()->LedReports();
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ(std::vector<uint8_t>(led.begin(), led.end()), reports[0]);
    const auto entries = bus->GetTranscript()->Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(ReportKind::SetOutputReport, entries.back().kind);
    EXPECT_EQ("headset", entries.back().channel);
}

TEST_F(SimBus, TranscriptKeepsBothDirectionsInOrder) {
    auto c = Open(kReceiverCommand);
    bus->GetTranscript()->Clear();
    Ask(*c, Command(0x01));
    const auto entries = bus->GetTranscript()->Entries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(Direction::HostToDevice, entries[0].direction);
    EXPECT_EQ(Direction::DeviceToHost, entries[1].direction);
    EXPECT_EQ(ReportKind::Reply, entries[1].kind);
    EXPECT_EQ("receiver", entries[1].channel);
    EXPECT_EQ(kReceiverCommand, entries[1].path);
    EXPECT_LT(entries[0].sequence, entries[1].sequence);
    EXPECT_EQ(64u, entries[1].bytes.size());

    bus->GetTranscript()->SetLimit(3);
    Ask(*c, Command(0x02));
    const auto kept = bus->GetTranscript()->Entries();
    ASSERT_EQ(3u, kept.size());
    EXPECT_EQ(entries[1].sequence, kept[0].sequence);  // the oldest went first
}

}  // namespace
}  // namespace q840::sim
