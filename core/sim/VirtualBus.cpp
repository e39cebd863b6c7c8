#include "core/sim/VirtualBus.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/base/DebugLine.h"
#include "core/sim/SimState.h"

namespace q840::sim {

namespace {

using Clock = std::chrono::steady_clock;

class SimConnection : public hid::IHidConnection {
public:
    SimConnection(std::shared_ptr<VirtualHidDevice> device, size_t collection,
                  std::shared_ptr<ConnectionState> state)
        : m_device(std::move(device)), m_collection(collection), m_state(std::move(state)) {}

    const hid::HidAttributes& Attributes() const override { return m_device->Attributes(); }
    const std::vector<uint8_t>& ReportDescriptor() const override {
        return m_device->InterfaceDescriptor(m_device->Collections()[m_collection].interfaceIndex);
    }
    int CollectionIndex() const override {
        return m_device->Collections()[m_collection].indexInInterface;
    }

    hid::HidIoStatus Read(uint8_t* buffer, size_t length, size_t* transferred,
                          int timeoutMs) override {
        if (transferred) {
            *transferred = 0;
        }
        ConnectionState& s = *m_state;
        std::unique_lock<std::mutex> lock(s.mutex);
        const bool forever = timeoutMs < 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
        for (;;) {
            if (s.cancel) {
                s.cancel = false;
                return hid::HidIoStatus::Cancelled;
            }
            if (s.dead) {
                return hid::HidIoStatus::Error;
            }
            const auto now = Clock::now();
            if (!s.queue.empty() && s.queue.front().readyAt <= now) {
                const std::vector<uint8_t> report = std::move(s.queue.front().bytes);
                s.queue.pop_front();
                // Never more than the caller's buffer holds.
                const size_t n = std::min(length, report.size());
                if (buffer && n) {
                    std::memcpy(buffer, report.data(), n);
                }
                if (transferred) {
                    *transferred = buffer ? n : 0;
                }
                return hid::HidIoStatus::Ok;
            }
            if (!forever && now >= deadline) {
                return hid::HidIoStatus::TimedOut;
            }
            auto wakeAt = forever ? Clock::time_point::max() : deadline;
            if (!s.queue.empty()) {
                wakeAt = std::min(wakeAt, s.queue.front().readyAt);
            }
            if (wakeAt == Clock::time_point::max()) {
                s.cv.wait(lock);
            } else {
                s.cv.wait_until(lock, wakeAt);
            }
        }
    }

    hid::HidIoStatus Write(const uint8_t* buffer, size_t length, size_t* transferred,
                           int timeoutMs) override {
        return m_device->Write(m_collection, *m_state, buffer, length, transferred, timeoutMs);
    }

    void Cancel() override {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->cancel = true;
        m_state->cv.notify_all();
    }

    bool FlushQueue() override {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (m_state->dead) {
            return false;
        }
        // Reports still on their way (latency) have not arrived yet and stay.
        const auto now = Clock::now();
        while (!m_state->queue.empty() && m_state->queue.front().readyAt <= now) {
            m_state->queue.pop_front();
        }
        return true;
    }

    bool SetOutputReport(const uint8_t* buffer, size_t length) override {
        {
            std::lock_guard<std::mutex> lock(m_state->mutex);
            if (m_state->dead) {
                return false;
            }
        }
        return m_device->SetOutputReport(m_collection, buffer, length);
    }

private:
    std::shared_ptr<VirtualHidDevice> m_device;
    size_t m_collection;
    std::shared_ptr<ConnectionState> m_state;
};

}  // namespace

VirtualBus::VirtualBus() : m_transcript(std::make_shared<Transcript>()) {}

VirtualBus::~VirtualBus() {
    if (!m_stateFile.empty() && !Save()) {
        DebugLine("simulator: could not save the state to %s", m_stateFile.c_str());
    }
}

void VirtualBus::Add(const std::shared_ptr<VirtualHidDevice>& device, bool plugged) {
    if (!device) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end()) {
            return;
        }
        int same = 0;
        for (const auto& d : m_devices) {
            if (d->VendorId() == device->VendorId() && d->ProductId() == device->ProductId()) {
                ++same;
            }
        }
        device->SetTranscript(m_transcript, same ? "#" + std::to_string(same) : std::string());
        m_devices.push_back(device);
    }
    device->SetPlugged(plugged);
}

void VirtualBus::Plug(const std::shared_ptr<VirtualHidDevice>& device) {
    Add(device, true);
    if (device) {
        device->SetPlugged(true);  // Add leaves a device it already knows as it was
    }
}

void VirtualBus::Unplug(const std::shared_ptr<VirtualHidDevice>& device) {
    if (device) {
        device->SetPlugged(false);
    }
}

std::vector<std::shared_ptr<VirtualHidDevice>> VirtualBus::Devices() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devices;
}

std::shared_ptr<VirtualHidDevice> VirtualBus::Find(const std::string& channel) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& d : m_devices) {
        if (d->Channel() == channel) {
            return d;
        }
    }
    return nullptr;
}

std::shared_ptr<VirtualPeripheral> VirtualBus::FindPeripheral(PeripheralKind kind) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& d : m_devices) {
        if (d->Peripheral() && d->Peripheral()->Kind() == kind) {
            return d->Peripheral();
        }
    }
    return nullptr;
}

std::shared_ptr<VirtualPeripheral> VirtualBus::Mouse() const {
    return FindPeripheral(PeripheralKind::Mouse);
}
std::shared_ptr<VirtualPeripheral> VirtualBus::MousePad() const {
    return FindPeripheral(PeripheralKind::MousePad);
}
std::shared_ptr<VirtualPeripheral> VirtualBus::Headset() const {
    return FindPeripheral(PeripheralKind::Headset);
}

void VirtualBus::SetStateFile(const std::string& path) {
    m_stateFile = path;
}

bool VirtualBus::Save() const {
    if (m_stateFile.empty()) {
        return false;
    }
    return SaveState(*this, m_stateFile);
}

bool VirtualBus::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    for (const auto& device : Devices()) {
        if (!device->IsPlugged()) {
            continue;
        }
        for (size_t c = 0; c < device->Collections().size(); ++c) {
            paths.push_back(device->PathOf(c));
        }
    }
    return true;
}

std::unique_ptr<hid::IHidConnection> VirtualBus::Open(const std::string& path, bool readAccess,
                                                      bool writeAccess, bool exclusive,
                                                      std::string* errorText) {
    for (const auto& device : Devices()) {
        if (!device->IsPlugged()) {
            continue;
        }
        for (size_t c = 0; c < device->Collections().size(); ++c) {
            if (device->PathOf(c) != path) {
                continue;
            }
            const std::string denied = device->OpenDenied();
            if (!denied.empty()) {
                if (errorText) {
                    *errorText = denied;
                }
                return nullptr;
            }
            auto state = device->Connect(c);
            if (!state) {
                break;
            }
            return std::make_unique<SimConnection>(device, c, std::move(state));
        }
    }
    if (errorText) {
        *errorText = "no such device: " + path;
    }
    return nullptr;
}

}  // namespace q840::sim
