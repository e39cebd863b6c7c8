#pragma once

// The seam between CHidDevice and the operating system (or the device simulator).
//
// A backend enumerates HID interfaces -- one entry per top-level collection -- and opens them.
// Paths carry the numbers the catalogue parses, in the form
//   /dev/hidraw3#vid_320f&pid_226e&mi_01&col02     (hidraw)
//   sim:vid_320f&pid_226e&mi_01&col02              (simulator)
// with "&col" present only when the interface has more than one top-level collection.
//
// Reports cross this seam in the Windows form: byte 0 is the report ID (0 when the collection
// uses no report IDs), followed by the report's data bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace q840::hid {

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

enum class HidIoStatus {
    Ok,         // the whole report was transferred
    TimedOut,   // nothing arrived (read) or could be sent (write) in time; nothing stays pending
    Cancelled,  // Cancel() woke the operation
    Error,      // I/O error, e.g. the device was unplugged
};

// One open top-level collection.
class IHidConnection {
public:
    virtual ~IHidConnection() = default;

    virtual const HidAttributes& Attributes() const = 0;
    // The report descriptor of the whole USB interface and the index of this connection's
    // top-level collection in it (0-based). CHidDevice parses it for the capabilities.
    virtual const std::vector<uint8_t>& ReportDescriptor() const = 0;
    virtual int CollectionIndex() const = 0;

    // Reads one input report of this collection (reports of other collections of the same
    // interface are dropped). timeoutMs < 0 waits forever. On Ok, *transferred is the length
    // written into buffer (report ID byte included).
    virtual HidIoStatus Read(uint8_t* buffer, size_t length, size_t* transferred,
                             int timeoutMs) = 0;
    // Writes one output report (buffer[0] is the report ID).
    virtual HidIoStatus Write(const uint8_t* buffer, size_t length, size_t* transferred,
                              int timeoutMs) = 0;
    // Wakes one pending Read or Write with Cancelled (auto-reset: one signal, one waiter). A signal
    // given while nothing is pending is kept for the next operation, as an auto-reset event would.
    virtual void Cancel() = 0;
    // Drops input reports that arrived and were not read yet.
    virtual bool FlushQueue() = 0;
    // Sends an output report on the control pipe (SET_REPORT).
    virtual bool SetOutputReport(const uint8_t* buffer, size_t length) = 0;
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    // Paths of every present interface collection. False when the bus cannot be read at all.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // Opens one collection; null when the path is gone, access is denied or the descriptor cannot
    // be used. *errorText (may be null) receives a one-line reason for diagnostics.
    virtual std::unique_ptr<IHidConnection> Open(const std::string& path, bool readAccess,
                                                 bool writeAccess, bool exclusive,
                                                 std::string* errorText) = 0;
};

// The process-wide backend: hidraw by default, the simulator with --simulate. Set it before any
// CHidDevice is used; tests set their own.
void SetHidBackend(std::shared_ptr<IHidBackend> backend);
std::shared_ptr<IHidBackend> GetHidBackend();

}  // namespace q840::hid
