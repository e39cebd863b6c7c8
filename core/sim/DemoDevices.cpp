#include "core/sim/DemoDevices.h"

#include <array>

namespace q840::sim {

namespace {

// Information record offsets.
constexpr size_t kInfoSignatureLow = 0;
constexpr size_t kInfoSignatureHigh = 1;
constexpr size_t kInfoKeySlots = 5;
constexpr size_t kInfoMacroCapacity = 6;
constexpr size_t kInfoState = 7;
constexpr size_t kInfoSensorLow = 9;
constexpr size_t kInfoSensorHigh = 10;
constexpr size_t kInfoDpiStep = 11;
constexpr size_t kInfoSliderMaxLow = 12;
constexpr size_t kInfoSliderMaxHigh = 13;
constexpr size_t kInfoDpiBaseLow = 14;
constexpr size_t kInfoDpiBaseHigh = 15;
constexpr size_t kInfoRecordSize = 34;

// Settings block offsets (profile block of 86 bytes).
constexpr size_t kSetEffect = 1;
constexpr size_t kSetBrightness = 2;
constexpr size_t kSetSpeed = 3;  // 4 - speed
constexpr size_t kSetDirection = 4;
constexpr size_t kSetMultiColour = 5;
constexpr size_t kSetRed = 6;
constexpr size_t kSetReportRate = 11;
constexpr size_t kSetActiveStage = 12;
constexpr size_t kSetStages = 14;
constexpr size_t kStageSize = 9;
constexpr size_t kSetBleSleep1 = 77;
constexpr size_t kSetDebounce = 81;

// The physical keys the program recognises, as their factory assignments. Written out here
// rather than taken from the program's codecs on purpose: the simulated mouse is an independent
// model of the device, so a wrong table in the program shows up as a failing test.
constexpr std::array<std::array<uint8_t, 3>, 11> kKeyIdentification = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x01, 0x00},
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};
// Which key sits in which slot: the firmware's own order, not the program's.
constexpr std::array<uint8_t, 11> kSlotOrder = {3, 7, 0, 10, 5, 1, 8, 2, 9, 4, 6};

std::vector<uint8_t> BaseInfo(uint8_t state) {
    std::vector<uint8_t> info(kInfoRecordSize, 0);
    info[kInfoSignatureLow] = 0xAA;
    info[kInfoSignatureHigh] = 0x55;
    info[kInfoState] = state;
    return info;
}

void PutLightBlock(std::vector<uint8_t>& s, size_t base) {
    s[base + kSetEffect] = 1;
    s[base + kSetBrightness] = 4;
    s[base + kSetSpeed] = 2;
    s[base + kSetDirection] = 0;
    s[base + kSetMultiColour] = 1;
    s[base + kSetRed] = 0xFF;
}

}  // namespace

std::shared_ptr<VirtualPeripheral> MakeDemoMouse() {
    auto mouse = std::make_shared<VirtualPeripheral>(PeripheralKind::Mouse);
    std::vector<uint8_t> info = BaseInfo(0);
    info[kInfoKeySlots] = static_cast<uint8_t>(kSlotOrder.size());
    info[kInfoMacroCapacity] = 32;
    info[kInfoSensorLow] = 0x04;
    info[kInfoSensorHigh] = 0x31;
    info[kInfoDpiStep] = 50;
    const uint16_t sliderMaxPlus10 = 104 + 10;  // index 104 is 8000 DPI
    info[kInfoSliderMaxLow] = sliderMaxPlus10 & 0xFF;
    info[kInfoSliderMaxHigh] = sliderMaxPlus10 >> 8;
    info[kInfoDpiBaseLow] = 100;
    info[kInfoDpiBaseHigh] = 0;
    mouse->SetInfo(info);

    std::vector<uint8_t> keys(VirtualPeripheral::kKeyTableSize, 0);
    for (size_t slot = 0; slot < kSlotOrder.size(); ++slot) {
        const auto& a = kKeyIdentification[kSlotOrder[slot]];
        keys[slot * 3] = a[0];
        keys[slot * 3 + 1] = a[1];
        keys[slot * 3 + 2] = a[2];
    }
    mouse->SetKeyTable(keys);

    // Four profiles with the same factory block; byte 0 of the area is the current profile.
    std::vector<uint8_t> settings(VirtualPeripheral::kSettingsSize, 0);
    // DPI indices of the sensor for 400, 800, 1600, 3200 and 6400 DPI.
    constexpr std::array<uint16_t, 7> kStageIndex = {1, 10, 26, 56, 88, 0, 0};
    constexpr std::array<std::array<uint8_t, 3>, 7> kStageColour = {{{255, 0, 0},
                                                                     {0, 255, 0},
                                                                     {0, 0, 255},
                                                                     {255, 255, 0},
                                                                     {255, 0, 255},
                                                                     {0, 255, 255},
                                                                     {255, 255, 255}}};
    for (size_t p = 0; p < 4; ++p) {
        const size_t base = p * 128;
        PutLightBlock(settings, base);
        settings[base + kSetReportRate] = 3;
        settings[base + kSetActiveStage] = 1;
        for (size_t i = 0; i < 7; ++i) {
            const size_t st = base + kSetStages + i * kStageSize;
            settings[st + 0] = kStageIndex[i] != 0 ? 1 : 0;
            settings[st + 1] = 0;
            settings[st + 2] = kStageIndex[i] & 0xFF;
            settings[st + 3] = kStageIndex[i] >> 8;
            settings[st + 4] = kStageIndex[i] & 0xFF;
            settings[st + 5] = kStageIndex[i] >> 8;
            settings[st + 6] = kStageColour[i][0];
            settings[st + 7] = kStageColour[i][1];
            settings[st + 8] = kStageColour[i][2];
        }
        settings[base + kSetBleSleep1] = 1;
        settings[base + kSetBleSleep1 + 1] = 10;
        settings[base + kSetBleSleep1 + 2] = 1;
        settings[base + kSetBleSleep1 + 3] = 10;
        settings[base + kSetDebounce] = 2;
    }
    settings[0] = 0;
    mouse->SetSettings(settings);
    mouse->SetBattery(80, false);
    return mouse;
}

std::shared_ptr<VirtualPeripheral> MakeDemoMousePad() {
    auto pad = std::make_shared<VirtualPeripheral>(PeripheralKind::MousePad);
    pad->SetInfo(BaseInfo(3));
    std::vector<uint8_t> settings(VirtualPeripheral::kSettingsSize, 0);
    PutLightBlock(settings, 0);
    settings[0] = 0;
    pad->SetSettings(settings);
    pad->SetBattery(100, false);
    return pad;
}

std::shared_ptr<VirtualPeripheral> MakeDemoHeadset() {
    auto headset = std::make_shared<VirtualPeripheral>(PeripheralKind::Headset);
    headset->SetInfo(BaseInfo(3));
    std::vector<uint8_t> settings(VirtualPeripheral::kSettingsSize, 0);
    PutLightBlock(settings, 0);
    settings[0] = 0;
    headset->SetSettings(settings);
    headset->SetBattery(100, false);
    return headset;
}

std::shared_ptr<VirtualHidDevice> MakeMouseCable(std::shared_ptr<VirtualPeripheral> mouse) {
    auto device = std::make_shared<VirtualHidDevice>(
        kCableChannel, kVendorHalvorn, kProductMouseCable, MouseInterfaces(), mouse, false);
    mouse->AttachLink(device);
    return device;
}

std::shared_ptr<VirtualHidDevice> MakeMouseReceiver(std::shared_ptr<VirtualPeripheral> mouse) {
    auto device = std::make_shared<VirtualHidDevice>(
        kReceiverChannel, kVendorHalvorn, kProductMouseReceiver, MouseInterfaces(), mouse, true);
    mouse->AttachLink(device);
    return device;
}

std::shared_ptr<VirtualHidDevice> MakeMousePadDevice(std::shared_ptr<VirtualPeripheral> pad) {
    auto device = std::make_shared<VirtualHidDevice>(kPadChannel, kVendorHalvorn, kProductMousePad,
                                                     MousePadInterfaces(), pad, false);
    pad->AttachLink(device);
    return device;
}

std::shared_ptr<VirtualHidDevice> MakeHeadsetDevice(std::shared_ptr<VirtualPeripheral> headset) {
    auto device = std::make_shared<VirtualHidDevice>(
        kHeadsetChannel, kVendorHeadset, kProductHeadset, HeadsetInterfaces(), headset, false);
    headset->AttachLink(device);
    return device;
}

std::shared_ptr<VirtualBus> MakeDemoBus(const DemoOptions& options) {
    auto bus = std::make_shared<VirtualBus>();
    auto mouse = MakeDemoMouse();
    bus->Add(MakeMouseCable(mouse), options.cable);
    bus->Add(MakeMouseReceiver(mouse), options.receiver);
    bus->Add(MakeMousePadDevice(MakeDemoMousePad()), options.mousePad);
    bus->Add(MakeHeadsetDevice(MakeDemoHeadset()), options.headset);
    return bus;
}

}  // namespace q840::sim
