#pragma once

// Finding the device q840ctl talks to: every HID interface with what was learnt about it, and the
// first supported command interface that answers, opened in a device session.

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/hid/CHidDevice.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/session/DeviceSession.h"

namespace q840::ctl {

// One enumerated interface.
struct Probe {
    std::string path;
    catalogue::PathNumbers numbers;
    bool opened = false;
    std::string openError;
    hid::HidCaps caps;
    hid::HidAttributes attributes;
    int row = -1;  // interface table row, -1 when none matches
};

// Every interface of the HID bus; *enumerated is false when the bus cannot be listed.
std::vector<Probe> ProbeAll(bool* enumerated);

// "mouse", "mouse through its receiver", "mouse pad", ...
const char* TypeName(uint16_t typeCode);
// The device kind of --device: "mouse", "pad", "headset", or "" for any.
bool KindWanted(const std::string& wanted, uint16_t typeCode);
// Whether vendor and product are those of a device the catalogue knows.
bool IsSupportedDevice(const catalogue::PathNumbers& numbers);

// The command interface opened in a session; the session's command protocol is open and, on the
// receiver, the mouse behind it answered the link check.
struct Connection {
    std::unique_ptr<session::DeviceSession> session;
    int row = -1;
    std::string path;

    protocol::CDeviceProtocol& Protocol() { return session->CommandProtocol(); }
    uint16_t TypeCode() const { return catalogue::kInterfaceTable[size_t(row)].typeCode; }
    bool IsMouse() const { return catalogue::CableTypeOf(TypeCode()) == catalogue::kTypeMouse; }
    bool OnReceiver() const { return catalogue::IsReceiverType(TypeCode()); }
    // The device type table row of the device: kind name, light list index.
    int DeviceTypeRow() const { return catalogue::DeviceTypeRowForInterfaceRow(row); }
};

// Begin, the information record and End, as the program opens a session; a device that does not
// take Begin gets nothing more (every report sent to a mouse that stopped reading piles up in the
// kernel). The result code of the step that failed, or kResultOk.
int ReadIdentity(protocol::CDeviceProtocol& protocol, protocol::InfoRecord* info);
// ReadIdentity, and the record one the program knows (the program leaves another mouse alone
// too), before q840ctl changes anything: kExitOk, or the exit code after one line on `err` that
// ends "nothing was " + `nothingDone`.
int CheckMouseIdentity(protocol::CDeviceProtocol& protocol, protocol::InfoRecord* info,
                       std::ostream& err, const std::string& nothingDone);

// The first supported command interface of the wanted kind that answers: the mouse's cable
// before its receiver, then the mouse pad and the headset. Null, with one line for the user in
// *whyNot, when there is none.
std::optional<Connection> Connect(const std::string& wantedKind, std::string* whyNot);

}  // namespace q840::ctl
