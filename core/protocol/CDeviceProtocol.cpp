#include "core/protocol/CDeviceProtocol.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "core/base/DebugLine.h"

namespace q840::protocol {

namespace {

void Pause(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
#ifdef __linux__
    // The pauses add up on every write sequence; the default timer slack would stretch each one.
    thread_local bool tightened = false;
    if (!tightened) {
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        tightened = true;
    }
#endif
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Two lines of 32 bytes, groups of four bytes separated by three spaces after the first three
// groups and two after the others.
void TraceReport(const char* title, const uint8_t* bytes) {
    if (!DebugLinesEnabled()) {
        return;
    }
    OutputDebugLine(title);
    for (int half = 0; half < 2; ++half) {
        const uint8_t* b = bytes + half * 32;
        DebugLine(
            "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x"
            "  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x",
            b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
            b[14], b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24], b[25],
            b[26], b[27], b[28], b[29], b[30], b[31]);
    }
}

CommandReport EmptyReport(Command code) {
    CommandReport report;
    std::memset(&report, 0, sizeof report);
    report.reportId = kCommandReportId;
    report.code = static_cast<uint8_t>(code);
    return report;
}

void SetAddress(CommandReport& report, uint32_t address) {
    report.addressLow = static_cast<uint8_t>(address & 0xFF);
    report.addressHigh = static_cast<uint8_t>((address >> 8) & 0xFF);
}

// Clears busy on every way out of a transaction.
struct BusyScope {
    explicit BusyScope(std::atomic<uint8_t>& flag) : busy(flag) {
        busy.store(1, std::memory_order_relaxed);
    }
    ~BusyScope() { busy.store(0, std::memory_order_relaxed); }
    std::atomic<uint8_t>& busy;
};

}  // namespace

CDeviceProtocol::CDeviceProtocol() = default;

CDeviceProtocol::~CDeviceProtocol() {
    m_busy.store(0);
    m_open.store(false);
    // Wake anything still waiting on the channels before they go away.
    m_primary.Close();
    m_receiver.Close();
}

void CDeviceProtocol::SetChannel(int type) {
    if (type == 2) {
        m_channel.store(kReceiverChannel);
        m_chunkSize.store(kReceiverChunk);
    } else {
        m_channel.store(kPrimaryChannel);
        m_chunkSize.store(kPrimaryChunk);
    }
}

bool CDeviceProtocol::SetTransferSize(int size) {
    if (size < 0 || size > kMaxTransferSize) {
        return false;
    }
    m_transferSize.store(static_cast<uint16_t>(size));
    return true;
}

void CDeviceProtocol::SetTiming(const Timing& timing) {
    std::lock_guard<std::mutex> lock(m_timingMutex);
    m_timing = timing;
}

CDeviceProtocol::Timing CDeviceProtocol::GetTiming() const {
    std::lock_guard<std::mutex> lock(m_timingMutex);
    return m_timing;
}

hid::CHidDevice& CDeviceProtocol::CurrentChannel() {
    return OnReceiver() ? m_receiver : m_primary;
}

int CDeviceProtocol::Transaction(const uint8_t* command, size_t length, uint8_t* reply,
                                 size_t replyLength, size_t* count) {
    if (m_muted.load()) {
        return kResultOk;
    }
    BusyScope busy(m_busy);
    if (count) {
        *count = 0;
    }
    if (!m_open.load()) {
        return kResultNoReply;
    }
    uint8_t report[kReportSize] = {};
    std::memcpy(report, command, std::min(length, kReportSize));
    TraceReport("命令", report);
    const Timing timing = GetTiming();

    int result = kResultNoReply;
    bool readPhaseRan = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        readPhaseRan = false;  // the reply is traced only after the last attempt's read
        Pause(timing.pauseMs);
        bool written = false;
        {
            std::lock_guard<std::recursive_mutex> io(m_ioLock);
            const int timeout = OnReceiver() ? timing.receiverTimeoutMs : timing.primaryTimeoutMs;
            hid::CHidDevice& channel = CurrentChannel();
            channel.FlushQueue();
            written = channel.WriteReport(report, kReportSize, nullptr, timeout);
        }
        if (!written) {
            result = kResultWriteFailed;
            break;
        }
        std::lock_guard<std::recursive_mutex> io(m_ioLock);
        Pause(timing.pauseMs);
        const bool onReceiver = OnReceiver();
        const int timeout = onReceiver ? timing.receiverTimeoutMs : timing.primaryTimeoutMs;
        size_t got = 0;
        const bool read = CurrentChannel().ReadReport(reply, replyLength, &got, timeout);
        if (count) {
            *count = got;
        }
        readPhaseRan = true;
        result = read ? kResultOk : kResultNoReply;
        const size_t kEcho = offsetof(CommandReport, code);
        const uint8_t echo = replyLength > kEcho ? reply[kEcho] : 0;
        if (echo == report[kEcho]) {
            break;
        }
        if (onReceiver && echo == kReplyUnreachable) {
            result = kResultUnreachable;
            break;
        }
        if (attempt == 1) {
            // A reply to something else is no reply: its bytes must not reach the caller as data.
            result = kResultNoReply;
        }
    }
    if (readPhaseRan) {
        uint8_t shown[kReportSize] = {};
        std::memcpy(shown, reply, std::min(replyLength, kReportSize));
        TraceReport("返回", shown);
    }
    return result;
}

int CDeviceProtocol::StreamingTransaction(const uint8_t* command, size_t length, uint8_t* reply,
                                          size_t replyLength, size_t* count) {
    BusyScope busy(m_busy);
    if (count) {
        *count = 0;
    }
    if (!m_open.load()) {
        return kResultNoReply;
    }
    uint8_t report[kReportSize] = {};
    std::memcpy(report, command, std::min(length, kReportSize));
    const Timing timing = GetTiming();
    {
        std::lock_guard<std::recursive_mutex> io(m_ioLock);
        const int timeout =
            OnReceiver() ? timing.streamReceiverTimeoutMs : timing.streamPrimaryTimeoutMs;
        if (!CurrentChannel().WriteReport(report, kReportSize, nullptr, timeout)) {
            return kResultWriteFailed;
        }
    }
    std::lock_guard<std::recursive_mutex> io(m_ioLock);
    const bool onReceiver = OnReceiver();
    const int timeout = onReceiver ? timing.streamReceiverTimeoutMs : timing.streamPrimaryTimeoutMs;
    const size_t kEcho = offsetof(CommandReport, code);
    int result = kResultNoReply;
    for (int attempt = 0; attempt < 2; ++attempt) {
        size_t got = 0;
        const bool read = CurrentChannel().ReadReport(reply, replyLength, &got, timeout);
        if (count) {
            *count = got;
        }
        result = read ? kResultOk : kResultNoReply;
        const uint8_t echo = replyLength > kEcho ? reply[kEcho] : 0;
        if (echo == report[kEcho]) {
            break;
        }
        if (onReceiver && echo == kReplyUnreachable) {
            return kResultUnreachable;
        }
        if (attempt == 1) {
            result = kResultNoReply;
        }
    }
    return result;
}

int CDeviceProtocol::Exchange(CommandReport& report, ReplyReport& reply, LockKind lock,
                              bool streaming, size_t* received) {
    SealReport(report);
    std::memset(&reply, 0, sizeof reply);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&report);
    auto* replyBytes = reinterpret_cast<uint8_t*>(&reply);
    int result = kResultNoReply;
    {
        std::unique_lock<std::recursive_mutex> held;
        if (lock == LockKind::Command) {
            held = std::unique_lock<std::recursive_mutex>(m_commandLock);
        } else if (lock == LockKind::Light) {
            held = std::unique_lock<std::recursive_mutex>(m_lightLock);
        }
        size_t count = 0;
        result = streaming
                     ? StreamingTransaction(bytes, kReportSize, replyBytes, kReportSize, &count)
                     : Transaction(bytes, kReportSize, replyBytes, kReportSize, &count);
        if (received) {
            *received = count;
        }
    }
    if (result == kResultOk) {
        if (reply.status == kStatusErrorFF) {
            return kResultStatusFF;
        }
        if (reply.status == kStatusErrorFE) {
            return kResultStatusFE;
        }
    }
    return result;
}

int CDeviceProtocol::CheckDataLength(int result, size_t received, size_t length) const {
    if (result == kResultOk && !IsMuted() && received < offsetof(ReplyReport, data) + length) {
        return kResultNoReply;
    }
    return result;
}

int CDeviceProtocol::SimpleCommand(Command code, ReplyReport* replyOut) {
    CommandReport report = EmptyReport(code);
    ReplyReport reply{};
    const int result = Exchange(report, reply, LockKind::Command);
    if (replyOut) {
        *replyOut = reply;
    }
    return result;
}

int CDeviceProtocol::ChunkedRead(Command code, uint8_t* destination, size_t length, uint32_t base,
                                 size_t chunk) {
    if (length > 0 && destination == nullptr) {
        return kResultNoReply;
    }
    chunk = std::clamp<size_t>(chunk, 1, kMaxPayload);
    // One report for the whole operation: what a packet leaves behind stays in the next one.
    CommandReport report = EmptyReport(code);
    ReplyReport reply{};
    for (size_t offset = 0; offset < length; offset += chunk) {
        const size_t n = std::min(chunk, length - offset);
        report.length = static_cast<uint8_t>(n);
        SetAddress(report, base + static_cast<uint32_t>(offset));
        size_t received = 0;
        const int exchanged = Exchange(report, reply, LockKind::Command, false, &received);
        const int result = CheckDataLength(exchanged, received, n);
        if (result != kResultOk) {
            return result;
        }
        std::memcpy(destination + offset, reply.data, n);
    }
    return kResultOk;
}

int CDeviceProtocol::ChunkedWrite(Command code, const uint8_t* data, size_t length, uint32_t base,
                                  size_t chunk, LockKind lock) {
    if (length > 0 && data == nullptr) {
        return kResultNoReply;
    }
    chunk = std::clamp<size_t>(chunk, 1, kMaxPayload);
    CommandReport report = EmptyReport(code);
    ReplyReport reply{};
    for (size_t offset = 0; offset < length; offset += chunk) {
        const size_t n = std::min(chunk, length - offset);
        report.length = static_cast<uint8_t>(n);
        SetAddress(report, base + static_cast<uint32_t>(offset));
        std::memcpy(report.payload, data + offset, n);
        const int result = Exchange(report, reply, lock);
        if (result != kResultOk) {
            return result;
        }
    }
    return kResultOk;
}

int CDeviceProtocol::Begin() {
    return SimpleCommand(Command::Begin);
}

int CDeviceProtocol::End() {
    Pause(GetTiming().pauseMs);
    return SimpleCommand(Command::End);
}

int CDeviceProtocol::ReadInfo(uint8_t* record) {
    return ChunkedRead(Command::ReadInfo, record, kInfoRecordSize, 0, GetChunkSize());
}

int CDeviceProtocol::WriteInfo(const uint8_t* record) {
    if (record == nullptr) {
        return kResultNoReply;
    }
    CommandReport report = EmptyReport(Command::WriteInfo);
    report.length = kInfoRecordSize;
    std::memcpy(report.payload, record, kInfoRecordSize);
    ReplyReport reply{};
    return Exchange(report, reply, LockKind::Command);
}

int CDeviceProtocol::ReadSettings(uint8_t* destination, int length, int start) {
    return ChunkedRead(Command::ReadSettings, destination, length > 0 ? size_t(length) : 0,
                       static_cast<uint32_t>(start), GetChunkSize());
}

int CDeviceProtocol::WriteSettings(const uint8_t* data, int length, int start) {
    return ChunkedWrite(Command::WriteSettings, data, length > 0 ? size_t(length) : 0,
                        static_cast<uint32_t>(start), GetChunkSize(), LockKind::Command);
}

int CDeviceProtocol::ReadKeyTable(uint8_t* destination) {
    return ChunkedRead(Command::ReadKeyTable, destination, GetTransferSize(), 0, GetChunkSize());
}

int CDeviceProtocol::WriteKeyTable(const uint8_t* data, int bank) {
    if (bank != 0) {
        return kResultBadBank;
    }
    return ChunkedWrite(Command::WriteKeyTable, data, GetTransferSize(), 0, GetChunkSize(),
                        LockKind::Command);
}

int CDeviceProtocol::ReadBanked(uint8_t* destination, int length, int bank, int stride) {
    return ChunkedRead(Command::ReadBanked, destination, length > 0 ? size_t(length) : 0,
                       static_cast<uint32_t>(bank * stride), GetChunkSize());
}

int CDeviceProtocol::WriteBanked(const uint8_t* data, int length, int bank, int stride) {
    return ChunkedWrite(Command::WriteBanked, data, length > 0 ? size_t(length) : 0,
                        static_cast<uint32_t>(bank * stride), GetChunkSize(), LockKind::Light);
}

int CDeviceProtocol::StreamLight(const uint8_t* data, int length) {
    if (length > 0 && data == nullptr) {
        return kResultNoReply;
    }
    const size_t total = length > 0 ? size_t(length) : 0;
    const size_t chunk = GetChunkSize();
    CommandReport report = EmptyReport(Command::StreamLight);
    ReplyReport reply{};
    for (size_t offset = 0; offset < total; offset += chunk) {
        const size_t n = std::min(chunk, total - offset);
        report.length = static_cast<uint8_t>(n);
        SetAddress(report, static_cast<uint32_t>(offset));
        std::memcpy(report.payload, data + offset, n);
        if (IsBusy()) {
            // A light frame is worth less than the transaction that runs; the next frame follows.
            DebugLine("放弃灯光数据");
            continue;
        }
        const int result = Exchange(report, reply, LockKind::Light, true);
        if (result != kResultOk) {
            return result;
        }
    }
    return kResultOk;
}

int CDeviceProtocol::WriteMacroArea(const uint8_t* data, int length) {
    return ChunkedWrite(Command::WriteMacroArea, data, length > 0 ? size_t(length) : 0, 0,
                        GetChunkSize(), LockKind::Command);
}

int CDeviceProtocol::WriteShootArea(const uint8_t* data, int length) {
    return ChunkedWrite(Command::WriteShootArea, data, length > 0 ? size_t(length) : 0, 0,
                        kMaxPayload, LockKind::None);
}

int CDeviceProtocol::ReadStatus(uint8_t* destination, int length, int address) {
    const size_t n = std::min<size_t>(length > 0 ? size_t(length) : 0, kMaxPayload);
    if (n > 0 && destination == nullptr) {
        return kResultNoReply;
    }
    CommandReport report = EmptyReport(Command::ReadStatus);
    report.length = static_cast<uint8_t>(n);
    SetAddress(report, static_cast<uint32_t>(address));
    ReplyReport reply{};
    size_t received = 0;
    const int exchanged = Exchange(report, reply, LockKind::Command, false, &received);
    const int result = CheckDataLength(exchanged, received, n);
    if (result == kResultOk && n > 0) {
        std::memcpy(destination, reply.data, n);
    }
    return result;
}

int CDeviceProtocol::ReadColourSlots(uint8_t* destination) {
    return ChunkedRead(Command::ReadColourSlots, destination, GetTransferSize() / 3, 0,
                       GetChunkSize());
}

int CDeviceProtocol::LightControl() {
    return SimpleCommand(Command::LightControl);
}

bool CDeviceProtocol::LinkCheck() {
    if (!OnReceiver()) {
        return true;
    }
    ReplyReport reply{};
    const int result = SimpleCommand(Command::LinkCheck, &reply);
    return result == kResultOk && reply.data[0] == kLinkUp;
}

int CDeviceProtocol::SendRaw(uint8_t code, uint16_t address, uint8_t length, const uint8_t* payload,
                             size_t payloadLength, uint8_t* replyOut) {
    CommandReport report = EmptyReport(static_cast<Command>(code));
    report.length = length;
    SetAddress(report, address);
    if (payload) {
        std::memcpy(report.payload, payload, std::min(payloadLength, kMaxPayload));
    }
    ReplyReport reply{};
    const int result = Exchange(report, reply, LockKind::Command);
    if (replyOut) {
        std::memcpy(replyOut, &reply, kReportSize);
    }
    return result;
}

}  // namespace q840::protocol
