#pragma once

// The device side of the command protocol: a peripheral's memory and how it answers each
// command report. One peripheral may be reachable over several USB links (the mouse by cable and
// through its receiver); the links are VirtualHidDevice objects that forward to it.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace q840::sim {

class VirtualHidDevice;

enum class PeripheralKind { Mouse, MousePad, Headset };

// Command codes the peripherals understand.
namespace cmd {
constexpr uint8_t kBegin = 0x01;
constexpr uint8_t kEnd = 0x02;
constexpr uint8_t kReadInfo = 0x03;
constexpr uint8_t kWriteInfo = 0x04;
constexpr uint8_t kReadSettings = 0x05;
constexpr uint8_t kWriteSettings = 0x06;
constexpr uint8_t kReadKeyTable = 0x07;
constexpr uint8_t kWriteKeyTable = 0x09;
constexpr uint8_t kReadBanked = 0x0A;
constexpr uint8_t kWriteBanked = 0x0B;
constexpr uint8_t kStreamLight = 0x12;
constexpr uint8_t kWriteMacroArea = 0x15;
constexpr uint8_t kWriteShootArea = 0x17;
constexpr uint8_t kReadStatus = 0x1A;
constexpr uint8_t kReadColourSlots = 0x1B;
constexpr uint8_t kLightControl = 0x1C;
constexpr uint8_t kLinkCheck = 0xAA;
}  // namespace cmd

// Status byte values of a reply.
constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusBadRequest = 0xFF;   // bad checksum, address or length
constexpr uint8_t kStatusUnsupported = 0xFE;  // command code the device does not know

class VirtualPeripheral {
public:
    static constexpr size_t kInfoSize = 64;
    static constexpr size_t kSettingsSize = 16 * 128;  // 16 profiles of 128 bytes
    static constexpr size_t kKeyTableSize = 512;
    static constexpr size_t kBankedSize = 4096;
    static constexpr size_t kLightSize = 1024;
    static constexpr size_t kShootAreaSize = 4096;
    static constexpr size_t kStatusSize = 56;
    static constexpr size_t kMaxPayload = 56;

    struct Stats {
        int commands = 0;
        int badChecksums = 0;
        int begins = 0;
        int ends = 0;
        int infoWrites = 0;
    };

    explicit VirtualPeripheral(PeripheralKind kind);

    PeripheralKind Kind() const { return m_kind; }

    // Answers one 64-byte command report (report ID first) with a 64-byte reply.
    // viaReceiver tells the device which link the command came over (battery charge state).
    void Answer(const uint8_t* command, uint8_t* reply, bool viaReceiver);

    // Memory, copied in and out under the peripheral's lock.
    std::vector<uint8_t> Info() const;
    void SetInfo(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> Settings() const;
    void SetSettings(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> KeyTable() const;
    void SetKeyTable(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> MacroArea() const;  // capacity bytes (information byte 6 x 128)
    void SetMacroArea(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> ShootArea() const;
    void SetShootArea(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> LightFrame() const;
    std::vector<std::vector<uint8_t>> LedReports() const;
    bool LightControlOn() const;

    uint8_t BatteryLevel() const;
    bool Charging() const;
    void SetBattery(uint8_t level, bool charging);

    // Reachability through the receiver: the radio link and the mouse's own sleep.
    void SetLinkUp(bool up);
    bool LinkUp() const;
    void SetAsleep(bool asleep);
    bool Asleep() const;
    bool Reachable() const;

    Stats GetStats() const;

    // The USB links that carry this peripheral's events.
    void AttachLink(const std::shared_ptr<VirtualHidDevice>& link);
    // Sends an event code (0x0401 settings changed, 0x0403 key press, 0x10xx profile, 0x11xx
    // profile and DPI stage) on the event interface of every plugged link that reaches the
    // device.
    void RaiseEvent(uint16_t code);
    // What the buttons of a real mouse do: change the profile (and the active DPI stage) on the
    // device, then tell the program with 0x10xx / 0x11xx.
    void SwitchProfile(uint8_t profile);
    void SwitchProfileAndDpiStage(uint8_t profile, uint8_t stage);

    // A report that arrived on the control pipe (headset LED frames).
    void OnSetOutputReport(const uint8_t* bytes, size_t length);

private:
    // The memory a command code works on and how much of it the device lets the program use.
    std::vector<uint8_t>* Region(uint8_t code, size_t* limit);

    const PeripheralKind m_kind;
    mutable std::mutex m_mutex;
    std::vector<uint8_t> m_info;
    std::vector<uint8_t> m_settings;
    std::vector<uint8_t> m_keyTable;
    std::vector<uint8_t> m_banked;
    std::vector<uint8_t> m_light;
    std::vector<uint8_t> m_macro;
    std::vector<uint8_t> m_shoot;
    std::vector<std::vector<uint8_t>> m_ledReports;
    uint8_t m_batteryLevel = 80;
    bool m_charging = false;
    bool m_linkUp = true;
    bool m_asleep = false;
    bool m_lightControl = false;
    Stats m_stats;
    std::vector<std::weak_ptr<VirtualHidDevice>> m_links;
};

// 16-bit sum of bytes 3..63, the checksum both sides compute.
uint16_t ReportChecksum(const uint8_t* report64);

}  // namespace q840::sim
