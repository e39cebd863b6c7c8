#pragma once

// A simulated mouse on cable and receiver, installed as the HID backend, and a protocol opened on
// one of its command interfaces.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"

namespace q840::testing {

inline const char* kCableCommandPath = "sim:vid_320f&pid_226e&mi_01&col02";
inline const char* kReceiverCommandPath = "sim:vid_320f&pid_226f&mi_01&col02";

class SimulatedMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::DemoOptions options;
        options.cable = true;
        options.receiver = true;
        bus = sim::MakeDemoBus(options);
        hid::SetHidBackend(bus);
        mouse = bus->Mouse();
        cable = bus->Find(sim::kCableChannel);
        receiver = bus->Find(sim::kReceiverChannel);
        protocol = std::make_unique<protocol::CDeviceProtocol>();
    }

    void TearDown() override {
        protocol.reset();
        hid::SetHidBackend(nullptr);
    }

    // Opens the channel as the main window does: handle, set channel, open flag.
    void OpenCable() {
        ASSERT_TRUE(protocol->PrimaryChannel().Open(kCableCommandPath, true, true, true, false));
        protocol->SetChannel(1);
        protocol->SetOpen(true);
        bus->GetTranscript()->Clear();
    }

    void OpenReceiver() {
        ASSERT_TRUE(
            protocol->ReceiverChannel().Open(kReceiverCommandPath, true, true, true, false));
        protocol->SetChannel(2);
        protocol->SetOpen(true);
        bus->GetTranscript()->Clear();
    }

    std::vector<sim::TranscriptEntry> Commands() const { return bus->GetTranscript()->Commands(); }

    std::shared_ptr<sim::VirtualBus> bus;
    std::shared_ptr<sim::VirtualPeripheral> mouse;
    std::shared_ptr<sim::VirtualHidDevice> cable;
    std::shared_ptr<sim::VirtualHidDevice> receiver;
    std::unique_ptr<protocol::CDeviceProtocol> protocol;
};

}  // namespace q840::testing
