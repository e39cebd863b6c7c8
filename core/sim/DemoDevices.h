#pragma once

// The demo set of simulated devices: the mouse (by cable and through its receiver), the mouse pad
// and the headset, with the memory a new device leaves the factory with.

#include <memory>

#include "core/sim/VirtualBus.h"

namespace q840::sim {

constexpr uint16_t kVendorHalvorn = 0x320F;
constexpr uint16_t kProductMouseCable = 0x226E;
constexpr uint16_t kProductMouseReceiver = 0x226F;
constexpr uint16_t kProductMousePad = 0x1004;
constexpr uint16_t kVendorHeadset = 0x0C76;
constexpr uint16_t kProductHeadset = 0x1630;

// Channel labels of the demo devices (transcript entries and VirtualBus::Find).
inline constexpr const char* kCableChannel = "cable";
inline constexpr const char* kReceiverChannel = "receiver";
inline constexpr const char* kPadChannel = "pad";
inline constexpr const char* kHeadsetChannel = "headset";

// A new mouse: state byte 0, signature 0x55AA, sensor 0x3104, 11 key slots holding the key
// identification assignments in a shuffled order, macro area 32 x 128 bytes, battery 80 %.
std::shared_ptr<VirtualPeripheral> MakeDemoMouse();
std::shared_ptr<VirtualPeripheral> MakeDemoMousePad();
std::shared_ptr<VirtualPeripheral> MakeDemoHeadset();

std::shared_ptr<VirtualHidDevice> MakeMouseCable(std::shared_ptr<VirtualPeripheral> mouse);
std::shared_ptr<VirtualHidDevice> MakeMouseReceiver(std::shared_ptr<VirtualPeripheral> mouse);
std::shared_ptr<VirtualHidDevice> MakeMousePadDevice(std::shared_ptr<VirtualPeripheral> pad);
std::shared_ptr<VirtualHidDevice> MakeHeadsetDevice(std::shared_ptr<VirtualPeripheral> headset);

struct DemoOptions {
    bool cable = false;    // mouse plugged by cable
    bool receiver = true;  // receiver plugged (the mouse is reachable through it)
    bool mousePad = true;
    bool headset = true;
};

// A bus with all demo devices added (plugged as the options say).
std::shared_ptr<VirtualBus> MakeDemoBus(const DemoOptions& options = {});

}  // namespace q840::sim
