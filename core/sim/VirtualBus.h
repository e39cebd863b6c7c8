#pragma once

// The virtual HID bus: an IHidBackend whose devices are simulated. Devices can be plugged,
// unplugged and plugged again at any moment, also in the middle of a transaction.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"
#include "core/sim/Transcript.h"
#include "core/sim/VirtualHidDevice.h"
#include "core/sim/VirtualPeripheral.h"

namespace q840::sim {

class VirtualBus : public hid::IHidBackend, public std::enable_shared_from_this<VirtualBus> {
public:
    VirtualBus();
    ~VirtualBus() override;

    // Adds a device to the bus (plugged or not yet); identical devices get "#1", "#2", ...
    // after their path numbers.
    void Add(const std::shared_ptr<VirtualHidDevice>& device, bool plugged = true);
    void Plug(const std::shared_ptr<VirtualHidDevice>& device);
    void Unplug(const std::shared_ptr<VirtualHidDevice>& device);
    std::vector<std::shared_ptr<VirtualHidDevice>> Devices() const;
    // The device with this channel label ("cable", "receiver", "pad", "headset"), or null.
    std::shared_ptr<VirtualHidDevice> Find(const std::string& channel) const;

    std::shared_ptr<Transcript> GetTranscript() const { return m_transcript; }

    // The demo set's peripherals (null when the bus has none of that kind).
    std::shared_ptr<VirtualPeripheral> Mouse() const;
    std::shared_ptr<VirtualPeripheral> MousePad() const;
    std::shared_ptr<VirtualPeripheral> Headset() const;

    // State file: Save() writes the devices' state there; destruction saves too.
    void SetStateFile(const std::string& path);
    const std::string& StateFile() const { return m_stateFile; }
    bool Save() const;

    // IHidBackend
    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<hid::IHidConnection> Open(const std::string& path, bool readAccess,
                                              bool writeAccess, bool exclusive,
                                              std::string* errorText) override;

private:
    std::shared_ptr<VirtualPeripheral> FindPeripheral(PeripheralKind kind) const;

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<VirtualHidDevice>> m_devices;
    std::shared_ptr<Transcript> m_transcript;
    std::string m_stateFile;
};

}  // namespace q840::sim
