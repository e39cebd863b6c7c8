#include "core/sim/VirtualHidDevice.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

namespace q840::sim {

namespace {

constexpr size_t kOffCode = 3;
constexpr size_t kOffStatus = 7;
constexpr uint8_t kUnreachable = 0xAA;

using Clock = std::chrono::steady_clock;

// Waits until the writer's cancel signal, an unplug or the time-out; used for a write that the
// device never takes.
hid::HidIoStatus StallWrite(ConnectionState& state, int timeoutMs) {
    std::unique_lock<std::mutex> lock(state.mutex);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (state.cancel) {
            state.cancel = false;
            return hid::HidIoStatus::Cancelled;
        }
        if (state.dead) {
            return hid::HidIoStatus::Error;
        }
        if (timeoutMs >= 0 && Clock::now() >= deadline) {
            return hid::HidIoStatus::TimedOut;
        }
        if (timeoutMs < 0) {
            state.cv.wait(lock);
        } else {
            state.cv.wait_until(lock, deadline);
        }
    }
}

bool IsWriteCommand(uint8_t code) {
    return code == cmd::kWriteInfo || code == cmd::kWriteSettings || code == cmd::kWriteKeyTable ||
           code == cmd::kWriteBanked || code == cmd::kWriteMacroArea ||
           code == cmd::kWriteShootArea;
}

bool TakeFault(int& counter) {
    if (counter == 0) {
        return false;
    }
    if (counter > 0) {
        --counter;
    }
    return true;
}

}  // namespace

VirtualHidDevice::VirtualHidDevice(std::string channel, uint16_t vendorId, uint16_t productId,
                                   std::vector<InterfaceLayout> interfaces,
                                   std::shared_ptr<VirtualPeripheral> peripheral, bool receiver)
    : m_channel(std::move(channel)), m_peripheral(std::move(peripheral)), m_receiver(receiver) {
    m_attributes.vendorId = vendorId;
    m_attributes.productId = productId;
    m_attributes.versionNumber = 0x0100;
    for (size_t i = 0; i < interfaces.size(); ++i) {
        std::vector<uint8_t> descriptor;
        const bool numbered = interfaces[i].collections.size() > 1;
        for (size_t c = 0; c < interfaces[i].collections.size(); ++c) {
            const CollectionLayout& layout = interfaces[i].collections[c];
            descriptor.insert(descriptor.end(), layout.descriptor.begin(), layout.descriptor.end());
            m_collections.push_back(Collection{i, static_cast<int>(c), numbered, layout});
        }
        m_descriptors.push_back(std::move(descriptor));
        m_interfaceNumbers.push_back(interfaces[i].number);
    }
    m_connections.resize(m_collections.size());
}

bool VirtualHidDevice::IsPlugged() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged;
}

void VirtualHidDevice::SetPlugged(bool plugged) {
    std::vector<std::shared_ptr<ConnectionState>> doomed;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_plugged == plugged) {
            return;
        }
        m_plugged = plugged;
        if (!plugged) {
            for (auto& list : m_connections) {
                for (auto& weak : list) {
                    if (auto state = weak.lock()) {
                        doomed.push_back(state);
                    }
                }
                list.clear();
            }
        }
    }
    for (auto& state : doomed) {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->dead = true;
        state->queue.clear();
        state->cv.notify_all();
    }
}

void VirtualHidDevice::InjectNoReply(int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_noReply = count;
}

void VirtualHidDevice::InjectWrongEcho(int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wrongEcho = count;
}

void VirtualHidDevice::InjectStatus(uint8_t status, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_statusByte = status;
    m_statusFaults = count;
}

void VirtualHidDevice::InjectWriteTimeout(int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_writeTimeouts = count;
}

void VirtualHidDevice::InjectLostWrites(int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lostWrites = count;
}

void VirtualHidDevice::SetLatency(int milliseconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_latencyMs = milliseconds < 0 ? 0 : milliseconds;
}

void VirtualHidDevice::UnplugOnNextCommand() {
    UnplugOnCommand(1);
}

void VirtualHidDevice::UnplugOnCommand(int n) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_unplugCountdown = n < 0 ? 0 : n;
}

void VirtualHidDevice::DenyOpen(const std::string& reason) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openDenied = reason;
}

std::string VirtualHidDevice::OpenDenied() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_openDenied;
}

void VirtualHidDevice::ScriptReply(std::vector<uint8_t> bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scriptedReplies.push_back(std::move(bytes));
}

void VirtualHidDevice::ClearFaults() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_noReply = m_wrongEcho = m_statusFaults = m_writeTimeouts = m_lostWrites = m_latencyMs = 0;
    m_unplugCountdown = 0;
    m_openDenied.clear();
    m_scriptedReplies.clear();
}

void VirtualHidDevice::SetTranscript(std::shared_ptr<Transcript> transcript,
                                     std::string pathSuffix) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_transcript = std::move(transcript);
    m_pathSuffix = std::move(pathSuffix);
}

std::string VirtualHidDevice::PathOf(size_t collectionIndex) const {
    const Collection& c = m_collections.at(collectionIndex);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "sim:vid_%04x&pid_%04x&mi_%02x", m_attributes.vendorId,
                  m_attributes.productId, m_interfaceNumbers[c.interfaceIndex]);
    std::string path = buffer;
    if (c.numbered) {
        // Collections count from 1 in device paths.
        std::snprintf(buffer, sizeof buffer, "&col%02x", c.indexInInterface + 1);
        path += buffer;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    return path + m_pathSuffix;
}

std::shared_ptr<ConnectionState> VirtualHidDevice::Connect(size_t collectionIndex) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_plugged || collectionIndex >= m_collections.size()) {
        return nullptr;
    }
    auto state = std::make_shared<ConnectionState>();
    auto& list = m_connections[collectionIndex];
    // Forget connections that were closed.
    std::erase_if(list, [](const std::weak_ptr<ConnectionState>& w) { return w.expired(); });
    list.push_back(state);
    return state;
}

void VirtualHidDevice::Deliver(size_t collectionIndex, const uint8_t* bytes, size_t length,
                               ReportKind kind, int delayMs) {
    std::vector<std::shared_ptr<ConnectionState>> targets;
    std::shared_ptr<Transcript> transcript;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_plugged) {
            return;
        }
        for (auto& weak : m_connections[collectionIndex]) {
            if (auto state = weak.lock()) {
                targets.push_back(state);
            }
        }
        transcript = m_transcript;
    }
    if (transcript) {
        transcript->Record(Direction::DeviceToHost, kind, m_channel, PathOf(collectionIndex), bytes,
                           length);
    }
    const auto readyAt = Clock::now() + std::chrono::milliseconds(delayMs);
    for (auto& state : targets) {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->dead) {
            continue;
        }
        constexpr size_t kQueueLimit = 256;  // an unread queue drops its oldest reports
        if (state->queue.size() >= kQueueLimit) {
            state->queue.pop_front();
        }
        state->queue.push_back({readyAt, std::vector<uint8_t>(bytes, bytes + length)});
        state->cv.notify_all();
    }
}

void VirtualHidDevice::SendEvent(uint16_t code) {
    for (size_t i = 0; i < m_collections.size(); ++i) {
        if (m_collections[i].layout.role == CollectionRole::Event) {
            const uint8_t report[kEventReportSize] = {kEventReportId, uint8_t(code & 0xFF),
                                                      uint8_t(code >> 8)};
            Deliver(i, report, sizeof report, ReportKind::Event, 0);
        }
    }
}

hid::HidIoStatus VirtualHidDevice::Write(size_t collectionIndex, ConnectionState& writer,
                                         const uint8_t* buffer, size_t length, size_t* transferred,
                                         int timeoutMs) {
    if (transferred) {
        *transferred = 0;
    }
    {
        std::lock_guard<std::mutex> lock(writer.mutex);
        if (writer.dead) {
            return hid::HidIoStatus::Error;
        }
        if (writer.cancel) {
            writer.cancel = false;
            return hid::HidIoStatus::Cancelled;
        }
    }
    if (buffer == nullptr || length == 0 || collectionIndex >= m_collections.size()) {
        return hid::HidIoStatus::Error;
    }
    const Collection& collection = m_collections[collectionIndex];

    std::shared_ptr<Transcript> transcript;
    bool stall = false;
    bool noReply = false;
    bool wrongEcho = false;
    bool badStatus = false;
    bool unplug = false;
    bool lost = false;
    uint8_t statusByte = 0;
    int latency = 0;
    std::optional<std::vector<uint8_t>> scripted;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_plugged) {
            return hid::HidIoStatus::Error;
        }
        transcript = m_transcript;
        if (collection.layout.role == CollectionRole::Command) {
            stall = TakeFault(m_writeTimeouts);
            if (!stall) {
                noReply = TakeFault(m_noReply);
                wrongEcho = TakeFault(m_wrongEcho);
                badStatus = TakeFault(m_statusFaults);
                statusByte = m_statusByte;
                unplug = m_unplugCountdown > 0 && --m_unplugCountdown == 0;
                lost = length > kOffCode && IsWriteCommand(buffer[kOffCode]) &&
                       TakeFault(m_lostWrites);
                latency = m_latencyMs;
                if (!m_scriptedReplies.empty()) {
                    scripted = std::move(m_scriptedReplies.front());
                    m_scriptedReplies.pop_front();
                }
            }
        }
    }
    if (stall) {
        // The device does not take the report: nothing reaches it, nothing is recorded.
        return StallWrite(writer, timeoutMs);
    }
    if (transcript) {
        transcript->Record(Direction::HostToDevice, ReportKind::Command, m_channel,
                           PathOf(collectionIndex), buffer, length);
    }
    if (transferred) {
        *transferred = length;
    }
    if (collection.layout.role != CollectionRole::Command) {
        return hid::HidIoStatus::Ok;  // output to other collections is taken and ignored
    }
    if (buffer[0] == kHeadsetLedReportId) {
        m_peripheral->OnSetOutputReport(buffer, length);
        return hid::HidIoStatus::Ok;
    }
    if (unplug) {
        // Pulled out right after the report went over the wire: no answer, pending reads fail.
        SetPlugged(false);
        return hid::HidIoStatus::Ok;
    }

    // The device reads whole 64-byte reports; a short write arrives zero-filled.
    uint8_t command[kCommandReportSize] = {};
    std::memcpy(command, buffer, length < kCommandReportSize ? length : kCommandReportSize);
    uint8_t reply[kCommandReportSize] = {};
    if (m_receiver && !m_peripheral->Reachable()) {
        // The receiver answers for a mouse that is asleep or out of range.
        std::memcpy(reply, command, 8);
        reply[1] = reply[2] = 0;
        reply[kOffCode] = kUnreachable;
        reply[kOffStatus] = 0;
    } else if (lost) {
        // Acknowledged as the device acknowledges a write, and dropped.
        reply[0] = command[0];
        std::memcpy(reply + kOffCode, command + kOffCode, kOffStatus - kOffCode);
        reply[kOffStatus] = kStatusOk;
    } else {
        m_peripheral->Answer(command, reply, m_receiver);
    }
    if (noReply) {
        return hid::HidIoStatus::Ok;
    }
    if (scripted) {
        Deliver(collectionIndex, scripted->data(), scripted->size(), ReportKind::Reply, latency);
        return hid::HidIoStatus::Ok;
    }
    if (wrongEcho) {
        reply[kOffCode] = static_cast<uint8_t>(reply[kOffCode] + 1);
        if (reply[kOffCode] == kUnreachable) {
            reply[kOffCode] = static_cast<uint8_t>(reply[kOffCode] + 1);
        }
    }
    if (badStatus) {
        reply[kOffStatus] = statusByte;
    }
    Deliver(collectionIndex, reply, sizeof reply, ReportKind::Reply, latency);
    return hid::HidIoStatus::Ok;
}

bool VirtualHidDevice::SetOutputReport(size_t collectionIndex, const uint8_t* buffer,
                                       size_t length) {
    if (buffer == nullptr || length == 0 || !IsPlugged()) {
        return false;
    }
    std::shared_ptr<Transcript> transcript;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        transcript = m_transcript;
    }
    if (transcript) {
        transcript->Record(Direction::HostToDevice, ReportKind::SetOutputReport, m_channel,
                           PathOf(collectionIndex), buffer, length);
    }
    m_peripheral->OnSetOutputReport(buffer, length);
    return true;
}

std::vector<InterfaceLayout> MouseInterfaces() {
    return {
        InterfaceLayout{0, {MouseCollection(1), KeyboardCollection(2), EventCollection()}},
        InterfaceLayout{1, {SystemControlCollection(5), CommandCollection()}},
    };
}

std::vector<InterfaceLayout> MousePadInterfaces() {
    return {
        InterfaceLayout{0, {MouseCollection(1), KeyboardCollection(2), EventCollection()}},
        InterfaceLayout{1,
                        {SystemControlCollection(5), VendorFillerCollection(6, 0x01),
                         VendorFillerCollection(7, 0x02), CommandCollection()}},
    };
}

std::vector<InterfaceLayout> HeadsetInterfaces() {
    return {InterfaceLayout{3, {HeadsetCollection()}}};
}

}  // namespace q840::sim
