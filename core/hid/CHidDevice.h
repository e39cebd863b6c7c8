#pragma once

// One HID interface (one top-level collection): enumeration of paths, open/close, capabilities,
// report reads and writes with a time-out and a cancel signal.
//
// No lock of its own: callers serialise Open/Close against their own I/O. A read or write blocked
// on one thread is woken with failure when another thread calls Close, Open or CancelPendingIo.
// Close and Open also replace the capabilities and the decoded input items, so a thread that
// decodes reports (UnpackInputReport) must have left before its channel is closed: cancel its
// read, join it, then close.
//
// (This header fixes the public surface other areas code against; the implementation lives
// beside it.)

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"

namespace q840::hid {

constexpr int kInfinite = -1;

struct HidCaps {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t inputReportByteLength = 0;  // report ID byte included, as on Windows
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
};

// One decoded control of the input report (see UnpackInputReport).
struct HidDataItem {
    bool isButton = false;
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    uint16_t usageMin = 0;  // buttons: range; values: usageMin == usageMax == the usage
    uint16_t usageMax = 0;
    std::vector<uint16_t> usages;  // buttons: pressed usages, 0-terminated when shorter
    int32_t rawValue = 0;          // values
    int32_t scaledValue = 0;       // values
    bool isSet = false;            // holds decoded data
};

class CHidDevice {
public:
    CHidDevice();
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Paths of all present interfaces; resets the cursor.
    bool Enumerate();
    // Path at the cursor, advancing it; nullptr when exhausted or never enumerated.
    const char* NextPath();
    void FreePaths();

    bool Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped,
              bool exclusive);
    bool Reopen();
    void Close();
    bool IsOpen() const;
    // Wakes the reads and writes in progress on another thread with failure and leaves the
    // device open, so the thread that owns them can leave before anyone closes the device (Close
    // frees the capability data a reader may still be decoding with).
    void CancelPendingIo();

    // One report each; timeoutMs may be kInfinite. transferred may be null.
    bool ReadReport(uint8_t* buffer, size_t length, size_t* transferred, int timeoutMs);
    bool WriteReport(const uint8_t* buffer, size_t length, size_t* transferred, int timeoutMs);
    bool UnpackInputReport(const uint8_t* report, size_t length);

    // Stand-ins for HidD_FlushQueue and HidD_SetOutputReport on the open handle.
    bool FlushQueue();
    bool SetOutputReport(const uint8_t* buffer, size_t length);

    const HidAttributes& GetAttributes() const;
    const HidCaps& GetCaps() const;
    const std::string& GetPath() const;
    uint8_t* GetInputReportBuffer();
    const std::vector<HidDataItem>& GetInputDataItems() const;
    uint32_t GetInterfaceNumber() const;
    uint32_t GetCollectionNumber() const;
    // The reason the last Open failed (e.g. "permission denied on /dev/hidraw3"), for diagnostics.
    const std::string& GetLastOpenError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Hexadecimal number after "&mi_" / "&col" (any letter case) in a path; 0 when absent.
uint32_t ParseInterfaceNumber(const std::string& path);
uint32_t ParseCollectionNumber(const std::string& path);

}  // namespace q840::hid
