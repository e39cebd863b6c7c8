#pragma once

// One simulated USB device on the virtual bus: its HID interfaces and top-level collections, the
// open connections, hot-plug and the faults tests inject. Command reports written to its command
// collection are answered by the peripheral behind it; a receiver answers 0xAA itself when the
// mouse behind it cannot be reached.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"
#include "core/sim/ReportDescriptors.h"
#include "core/sim/Transcript.h"
#include "core/sim/VirtualPeripheral.h"

namespace q840::sim {

struct InterfaceLayout {
    uint8_t number = 0;
    std::vector<CollectionLayout> collections;
};

// The per-connection input queue; shared between the connection and the device.
struct ConnectionState {
    struct Pending {
        std::chrono::steady_clock::time_point readyAt;
        std::vector<uint8_t> bytes;
    };
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<Pending> queue;
    bool dead = false;    // the device was unplugged
    bool cancel = false;  // auto-reset cancel signal
};

class VirtualHidDevice : public std::enable_shared_from_this<VirtualHidDevice> {
public:
    // One top-level collection as the bus lists it.
    struct Collection {
        size_t interfaceIndex = 0;
        int indexInInterface = 0;
        bool numbered = false;  // the interface has several collections: the path carries &col
        CollectionLayout layout;
    };

    VirtualHidDevice(std::string channel, uint16_t vendorId, uint16_t productId,
                     std::vector<InterfaceLayout> interfaces,
                     std::shared_ptr<VirtualPeripheral> peripheral, bool receiver);

    const std::string& Channel() const { return m_channel; }
    uint16_t VendorId() const { return m_attributes.vendorId; }
    uint16_t ProductId() const { return m_attributes.productId; }
    const hid::HidAttributes& Attributes() const { return m_attributes; }
    bool IsReceiver() const { return m_receiver; }
    const std::shared_ptr<VirtualPeripheral>& Peripheral() const { return m_peripheral; }
    const std::vector<Collection>& Collections() const { return m_collections; }
    const std::vector<uint8_t>& InterfaceDescriptor(size_t interfaceIndex) const {
        return m_descriptors[interfaceIndex];
    }
    uint8_t InterfaceNumber(size_t interfaceIndex) const {
        return m_interfaceNumbers[interfaceIndex];
    }

    // Hot-plug state, driven by VirtualBus. Unplugging fails every pending and later I/O of the
    // connections opened so far.
    bool IsPlugged() const;
    void SetPlugged(bool plugged);

    // Faults on demand. A count of -1 keeps the fault until ClearFaults.
    void InjectNoReply(int count = 1);
    void InjectWrongEcho(int count = 1);
    void InjectStatus(uint8_t status, int count = 1);
    void InjectWriteTimeout(int count = 1);
    void SetLatency(int milliseconds);
    void UnplugOnNextCommand();
    // The device is pulled out right after the n-th command from now went over the wire (1: the
    // next one); the commands before it are answered as usual. 0 or less takes the fault back.
    void UnplugOnCommand(int n);
    // The next n write commands (information record, settings, key table, banked, macro and
    // shoot area) are answered with status 0 but not stored: a mouse that acknowledges and
    // drops, found only by reading back. Other commands do not count.
    void InjectLostWrites(int count = 1);
    void DenyOpen(const std::string& reason);  // empty reason allows opening again
    // The next command is answered with exactly these bytes (any length, garbage included)
    // instead of the device's reply; queued replies are used one per command.
    void ScriptReply(std::vector<uint8_t> bytes);
    void ClearFaults();
    std::string OpenDenied() const;

    // Sends an event code on the event collection to every open connection.
    void SendEvent(uint16_t code);

    void SetTranscript(std::shared_ptr<Transcript> transcript, std::string pathSuffix);
    std::string PathOf(size_t collectionIndex) const;

    // Connection side.
    std::shared_ptr<ConnectionState> Connect(size_t collectionIndex);
    hid::HidIoStatus Write(size_t collectionIndex, ConnectionState& writer, const uint8_t* buffer,
                           size_t length, size_t* transferred, int timeoutMs);
    bool SetOutputReport(size_t collectionIndex, const uint8_t* buffer, size_t length);

private:
    void Deliver(size_t collectionIndex, const uint8_t* bytes, size_t length, ReportKind kind,
                 int delayMs);

    const std::string m_channel;
    hid::HidAttributes m_attributes;
    std::shared_ptr<VirtualPeripheral> m_peripheral;
    const bool m_receiver;
    std::vector<Collection> m_collections;
    std::vector<std::vector<uint8_t>> m_descriptors;
    std::vector<uint8_t> m_interfaceNumbers;

    mutable std::mutex m_mutex;
    bool m_plugged = false;
    std::vector<std::vector<std::weak_ptr<ConnectionState>>> m_connections;  // per collection
    std::shared_ptr<Transcript> m_transcript;
    std::string m_pathSuffix;  // tells identical devices apart: "#1", "#2", ...
    int m_noReply = 0;
    int m_wrongEcho = 0;
    int m_statusFaults = 0;
    uint8_t m_statusByte = 0;
    int m_writeTimeouts = 0;
    int m_lostWrites = 0;
    int m_latencyMs = 0;
    int m_unplugCountdown = 0;  // commands until the unplug; 0: none
    std::string m_openDenied;
    std::deque<std::vector<uint8_t>> m_scriptedReplies;
};

// The mouse's USB devices: interface 0 holds mouse, keyboard and the event collection (col03),
// interface 1 a system-control collection and the command collection (col02).
std::vector<InterfaceLayout> MouseInterfaces();
// The mouse pad: interface 0 as the mouse, interface 1 with the command collection at col04.
std::vector<InterfaceLayout> MousePadInterfaces();
// The headset: interface 3 with one collection (no &col in the path).
std::vector<InterfaceLayout> HeadsetInterfaces();

}  // namespace q840::sim
