#pragma once

// The command channel pair of a device and the 64-byte request-reply exchanges over it.
//
// The primary channel is the device's own command interface, the receiver channel the interface
// of its wireless receiver. Every command operation builds its report(s), runs one transaction
// per packet under the command lock (or the light lock) and returns a result code:
//   1 success, 0 not open or no reply, -1 write failed, -101 mouse not reachable through the
//   receiver, -102 / -103 reply status 0xFF / 0xFE, -201 key table bank other than 0.
// Each transaction holds the I/O lock around its write phase and around its read phase; the main
// window takes the I/O lock alone while it opens or swaps the channel handles.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "core/hid/CHidDevice.h"
#include "core/protocol/ProtocolReport.h"

namespace q840::protocol {

class CDeviceProtocol {
public:
    // Channel field values.
    static constexpr int kPrimaryChannel = 0;
    static constexpr int kReceiverChannel = 1;
    static constexpr uint8_t kPrimaryChunk = 56;
    static constexpr uint8_t kReceiverChunk = 24;
    static constexpr uint16_t kMaxTransferSize = 512;
    static constexpr size_t kInfoRecordSize = 34;

    // Pauses and time-outs of the transactions. The defaults are what the devices need; tests
    // shorten the time-outs to keep "no reply" cases quick.
    struct Timing {
        int pauseMs = 10;                   // before each write and before each read
        int primaryTimeoutMs = 1000;        // write and read on the primary channel
        int receiverTimeoutMs = 5000;       // write and read on the receiver channel
        int streamPrimaryTimeoutMs = 1000;  // streaming transaction
        int streamReceiverTimeoutMs = 500;
    };

    CDeviceProtocol();
    ~CDeviceProtocol();
    CDeviceProtocol(const CDeviceProtocol&) = delete;
    CDeviceProtocol& operator=(const CDeviceProtocol&) = delete;

    // --- set-up -------------------------------------------------------------------------------
    hid::CHidDevice& PrimaryChannel() { return m_primary; }
    hid::CHidDevice& ReceiverChannel() { return m_receiver; }

    // Type 2 selects the receiver channel (chunks of 24 bytes); anything else the primary
    // channel (chunks of 56 bytes).
    void SetChannel(int type);
    int GetChannel() const { return m_channel.load(); }
    uint8_t GetChunkSize() const { return m_chunkSize.load(); }
    // Bytes ReadKeyTable / WriteKeyTable move; sizes above 512 are refused (false).
    bool SetTransferSize(int size);
    uint16_t GetTransferSize() const { return m_transferSize.load(); }

    void SetOpen(bool open) { m_open.store(open); }
    bool IsOpen() const { return m_open.load(); }
    // While muted every command operation reports success without any I/O.
    void SetMuted(bool muted) { m_muted.store(muted); }
    bool IsMuted() const { return m_muted.load(); }
    bool IsBusy() const { return m_busy.load(std::memory_order_relaxed) != 0; }

    std::recursive_mutex& IoLock() { return m_ioLock; }
    std::recursive_mutex& CommandLock() { return m_commandLock; }
    std::recursive_mutex& LightLock() { return m_lightLock; }

    void SetTiming(const Timing& timing);
    Timing GetTiming() const;

    // --- command operations ---------------------------------------------------------------------
    int Begin();
    int End();                      // waits 10 ms first, so the device has finished the last write
    int ReadInfo(uint8_t* record);  // 34 bytes
    int WriteInfo(const uint8_t* record);
    int ReadSettings(uint8_t* destination, int length, int start);
    int WriteSettings(const uint8_t* data, int length, int start);
    int ReadKeyTable(uint8_t* destination);  // transfer size bytes
    int WriteKeyTable(const uint8_t* data, int bank);
    int ReadBanked(uint8_t* destination, int length, int bank, int stride);
    int WriteBanked(const uint8_t* data, int length, int bank, int stride);
    // Light frames: no pauses, no flush; a chunk is dropped (and counted as sent) while another
    // transaction is in progress.
    int StreamLight(const uint8_t* data, int length);
    int WriteMacroArea(const uint8_t* data, int length);
    int WriteShootArea(const uint8_t* data, int length);  // 56-byte packets on either channel
    // One packet; a length above 56 is cut to 56 (the packet carries no more).
    int ReadStatus(uint8_t* destination, int length, int address);
    int ReadColourSlots(uint8_t* destination);  // transfer size / 3 bytes
    int LightControl();
    // True at once on the primary channel; on the receiver channel true only when the mouse
    // behind it answers (reply byte 8 = 0xFF).
    bool LinkCheck();

    // Diagnostics (q840ctl raw): one command packet under the command lock; the whole reply
    // (64 bytes) is copied to reply when it is not null. Returns the result code.
    int SendRaw(uint8_t code, uint16_t address, uint8_t length, const uint8_t* payload,
                size_t payloadLength, uint8_t* reply);

private:
    enum class LockKind { Command, Light, None };

    hid::CHidDevice& CurrentChannel();
    bool OnReceiver() const { return m_channel.load() == kReceiverChannel; }
    int Transaction(const uint8_t* command, size_t length, uint8_t* reply, size_t replyLength,
                    size_t* count);
    int StreamingTransaction(const uint8_t* command, size_t length, uint8_t* reply,
                             size_t replyLength, size_t* count);
    // One packet under the given lock, then the status check. *received (may be null) is the
    // reply's length; a read wants 8 + its length.
    int Exchange(CommandReport& report, ReplyReport& reply, LockKind lock, bool streaming = false,
                 size_t* received = nullptr);
    // A reply too short to carry the data asked for is no reply (muted operations excepted).
    int CheckDataLength(int result, size_t received, size_t length) const;
    int SimpleCommand(Command code, ReplyReport* replyOut = nullptr);
    int ChunkedRead(Command code, uint8_t* destination, size_t length, uint32_t base, size_t chunk);
    int ChunkedWrite(Command code, const uint8_t* data, size_t length, uint32_t base, size_t chunk,
                     LockKind lock);

    std::atomic<uint16_t> m_transferSize{kMaxTransferSize};
    std::atomic<uint8_t> m_busy{0};
    std::atomic<bool> m_open{false};
    hid::CHidDevice m_primary;
    hid::CHidDevice m_receiver;
    std::recursive_mutex m_ioLock;
    std::recursive_mutex m_commandLock;
    std::recursive_mutex m_lightLock;
    std::atomic<int> m_channel{kPrimaryChannel};
    std::atomic<uint8_t> m_chunkSize{kReceiverChunk};
    std::atomic<bool> m_muted{false};
    mutable std::mutex m_timingMutex;
    Timing m_timing;
};

}  // namespace q840::protocol
