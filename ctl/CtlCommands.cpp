#include "ctl/CtlCommands.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "core/catalogue/Catalogue.h"
#include "core/hid/CHidDevice.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/protocol/SettingsRead.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/sim/SimulatorSetup.h"

namespace q840::ctl {

namespace {

using catalogue::InterfaceRow;
using protocol::CDeviceProtocol;

// Channel types handed to CDeviceProtocol::SetChannel.
constexpr int kChannelPrimary = 1;
constexpr int kChannelReceiver = 2;

// The mouse pad and headset keep a short settings block: 45 bytes read at index x 25, of which
// the first 21 are theirs.
constexpr int kShortBlockStride = 25;
constexpr int kShortBlockRead = 45;
constexpr int kShortBlockKept = 21;

struct Options {
    bool simulate = false;
    std::string stateFile;
    std::string device;  // "", "mouse", "pad", "headset"
    std::vector<std::string> words;
};

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
    return buffer;
}

std::string HexBytes(const uint8_t* bytes, size_t length) {
    std::string text;
    char buffer[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
        if (i) {
            text += (i % 16 == 0) ? "\n       " : " ";
        }
        text += buffer;
    }
    return text;
}

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

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text.c_str(), &end, 0);
    return errno == 0 && end && *end == '\0' && text[0] != '-' && value <= max;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
    Options o;
    for (const std::string& a : args) {
        if (a == "--simulate") {
            o.simulate = true;
        } else if (a.rfind("--simulate=", 0) == 0) {
            o.simulate = true;
            o.stateFile = a.substr(11);
        } else if (a.rfind("--device=", 0) == 0) {
            o.device = a.substr(9);
            if (o.device != "mouse" && o.device != "pad" && o.device != "headset") {
                err << "q840ctl: unknown device kind \"" << o.device
                    << "\" (use mouse, pad or headset)\n";
                return std::nullopt;
            }
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            err << "q840ctl: unknown option " << a << "\n";
            return std::nullopt;
        } else {
            o.words.push_back(a);
        }
    }
    return o;
}

void Usage(std::ostream& out) {
    out << "usage: q840ctl [--simulate[=STATE_FILE]] [--device=mouse|pad|headset] COMMAND\n"
           "  list                       every HID interface and the catalogue row it matches\n"
           "  info                       the device's information record\n"
           "  settings                   the settings block of the current profile\n"
           "  raw CODE [ADDR LEN [BYTE...]]  one command; the reply in hex\n";
}

// One enumerated interface with what was learnt about it.
struct Probe {
    std::string path;
    catalogue::PathNumbers numbers;
    bool opened = false;
    std::string openError;
    hid::HidCaps caps;
    hid::HidAttributes attributes;
    int row = -1;
};

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

int CmdList(std::ostream& out, std::ostream& err) {
    bool enumerated = false;
    const std::vector<Probe> probes = ProbeAll(&enumerated);
    if (!enumerated) {
        err << "q840ctl: the HID interfaces cannot be listed\n";
        return kExitNoDevice;
    }
    int supported = 0;
    for (const Probe& p : probes) {
        out << p.path << "\n";
        out << "  vid " << Hex(p.numbers.vendorId, 4) << "  pid " << Hex(p.numbers.productId, 4)
            << "  mi " << p.numbers.interfaceNumber << "  col " << p.numbers.collectionNumber
            << "\n";
        if (!p.opened) {
            out << "  not usable: " << p.openError << "\n";
            continue;
        }
        out << "  usage page " << Hex(p.caps.usagePage, 4) << "  usage " << Hex(p.caps.usage, 2)
            << "  input " << p.caps.inputReportByteLength << "  output "
            << p.caps.outputReportByteLength << " bytes\n";
        if (p.row >= 0) {
            const InterfaceRow& r = catalogue::kInterfaceTable[p.row];
            ++supported;
            out << "  catalogue row " << p.row << ": " << TypeName(r.typeCode) << ", "
                << (r.role == catalogue::kRoleCommand ? "command" : "event") << " interface\n";
        } else if (std::none_of(catalogue::kInterfaceTable.begin(),
                                catalogue::kInterfaceTable.end(), [&](const InterfaceRow& r) {
                                    return r.vendorId == p.attributes.vendorId &&
                                           r.productId == p.attributes.productId;
                                })) {
            out << "  no catalogue row: device " << Hex(p.attributes.vendorId, 4) << ":"
                << Hex(p.attributes.productId, 4) << " is not supported\n";
        } else {
            out << "  no catalogue row: this collection of a supported device is not one the "
                   "program talks to\n";
        }
    }
    if (probes.empty()) {
        out << "no HID interfaces\n";
    }
    if (supported == 0) {
        err << "q840ctl: no supported device found\n";
        return kExitNoDevice;
    }
    return kExitOk;
}

// The protocol opened on the first supported command interface that answers.
struct Connection {
    std::unique_ptr<CDeviceProtocol> protocol;
    int row = -1;
    std::string path;
};

// The vendor and product of a device the catalogue knows (any of its interfaces).
bool IsSupportedDevice(const catalogue::PathNumbers& n) {
    for (const InterfaceRow& r : catalogue::kInterfaceTable) {
        if (r.productId != 0 && r.vendorId == n.vendorId && r.productId == n.productId) {
            return true;
        }
    }
    return false;
}

std::optional<Connection> Connect(const Options& o, std::ostream& err) {
    bool enumerated = false;
    std::vector<Probe> probes = ProbeAll(&enumerated);
    if (!enumerated) {
        err << "q840ctl: the HID interfaces cannot be listed\n";
        return std::nullopt;
    }
    // The cable before the receiver, then the other devices, in catalogue order.
    std::stable_sort(probes.begin(), probes.end(),
                     [](const Probe& a, const Probe& b) { return a.row < b.row; });
    std::string lastReason = "no supported device found";
    bool denied = false;
    for (const Probe& p : probes) {
        if (p.row < 0) {
            // A node of a supported device that cannot be opened is most often a missing udev
            // rule: say so rather than that there is no device.
            if (!p.opened && !denied && IsSupportedDevice(p.numbers)) {
                lastReason = "found " + p.path + " but cannot open it (" + p.openError +
                             "): does the udev rule give you access? see "
                             "docs/hidraw-permissions.md";
                denied = true;
            }
            continue;
        }
        const InterfaceRow& r = catalogue::kInterfaceTable[p.row];
        if (r.role != catalogue::kRoleCommand || r.productId == 0 ||
            !KindWanted(o.device, r.typeCode)) {
            continue;
        }
        Connection c;
        c.protocol = std::make_unique<CDeviceProtocol>();
        c.row = p.row;
        c.path = p.path;
        const bool receiver = catalogue::IsReceiverType(r.typeCode);
        hid::CHidDevice& channel =
            receiver ? c.protocol->ReceiverChannel() : c.protocol->PrimaryChannel();
        if (!channel.Open(p.path, true, true, true, false)) {
            lastReason = channel.GetLastOpenError().empty() ? "cannot open " + p.path
                                                            : channel.GetLastOpenError();
            continue;
        }
        c.protocol->SetChannel(receiver ? kChannelReceiver : kChannelPrimary);
        c.protocol->SetOpen(true);
        if (!c.protocol->LinkCheck()) {
            lastReason = "the mouse behind the receiver does not answer (asleep or out of range)";
            continue;
        }
        return c;
    }
    err << "q840ctl: " << lastReason << "\n";
    return std::nullopt;
}

void PrintHeader(const Connection& c, std::ostream& out) {
    const InterfaceRow& r = catalogue::kInterfaceTable[c.row];
    out << "device: " << TypeName(r.typeCode) << " (" << Hex(r.vendorId, 4) << ":"
        << Hex(r.productId, 4) << ") on " << c.path << "\n";
}

int CmdInfo(const Options& o, std::ostream& out, std::ostream& err) {
    auto c = Connect(o, err);
    if (!c) {
        return kExitNoDevice;
    }
    CDeviceProtocol& p = *c->protocol;
    std::array<uint8_t, CDeviceProtocol::kInfoRecordSize> bytes{};
    // A device that does not take the opening command gets nothing more: every report sent to a
    // mouse that stopped reading piles up in the kernel, and the fifth write blocks for 5 s.
    int result = p.Begin();
    if (result == protocol::kResultOk) {
        result = p.ReadInfo(bytes.data());
        p.End();
    }
    if (result != protocol::kResultOk) {
        err << "q840ctl: reading the information record failed: " << DescribeResult(result) << "\n";
        return kExitNoDevice;
    }
    const auto info = protocol::InfoRecord::Decode(bytes.data(), bytes.size());
    PrintHeader(*c, out);
    out << "signature: " << Hex(info.signature, 4) << (info.HasSignature() ? "" : " (invalid)")
        << "\n";
    out << "state: " << int(info.state)
        << (info.state == protocol::InfoRecord::kStateNew           ? " (new)"
            : info.state == protocol::InfoRecord::kStateInitialised ? " (initialised)"
                                                                    : " (unknown)")
        << "\n";
    out << "key slots: " << int(info.keySlots) << "\n";
    out << "macro capacity: " << int(info.macroCapacity) << " x 128 = " << info.MacroCapacityBytes()
        << " bytes\n";
    out << "sensor: " << Hex(info.sensorId, 4) << "\n";
    out << "DPI step: " << int(info.dpiStep) << "\n";
    out << "DPI slider maximum + 10: " << info.sliderMaxPlus10 << "\n";
    out << "DPI base: " << info.dpiBase << "\n";
    out << "bytes: " << HexBytes(bytes.data(), bytes.size()) << "\n";
    return kExitOk;
}

void PrintMouseSettings(const protocol::SettingsBlock& s, std::ostream& out) {
    const profile::LightSetting& l = s.light;
    out << "light: effect " << int(l.effect) << ", brightness " << int(l.brightness) << ", speed "
        << int(l.speed) << ", direction " << int(l.direction) << ", multi-colour "
        << int(l.multiColour) << ", colour " << int(l.red) << " " << int(l.green) << " "
        << int(l.blue) << "\n";
    out << "report rate index: " << int(s.reportRate) << "\n";
    out << "active DPI stage: " << int(s.activeStage) << "\n";
    for (size_t i = 0; i < s.stages.size(); ++i) {
        const auto& d = s.stages[i];
        out << "DPI stage " << i << ": " << (d.enabled ? "on " : "off") << "  x " << d.x << "  y "
            << d.y << (d.separateXY ? " (separate)" : "") << "  colour " << int(d.red) << " "
            << int(d.green) << " " << int(d.blue) << "\n";
    }
    out << "wireless sleep: " << int(s.bleSleep1) << " / " << int(s.bleSleep2) << "\n";
    out << "sleep: " << int(s.deviceSleep1) << " / " << int(s.deviceSleep2) << "\n";
    out << "key debounce index: " << int(s.keyDebounce) << "\n";
    out << "lift-off distance: " << int(s.liftOff) << "\n";
    out << "linear correction: " << int(s.linearCorrection) << "\n";
    out << "ripple control: " << int(s.ripple) << "\n";
}

int CmdSettings(const Options& o, std::ostream& out, std::ostream& err) {
    auto c = Connect(o, err);
    if (!c) {
        return kExitNoDevice;
    }
    CDeviceProtocol& p = *c->protocol;
    const uint16_t type = catalogue::kInterfaceTable[c->row].typeCode;
    const bool mouse = catalogue::CableTypeOf(type) == catalogue::kTypeMouse;
    std::array<uint8_t, protocol::SettingsBlock::kSize> block{};
    int result = protocol::kResultOk;
    if (mouse) {
        result = protocol::ReadCurrentSettingsBlock(p, block);
    } else {
        uint8_t index = 0;
        result = p.ReadSettings(&index, 1, 0);
        if (result == protocol::kResultOk) {
            result = p.ReadSettings(block.data(), kShortBlockRead, index * kShortBlockStride);
        }
        block[0] = index;
    }
    if (result != protocol::kResultOk) {
        err << "q840ctl: reading the settings failed: " << DescribeResult(result) << "\n";
        return kExitNoDevice;
    }
    const uint8_t index = block[0];
    PrintHeader(*c, out);
    out << "profile: " << int(index) << "\n";
    if (mouse) {
        PrintMouseSettings(protocol::SettingsBlock::Decode(block.data(), block.size()), out);
        out << "bytes: " << HexBytes(block.data(), block.size()) << "\n";
    } else {
        out << "light: effect code " << int(block[1]) << ", brightness " << int(block[2])
            << ", speed " << 4 - int(block[3]) << ", multi-colour " << int(block[5]) << ", colour "
            << int(block[6]) << " " << int(block[7]) << " " << int(block[8]) << "\n";
        out << "bytes: " << HexBytes(block.data(), kShortBlockKept) << "\n";
    }
    return kExitOk;
}

int CmdRaw(const Options& o, std::ostream& out, std::ostream& err) {
    const auto& w = o.words;
    unsigned long code = 0, address = 0, length = 0;
    if (w.size() < 2 || w.size() == 3 || !ParseNumber(w[1], 0xFF, code) ||
        (w.size() >= 4 && (!ParseNumber(w[2], 0xFFFF, address) ||
                           !ParseNumber(w[3], protocol::kMaxPayload, length)))) {
        err << "q840ctl: raw takes CODE [ADDR LEN [BYTE...]] (LEN at most 56)\n";
        return kExitUsage;
    }
    std::vector<uint8_t> payload;
    for (size_t i = 4; i < w.size(); ++i) {
        unsigned long b = 0;
        if (!ParseNumber(w[i], 0xFF, b) || payload.size() >= protocol::kMaxPayload) {
            err << "q840ctl: bad payload byte \"" << w[i] << "\"\n";
            return kExitUsage;
        }
        payload.push_back(static_cast<uint8_t>(b));
    }
    auto c = Connect(o, err);
    if (!c) {
        return kExitNoDevice;
    }
    std::array<uint8_t, protocol::kReportSize> reply{};
    const int result = c->protocol->SendRaw(
        static_cast<uint8_t>(code), static_cast<uint16_t>(address), static_cast<uint8_t>(length),
        payload.data(), payload.size(), reply.data());
    PrintHeader(*c, out);
    out << "result: " << result << " (" << DescribeResult(result) << ")\n";
    out << "reply: " << HexBytes(reply.data(), reply.size()) << "\n";
    return result == protocol::kResultOk ? kExitOk : kExitNoDevice;
}

}  // namespace

std::string DescribeResult(int result) {
    switch (result) {
        case protocol::kResultOk:
            return "success";
        case protocol::kResultNoReply:
            return "no reply";
        case protocol::kResultWriteFailed:
            return "the command could not be written";
        case protocol::kResultUnreachable:
            return "the mouse behind the receiver is not reachable";
        case protocol::kResultStatusFF:
            return "the device answered with status 0xFF";
        case protocol::kResultStatusFE:
            return "the device answered with status 0xFE";
        case protocol::kResultBadBank:
            return "bad bank";
        default:
            return "result " + std::to_string(result);
    }
}

int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto options = ParseOptions(args, err);
    if (!options) {
        return kExitUsage;
    }
    if (options->words.empty() || options->words[0] == "help") {
        Usage(options->words.empty() ? err : out);
        return options->words.empty() ? kExitUsage : kExitOk;
    }
    std::shared_ptr<sim::VirtualBus> bus;
    if (options->simulate) {
        bus = sim::StartSimulation(options->stateFile);
    }
    const std::string& command = options->words[0];
    int code = kExitUsage;
    if (command == "list") {
        code = CmdList(out, err);
    } else if (command == "info") {
        code = CmdInfo(*options, out, err);
    } else if (command == "settings") {
        code = CmdSettings(*options, out, err);
    } else if (command == "raw") {
        code = CmdRaw(*options, out, err);
    } else {
        err << "q840ctl: unknown command \"" << command << "\"\n";
        Usage(err);
    }
    if (bus) {
        // Hand the backend back and let the bus save its state now, not at exit.
        hid::SetHidBackend(nullptr);
        bus.reset();
    }
    return code;
}

}  // namespace q840::ctl
