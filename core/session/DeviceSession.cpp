#include "core/session/DeviceSession.h"

#include <algorithm>
#include <vector>

#include "core/base/DebugLine.h"
#include "core/protocol/SettingsRead.h"

namespace q840::session {

namespace {

constexpr int kListenerPollMs = 1;    // stop check between reads
constexpr int kListenerRetryMs = 20;  // after a failed read (device gone, handle not yet closed)

bool IsEventChannelType(int typeCode) {
    return typeCode == kWiredMouseType || typeCode == kReceiverMouseType;
}

}  // namespace

// One event channel: its CHidDevice (inside the event protocol), the lock that serialises
// opening and closing it, its "open" mark and its thread.
struct DeviceSession::Listener {
    Listener(int type, hid::CHidDevice& ch, std::recursive_mutex& lk)
        : typeCode(type), channel(ch), lock(lk) {}
    const int typeCode;
    hid::CHidDevice& channel;
    std::recursive_mutex& lock;
    std::atomic<bool> open{false};
    std::atomic<uint64_t> reads{0};
    WorkerThread thread;
};

DeviceSession::DeviceSession(IDeviceEventSink& sink) : m_sink(sink) {
    // The wired event channel is guarded by the event protocol's I/O lock, the receiver's by its
    // second lock.
    m_wiredListener = std::make_unique<Listener>(kWiredMouseType, m_eventProtocol.PrimaryChannel(),
                                                 m_eventProtocol.IoLock());
    m_receiverListener = std::make_unique<Listener>(
        kReceiverMouseType, m_eventProtocol.ReceiverChannel(), m_eventProtocol.CommandLock());
}

DeviceSession::~DeviceSession() {
    CloseListeners();
}

// --- event channels
// -------------------------------------------------------------------------------

DeviceSession::Listener& DeviceSession::ListenerOf(int typeCode) {
    return typeCode == kReceiverMouseType ? *m_receiverListener : *m_wiredListener;
}

const DeviceSession::Listener* DeviceSession::FindListener(int typeCode) const {
    if (typeCode == kWiredMouseType) {
        return m_wiredListener.get();
    }
    if (typeCode == kReceiverMouseType) {
        return m_receiverListener.get();
    }
    return nullptr;
}

bool DeviceSession::IsListenerOpen(int typeCode) const {
    const Listener* l = FindListener(typeCode);
    return l != nullptr && l->open.load();
}

bool DeviceSession::IsListenerRunning(int typeCode) const {
    const Listener* l = FindListener(typeCode);
    return l != nullptr && l->thread.IsRunning();
}

uint64_t DeviceSession::ListenerReads(int typeCode) const {
    const Listener* l = FindListener(typeCode);
    return l != nullptr ? l->reads.load() : 0;
}

bool DeviceSession::OpenListener(const catalogue::DeviceListEntry& record) {
    if (!IsEventChannelType(record.typeCode)) {
        return false;
    }
    Listener& l = ListenerOf(record.typeCode);
    // The thread reads the channel's capabilities and handle; neither may change under it.
    if (l.thread.IsRunning()) {
        CloseListener(record.typeCode);
    }
    l.thread.Stop(0);  // reap a thread that ended by itself
    bool opened = false;
    {
        std::lock_guard<std::recursive_mutex> lock(l.lock);
        l.channel.Close();
        opened = l.channel.Open(record.path, true, true, true, false);
        l.open.store(opened);
    }
    // Nothing to listen to on a channel that did not open; the next reopen starts the thread.
    if (!opened) {
        return false;
    }
    l.reads.store(0);
    l.thread.Start([this, &l](const StopEvent& stop) { ListenerBody(l, stop); });
    return true;
}

void DeviceSession::CloseListener(int typeCode) {
    if (!IsEventChannelType(typeCode)) {
        return;
    }
    Listener& l = ListenerOf(typeCode);
    l.open.store(false);
    // The thread decodes its reports with the channel's capability data, which closing the
    // channel frees: it must have left before the channel closes. Its read waits without a
    // time-out, so cancel it (again, until the thread is gone) rather than waiting the bound out.
    if (l.thread.IsRunning()) {
        DebugThreadStopResult(
            l.thread.Stop(kListenerStopWaitMs, [&l] { l.channel.CancelPendingIo(); }));
    } else {
        l.thread.Stop(0);
    }
    std::lock_guard<std::recursive_mutex> lock(l.lock);
    l.channel.Close();
}

bool DeviceSession::ReopenListener(const catalogue::DeviceListEntry& record) {
    CloseListener(record.typeCode);
    return OpenListener(record);
}

void DeviceSession::CloseListeners() {
    CloseListener(kWiredMouseType);
    CloseListener(kReceiverMouseType);
}

void DeviceSession::ListenerBody(Listener& l, const StopEvent& stop) {
    // The channel was opened before the thread started and is closed only after the thread has
    // left (CloseListener), so its capabilities stay valid for the thread's whole life.
    size_t length = l.channel.GetCaps().inputReportByteLength;
    if (length < 3) {
        length = 64;
    }
    std::vector<uint8_t> report;
    while (!stop.Wait(kListenerPollMs)) {
        if (!l.open.load()) {
            continue;
        }
        report.assign(length, 0);
        size_t transferred = 0;
        l.reads.fetch_add(1);
        if (!l.channel.ReadReport(report.data(), report.size(), &transferred, hid::kInfinite)) {
            // The device went away or the channel was closed: do not spin on a dead handle.
            if (stop.Wait(kListenerRetryMs)) {
                break;
            }
            continue;
        }
        if (transferred < 3) {
            continue;
        }
        l.channel.UnpackInputReport(report.data(), transferred);
        const int code = report[1] + 256 * report[2];
        DebugLine("接收到自动添加设备的同步信息要求  TEST");
        if (code == kEventSettingsChanged) {
            DebugLine("接收到自动添加设备的同步信息要求");
            m_sink.OnSettingsChangedEvent();
        } else if (code == kEventKeyPressed && l.typeCode == kWiredMouseType) {
            m_sink.OnKeyPressEvent();
        } else if (code > kEventSettingsChanged) {
            m_sink.OnDeviceEvent(code);
        }
    }
    DebugLine("MS 设备同步线程设定退出");
}

// --- exchanges with the mouse
// ---------------------------------------------------------------------

bool DeviceSession::LinkReady() {
    return m_protocol.LinkCheck();
}

InfoResult DeviceSession::ReadInfoRecord(protocol::InfoRecord& out) {
    using Info = protocol::InfoRecord;
    if (!m_protocol.IsOpen() || m_protocol.IsMuted() || !LinkReady()) {
        return InfoResult::NoAnswer;
    }
    m_protocol.Begin();
    std::array<uint8_t, Info::kSize> raw{};
    if (m_protocol.ReadInfo(raw.data()) != protocol::kResultOk) {
        return InfoResult::NoAnswer;
    }
    Info info = Info::Decode(raw.data(), raw.size());
    if (info.state != Info::kStateInitialised) {
        if (!info.IsNew()) {
            out = info;
            std::copy(raw.begin(), raw.end(), m_infoRecord.begin());
            m_protocol.SetMuted(true);
            DebugLine("设备信息无效：签名 %04X 状态 %d", info.signature, info.state);
            return InfoResult::Unknown;
        }
        // A new mouse: mark it as initialised by this program, once.
        info.state = Info::kStateInitialised;
        info.raw = info.Encode();
        m_protocol.WriteInfo(info.raw.data());
    }
    out = info;
    std::copy(info.raw.begin(), info.raw.end(), m_infoRecord.begin());
    return InfoResult::Valid;
}

int DeviceSession::ReadKeyTable(const protocol::InfoRecord& info,
                                std::array<uint8_t, protocol::kKeyTableBufferSize>& table) {
    const size_t tableBytes = info.KeyTableBytes();
    if (!m_protocol.SetTransferSize(int(tableBytes))) {
        DebugLine("键表过长：%zu 字节", tableBytes);
        return 0;
    }
    std::array<uint8_t, protocol::kKeyTableBufferSize> read{};
    if (m_protocol.ReadKeyTable(read.data()) != protocol::kResultOk) {
        return 0;
    }
    table = read;
    m_protocol.End();
    return 1;
}

int DeviceSession::ReadSettingsBlock(std::array<uint8_t, protocol::SettingsBlock::kSize>& block) {
    // A muted protocol answers reads without data: taking that back would overwrite the profile.
    if (!m_protocol.IsOpen() || m_protocol.IsMuted() || !LinkReady()) {
        return 0;
    }
    return protocol::ReadCurrentSettingsBlock(m_protocol, block) == protocol::kResultOk ? 1 : 0;
}

int DeviceSession::WriteSettingsBlock(
    const std::array<uint8_t, protocol::SettingsBlock::kSize>& block, int profileNumber) {
    using protocol::SettingsBlock;
    // Every answer counts: on the cable the link check is true without any I/O, so an unplug
    // in the middle of the block shows only in the answers.
    if (!m_protocol.IsOpen() || !LinkReady() || m_protocol.Begin() != protocol::kResultOk ||
        !LinkReady()) {
        return 0;
    }
    if (m_protocol.WriteSettings(block.data(), int(block.size()),
                                 int(SettingsBlock::ProfileAddress(profileNumber))) !=
            protocol::kResultOk ||
        !LinkReady()) {
        return 0;
    }
    return m_protocol.End() == protocol::kResultOk ? 1 : 0;
}

int DeviceSession::WriteKeyTable(const std::array<uint8_t, protocol::kKeyTableBufferSize>& table,
                                 size_t tableBytes, int bank) {
    if (!m_protocol.SetTransferSize(int(tableBytes))) {
        return 0;
    }
    if (!LinkReady() || m_protocol.Begin() != protocol::kResultOk || !LinkReady()) {
        return 0;
    }
    if (m_protocol.WriteKeyTable(table.data(), bank) != protocol::kResultOk || !LinkReady()) {
        return 0;
    }
    return m_protocol.End() == protocol::kResultOk ? 1 : 0;
}

void DeviceSession::TakeBackLighting() {
    if (m_record.typeCode == kWiredKeyboardType) {
        m_protocol.LightControl();
    }
}

}  // namespace q840::session
