#include "ctl/CtlDevice.h"

#include "ctl/CtlCommands.h"
#include "ctl/CtlOutput.h"

#include <algorithm>
#include <array>

namespace q840::ctl {

namespace {

using catalogue::InterfaceRow;

// Channel types handed to CDeviceProtocol::SetChannel.
constexpr int kChannelPrimary = 1;
constexpr int kChannelReceiver = 2;

constexpr const char* kPermissionHint =
    "does the udev rule give you access? see docs/hidraw-permissions.md";

// q840ctl does not listen to the device's events.
class NoEvents : public session::IDeviceEventSink {
public:
    void OnSettingsChangedEvent() override {}
    void OnKeyPressEvent() override {}
    void OnDeviceEvent(int) override {}
};
NoEvents g_noEvents;

std::string NoDeviceText(const std::string& wanted) {
    const std::string what = wanted == "pad"       ? "no mouse pad found"
                             : wanted == "headset" ? "no headset found"
                             : wanted == "mouse"   ? "no mouse found"
                                                   : "no supported device found";
    const std::string it = wanted.empty() ? "is the mouse plugged in" : "is it plugged in";
    return what + ": " + it + ", and " + kPermissionHint;
}

}  // namespace

const char* TypeName(uint16_t typeCode) {
    switch (typeCode) {
        case catalogue::kTypeKeyboard:
            return "keyboard";
        case catalogue::kTypeMouse:
            return "mouse";
        case catalogue::kTypeMousePad:
            return "mouse pad";
        case catalogue::kTypeMouseReceiver:
            return "mouse through its receiver";
        case catalogue::kTypeHeadset:
            return "headset";
        case catalogue::kTypeKeyboardReceiver:
            return "keyboard through its receiver";
        default:
            return "unknown";
    }
}

bool KindWanted(const std::string& wanted, uint16_t typeCode) {
    if (wanted.empty()) {
        return true;
    }
    if (wanted == "mouse") {
        return typeCode == catalogue::kTypeMouse || typeCode == catalogue::kTypeMouseReceiver;
    }
    if (wanted == "pad") {
        return typeCode == catalogue::kTypeMousePad;
    }
    if (wanted == "headset") {
        return typeCode == catalogue::kTypeHeadset;
    }
    return false;
}

bool IsSupportedDevice(const catalogue::PathNumbers& n) {
    return std::any_of(catalogue::kInterfaceTable.begin(), catalogue::kInterfaceTable.end(),
                       [&](const InterfaceRow& r) {
                           return r.productId != 0 && r.vendorId == n.vendorId &&
                                  r.productId == n.productId;
                       });
}

std::vector<Probe> ProbeAll(bool* enumerated) {
    std::vector<Probe> probes;
    hid::CHidDevice scanner;
    *enumerated = scanner.Enumerate();
    if (!*enumerated) {
        return probes;
    }
    while (const char* path = scanner.NextPath()) {
        Probe p;
        p.path = path;
        p.numbers = catalogue::ReadPathNumbers(p.path);
        hid::CHidDevice device;
        p.opened = device.Open(p.path, true, false, true, false);
        if (p.opened) {
            p.caps = device.GetCaps();
            p.attributes = device.GetAttributes();
            catalogue::PathNumbers n = p.numbers;
            n.vendorId = p.attributes.vendorId;
            n.productId = p.attributes.productId;
            p.row = catalogue::FindInterfaceRowByUsage(n, p.caps.usagePage, p.caps.usage);
            device.Close();
        } else {
            p.openError = device.GetLastOpenError();
            if (p.openError.empty()) {
                p.openError = "cannot open " + p.path;
            }
        }
        probes.push_back(std::move(p));
    }
    scanner.FreePaths();
    return probes;
}

int ReadIdentity(protocol::CDeviceProtocol& protocol, protocol::InfoRecord* info) {
    std::array<uint8_t, protocol::CDeviceProtocol::kInfoRecordSize> bytes{};
    int result = protocol.Begin();
    if (result == protocol::kResultOk) {
        result = protocol.ReadInfo(bytes.data());
        protocol.End();
    }
    if (result == protocol::kResultOk) {
        *info = protocol::InfoRecord::Decode(bytes.data(), bytes.size());
    }
    return result;
}

std::optional<Connection> Connect(const std::string& wantedKind, std::string* whyNot) {
    bool enumerated = false;
    std::vector<Probe> probes = ProbeAll(&enumerated);
    if (!enumerated) {
        *whyNot = "the HID interfaces cannot be listed: is /sys/class/hidraw there?";
        return std::nullopt;
    }
    // The cable before the receiver, then the other devices, in catalogue order.
    std::stable_sort(probes.begin(), probes.end(),
                     [](const Probe& a, const Probe& b) { return a.row < b.row; });
    std::string reason = NoDeviceText(wantedKind);
    bool denied = false;
    for (const Probe& p : probes) {
        if (p.row < 0) {
            // A node of a supported device that cannot be opened is most often a missing udev
            // rule: say so rather than that there is no device.
            if (!p.opened && !denied && IsSupportedDevice(p.numbers)) {
                reason = "found " + p.path + " but cannot open it (" + p.openError +
                         "): " + kPermissionHint;
                denied = true;
            }
            continue;
        }
        const InterfaceRow& r = catalogue::kInterfaceTable[size_t(p.row)];
        if (r.role != catalogue::kRoleCommand || r.productId == 0 ||
            !KindWanted(wantedKind, r.typeCode)) {
            continue;
        }
        Connection c;
        c.session = std::make_unique<session::DeviceSession>(g_noEvents);
        c.row = p.row;
        c.path = p.path;
        protocol::CDeviceProtocol& protocol = c.Protocol();
        const bool receiver = catalogue::IsReceiverType(r.typeCode);
        hid::CHidDevice& channel =
            receiver ? protocol.ReceiverChannel() : protocol.PrimaryChannel();
        if (!channel.Open(p.path, true, true, true, false)) {
            reason = channel.GetLastOpenError().empty()
                         ? "cannot open " + p.path + ": " + kPermissionHint
                         : channel.GetLastOpenError() + ": " + kPermissionHint;
            continue;
        }
        protocol.SetChannel(receiver ? kChannelReceiver : kChannelPrimary);
        protocol.SetOpen(true);
        if (!protocol.LinkCheck()) {
            reason =
                "the mouse behind the receiver does not answer: is it switched on and awake? a "
                "click wakes it";
            continue;
        }
        return c;
    }
    *whyNot = reason;
    return std::nullopt;
}

int CheckMouseIdentity(protocol::CDeviceProtocol& protocol, protocol::InfoRecord* info,
                       std::ostream& err, const std::string& nothingDone) {
    const int identity = ReadIdentity(protocol, info);
    if (identity != protocol::kResultOk) {
        return Fail(err, kExitDeviceError,
                    "reading the mouse's information record failed: " + DescribeResult(identity));
    }
    if (!info->IsValid()) {
        return Fail(err, kExitDeviceError,
                    "the mouse's information record is not one the program knows (signature " +
                        Hex(info->signature, 4) + ", state " + std::to_string(info->state) +
                        "): nothing was " + nothingDone);
    }
    return kExitOk;
}

}  // namespace q840::ctl
