#pragma once

// One attached device at run time, without any user interface: its command protocol, the event
// channels with their listener threads, the device's information record and the exchanges that
// open a session with the mouse (identity and key table, settings block, key table writes). A
// device page drives the device through it; so can a command-line tool.
//
// Threads: one listener thread per event channel (wired, receiver) reads event reports and hands
// them to the IDeviceEventSink; everything else runs on the caller's thread. A channel is closed
// only after the thread reading it has left: stop, cancel the pending read, join, then close.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/base/WorkerThread.h"
#include "core/catalogue/DeviceList.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/KeyTable.h"
#include "core/protocol/codecs/SettingsBlock.h"

namespace q840::session {

// Event codes the device sends on its event interface.
constexpr int kEventSettingsChanged = 0x0401;
constexpr int kEventKeyPressed = 0x0403;

// Interface type codes of the event channels.
constexpr int kWiredMouseType = 2;
constexpr int kReceiverMouseType = 6;
constexpr int kWiredKeyboardType = 1;

// Where the listeners hand the device's events. Called on a listener thread.
class IDeviceEventSink {
public:
    virtual ~IDeviceEventSink() = default;
    // 0x0401: the device's settings changed; read them again.
    virtual void OnSettingsChangedEvent() = 0;
    // 0x0403 on the wired channel: a key was pressed (the reactive light effect).
    virtual void OnKeyPressEvent() = 0;
    // Any other code above 0x0401.
    virtual void OnDeviceEvent(int code) = 0;
};

// What ReadInfoRecord found.
enum class InfoResult {
    NoAnswer,  // not open, no link, or the read failed: nothing changed
    Unknown,   // a record this program does not work with: the protocol is muted now
    Valid,     // initialised (a new mouse was marked initialised with one write)
};

class DeviceSession {
public:
    static constexpr int kListenerStopWaitMs = 500;
    using InfoRecordBytes = std::array<uint8_t, protocol::CDeviceProtocol::kInfoRecordSize>;

    explicit DeviceSession(IDeviceEventSink& sink);
    // Stops both listeners. A sink whose handlers use its own members calls CloseListeners first.
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    protocol::CDeviceProtocol& CommandProtocol() { return m_protocol; }
    const protocol::CDeviceProtocol& CommandProtocol() const { return m_protocol; }
    // Its primary channel is the wired event interface, its receiver channel the receiver's.
    protocol::CDeviceProtocol& EventProtocol() { return m_eventProtocol; }

    // The device list entry of the attached command interface (type code and role).
    void SetInterfaceRecord(const catalogue::DeviceListEntry& record) { m_record = record; }
    const catalogue::DeviceListEntry& GetInterfaceRecord() const { return m_record; }
    bool OnReceiverChannel() const {
        return m_protocol.GetChannel() == protocol::CDeviceProtocol::kReceiverChannel;
    }

    // --- event channels -----------------------------------------------------------------------
    // Opens the event interface of `record` (type code 2: wired channel, 6: receiver channel) and
    // starts its listener thread; a listener already running on that channel is closed first.
    // False (and no thread) when the type is neither or the path could not be opened.
    bool OpenListener(const catalogue::DeviceListEntry& record);
    // Stops the listener of that type within the bounded wait, then closes its channel.
    void CloseListener(int typeCode);
    bool ReopenListener(const catalogue::DeviceListEntry& record);
    void CloseListeners();
    bool IsListenerOpen(int typeCode) const;
    bool IsListenerRunning(int typeCode) const;
    // Reads the listener of that type has begun since its thread started (tests wait on it).
    uint64_t ListenerReads(int typeCode) const;

    // --- exchanges with the mouse ---------------------------------------------------------------
    // Whether the mouse can be reached: on the cable true without I/O; on the receiver the link
    // check, which a muted protocol answers with a zero reply (not reachable), so nothing that
    // waits for the link runs.
    bool LinkReady();
    // Begin and the information record (nothing on a muted protocol: it holds an unknown record
    // until the interface leaves, and a read would only find zeros). A new mouse (state 0) is
    // marked initialised with one write; any other record it does not know mutes the protocol, so
    // that nothing reaches the mouse until the interface leaves. `info` receives the record (not on
    // NoAnswer); InfoRecord() keeps its bytes.
    InfoResult ReadInfoRecord(protocol::InfoRecord& info);
    // The key table of a valid record (its size from the record), then End. 1 when read whole.
    int ReadKeyTable(const protocol::InfoRecord& info,
                     std::array<uint8_t, protocol::kKeyTableBufferSize>& table);
    // The block of the mouse's current profile, byte 0 its index (the index read from address 0,
    // then that profile's block). A muted protocol answers without data, so nothing is read from
    // it. 1 when read (`block` is unchanged otherwise).
    int ReadSettingsBlock(std::array<uint8_t, protocol::SettingsBlock::kSize>& block);
    // Begin, the block at profile number x 128 and End, each on the receiver channel only after
    // a true link check. 1 when every step was answered.
    int WriteSettingsBlock(const std::array<uint8_t, protocol::SettingsBlock::kSize>& block,
                           int profileNumber);
    // The transfer size of `tableBytes`, then Begin, the key table of `bank` and End, each after
    // a true link check on the receiver channel. 1 when every step was answered.
    int WriteKeyTable(const std::array<uint8_t, protocol::kKeyTableBufferSize>& table,
                      size_t tableBytes, int bank);

    // The 34 bytes of the last information record read.
    InfoRecordBytes& InfoRecord() { return m_infoRecord; }
    const InfoRecordBytes& InfoRecord() const { return m_infoRecord; }

    // The software light control came on: a wired keyboard takes the lighting back from the
    // device; other devices need nothing.
    void TakeBackLighting();

private:
    struct Listener;
    Listener& ListenerOf(int typeCode);
    const Listener* FindListener(int typeCode) const;
    void ListenerBody(Listener& listener, const StopEvent& stop);

    IDeviceEventSink& m_sink;
    protocol::CDeviceProtocol m_protocol;
    protocol::CDeviceProtocol m_eventProtocol;
    catalogue::DeviceListEntry m_record;
    InfoRecordBytes m_infoRecord{};
    std::unique_ptr<Listener> m_wiredListener;
    std::unique_ptr<Listener> m_receiverListener;
};

}  // namespace q840::session
