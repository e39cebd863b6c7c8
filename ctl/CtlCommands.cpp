#include "ctl/CtlCommands.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>

#include "core/catalogue/Catalogue.h"
#include "core/hid/HidBackend.h"
#include "core/protocol/CDeviceProtocol.h"
#include "core/protocol/SettingsRead.h"
#include "core/protocol/codecs/InfoRecord.h"
#include "core/protocol/codecs/SettingsBlock.h"
#include "core/protocol/codecs/ShortSettingsBlock.h"
#include "core/sim/SimulatorSetup.h"
#include "ctl/CtlDevice.h"
#include "ctl/CtlEffects.h"
#include "ctl/CtlHelp.h"
#include "ctl/CtlMouseProfile.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlProfiles.h"
#include "ctl/CtlReadings.h"
#include "ctl/CtlReport.h"
#include "ctl/CtlSet.h"
#include "ctl/CtlThroughProgram.h"

#ifndef Q840_VERSION
#define Q840_VERSION "unknown"
#endif

namespace q840::ctl {

namespace {

using catalogue::InterfaceRow;
using protocol::CDeviceProtocol;

constexpr const char* kSeeHelp = ": see q840ctl --help";

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
                Fail(err, kExitUsage,
                     "unknown device kind \"" + o.device + "\": use mouse, pad or headset");
                return std::nullopt;
            }
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--raw") {
            o.raw = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            Fail(err, kExitUsage, "unknown option " + a + kSeeHelp);
            return std::nullopt;
        } else {
            o.words.push_back(a);
        }
    }
    return o;
}

Json::Value DeviceOf(const Connection& c) {
    const InterfaceRow& r = catalogue::kInterfaceTable[size_t(c.row)];
    return DeviceJson(r.typeCode, r.vendorId, r.productId, c.path);
}

EffectNames EffectsOf(const Connection& c) {
    const int typeRow = c.DeviceTypeRow();
    return EffectNames(typeRow >= 0 ? catalogue::kDeviceTypeTable[size_t(typeRow)].lightListIndex
                                    : -1);
}

// --- list -----------------------------------------------------------------------------------

std::string ListNote(const Probe& p, int* supported) {
    if (p.row >= 0) {
        ++*supported;
        return {};
    }
    const bool deviceKnown = std::any_of(
        catalogue::kInterfaceTable.begin(), catalogue::kInterfaceTable.end(),
        [&](const InterfaceRow& r) {
            return r.vendorId == p.attributes.vendorId && r.productId == p.attributes.productId;
        });
    return deviceKnown ? "this collection of a supported device is not one the program talks to"
                       : "device " + Hex(p.attributes.vendorId, 4) + ":" +
                             Hex(p.attributes.productId, 4) + " is not supported";
}

int CmdList(const Options& o, std::ostream& out, std::ostream& err) {
    bool enumerated = false;
    const std::vector<Probe> probes = ProbeAll(&enumerated);
    if (!enumerated) {
        return Fail(err, kExitNoDevice,
                    "the HID interfaces cannot be listed: is /sys/class/hidraw there?");
    }
    int supported = 0;
    Json::Value list(Json::arrayValue);
    for (const Probe& p : probes) {
        Json::Value j(Json::objectValue);
        j["path"] = p.path;
        j["vendorId"] = p.numbers.vendorId;
        j["productId"] = p.numbers.productId;
        j["interface"] = p.numbers.interfaceNumber;
        j["collection"] = p.numbers.collectionNumber;
        j["usable"] = p.opened;
        if (!o.json) {
            out << p.path << "\n";
            out << "  vid " << Hex(p.numbers.vendorId, 4) << "  pid " << Hex(p.numbers.productId, 4)
                << "  mi " << p.numbers.interfaceNumber << "  col " << p.numbers.collectionNumber
                << "\n";
        }
        if (!p.opened) {
            j["error"] = p.openError;
            if (!o.json) {
                out << "  not usable: " << p.openError << "\n";
            }
            list.append(j);
            continue;
        }
        j["usagePage"] = p.caps.usagePage;
        j["usage"] = p.caps.usage;
        j["inputBytes"] = p.caps.inputReportByteLength;
        j["outputBytes"] = p.caps.outputReportByteLength;
        const std::string note = ListNote(p, &supported);
        if (!o.json) {
            out << "  usage page " << Hex(p.caps.usagePage, 4) << "  usage " << Hex(p.caps.usage, 2)
                << "  input " << p.caps.inputReportByteLength << "  output "
                << p.caps.outputReportByteLength << " bytes\n";
        }
        if (p.row >= 0) {
            const InterfaceRow& r = catalogue::kInterfaceTable[size_t(p.row)];
            const char* role = r.role == catalogue::kRoleCommand ? "command" : "event";
            j["row"] = p.row;
            j["device"] = TypeName(r.typeCode);
            j["role"] = role;
            if (!o.json) {
                out << "  catalogue row " << p.row << ": " << TypeName(r.typeCode) << ", " << role
                    << " interface\n";
            }
        } else {
            j["row"] = Json::Value();
            j["note"] = note;
            if (!o.json) {
                out << "  no catalogue row: " << note << "\n";
            }
        }
        list.append(j);
    }
    if (o.json) {
        Json::Value root(Json::objectValue);
        root["interfaces"] = list;
        root["supported"] = supported;
        WriteJson(out, root);
    } else if (probes.empty()) {
        out << "no HID interfaces\n";
    }
    if (supported == 0) {
        return Fail(err, kExitNoDevice,
                    "no supported device found: is the mouse plugged in, and does the udev rule "
                    "give you access? see docs/hidraw-permissions.md");
    }
    return kExitOk;
}

// --- info -----------------------------------------------------------------------------------

int CmdInfo(const Options& o, std::ostream& out, std::ostream& err) {
    std::string why;
    auto c = Connect(o.device, &why);
    if (!c) {
        return Fail(err, kExitNoDevice, why);
    }
    protocol::InfoRecord info;
    const int result = ReadIdentity(c->Protocol(), &info);
    if (result != protocol::kResultOk) {
        return Fail(err, kExitDeviceError,
                    "reading the information record failed: " + DescribeResult(result));
    }
    const Json::Value report = InfoReport(DeviceOf(*c), info);
    if (o.json) {
        WriteJson(out, report);
    } else {
        PrintInfoReport(report, out);
    }
    return kExitOk;
}

// --- settings -------------------------------------------------------------------------------

void PrintLines(const std::vector<ReadingLine>& lines, std::ostream& out) {
    for (const ReadingLine& l : lines) {
        out << l.label << ": " << l.value << "\n";
    }
}

int MouseSettings(const Options& o, Connection& c, std::ostream& out, std::ostream& err) {
    // The sensor turns the DPI indexes into numbers.
    protocol::InfoRecord info;
    int result = ReadIdentity(c.Protocol(), &info);
    std::array<uint8_t, protocol::SettingsBlock::kSize> block{};
    if (result == protocol::kResultOk) {
        result = protocol::ReadCurrentSettingsBlock(c.Protocol(), block);
    }
    if (result != protocol::kResultOk) {
        return Fail(err, kExitDeviceError,
                    "reading the settings failed: " + DescribeResult(result));
    }
    const Json::Value report = MouseSettingsReport(DeviceOf(c), info, block, EffectsOf(c));
    if (o.json) {
        WriteJson(out, report);
    } else {
        PrintMouseSettingsReport(report, o.raw, EffectsOf(c), out);
    }
    return kExitOk;
}

int ShortSettings(const Options& o, Connection& c, std::ostream& out, std::ostream& err) {
    using B = protocol::ShortSettingsBlock;
    CDeviceProtocol& p = c.Protocol();
    uint8_t index = 0;
    std::array<uint8_t, B::kReadLength> read{};
    int result = p.ReadSettings(&index, 1, 0);
    if (result == protocol::kResultOk) {
        result = p.ReadSettings(read.data(), B::kReadLength, B::ReadAddress(index));
    }
    if (result != protocol::kResultOk) {
        return Fail(err, kExitDeviceError,
                    "reading the settings failed: " + DescribeResult(result));
    }
    read[B::kOffProfileIndex] = index;
    std::array<uint8_t, B::kSize> kept{};
    std::copy_n(read.begin(), B::kSize, kept.begin());
    const EffectNames effects = EffectsOf(c);
    const B block = B::FromDevice(read.data(), read.size(), index, effects.Codes());
    if (o.json) {
        Json::Value root = ShortSettingsJson(block, kept, effects);
        root["device"] = DeviceOf(c);
        WriteJson(out, root);
        return kExitOk;
    }
    PrintHeader(DeviceOf(c), out);
    if (o.raw) {
        out << "profile: " << int(index) << "\n";
        PrintRawShortSettings(kept, out);
    } else {
        PrintLines(ShortSettingLines(block, effects), out);
    }
    return kExitOk;
}

int CmdSettings(const Options& o, std::ostream& out, std::ostream& err) {
    std::string why;
    auto c = Connect(o.device, &why);
    if (!c) {
        return Fail(err, kExitNoDevice, why);
    }
    return c->IsMouse() ? MouseSettings(o, *c, out, err) : ShortSettings(o, *c, out, err);
}

// --- battery --------------------------------------------------------------------------------

int CmdBattery(const Options& o, std::ostream& out, std::ostream& err) {
    std::string why;
    auto c = Connect(o.device, &why);
    if (!c) {
        return Fail(err, kExitNoDevice, why);
    }
    uint8_t status[2] = {0, 0};
    const int result = c->Protocol().ReadStatus(status, 2, 0);
    if (result != protocol::kResultOk) {
        return Fail(err, kExitDeviceError, "reading the battery failed: " + DescribeResult(result));
    }
    const Json::Value report = BatteryReport(DeviceOf(*c), status[0], status[1]);
    if (o.json) {
        WriteJson(out, report);
    } else {
        PrintBatteryReport(report, out);
    }
    return kExitOk;
}

// --- raw ------------------------------------------------------------------------------------

int CmdRaw(const Options& o, std::ostream& out, std::ostream& err) {
    const auto& w = o.words;
    unsigned long code = 0, address = 0, length = 0;
    if (w.size() < 2 || w.size() == 3 || !ParseNumber(w[1], 0xFF, code) ||
        (w.size() >= 4 && (!ParseNumber(w[2], 0xFFFF, address) ||
                           !ParseNumber(w[3], protocol::kMaxPayload, length)))) {
        return Fail(err, kExitUsage,
                    "raw takes CODE [ADDR LEN [BYTE...]]: CODE 0-255, ADDR 0-65535, LEN 0-56");
    }
    std::vector<uint8_t> payload;
    for (size_t i = 4; i < w.size(); ++i) {
        unsigned long b = 0;
        if (!ParseNumber(w[i], 0xFF, b) || payload.size() >= protocol::kMaxPayload) {
            return Fail(err, kExitUsage,
                        "bad payload byte \"" + w[i] + "\": up to 56 bytes of 0-255");
        }
        payload.push_back(static_cast<uint8_t>(b));
    }
    std::string why;
    auto c = Connect(o.device, &why);
    if (!c) {
        return Fail(err, kExitNoDevice, why);
    }
    std::array<uint8_t, protocol::kReportSize> reply{};
    const int result = c->Protocol().SendRaw(
        static_cast<uint8_t>(code), static_cast<uint16_t>(address), static_cast<uint8_t>(length),
        payload.data(), payload.size(), reply.data());
    if (o.json) {
        Json::Value root(Json::objectValue);
        root["device"] = DeviceOf(*c);
        root["result"] = result;
        root["resultText"] = DescribeResult(result);
        root["reply"] = HexBytes(reply.data(), reply.size(), false);
        WriteJson(out, root);
    } else {
        PrintHeader(DeviceOf(*c), out);
        out << "result: " << result << " (" << DescribeResult(result) << ")\n";
        out << "reply: " << HexBytes(reply.data(), reply.size()) << "\n";
    }
    if (result != protocol::kResultOk) {
        return Fail(err, kExitDeviceError,
                    "the device refused the command: " + DescribeResult(result));
    }
    return kExitOk;
}

int Dispatch(const Options& o, std::ostream& out, std::ostream& err) {
    const std::string& command = o.words[0];
    if (command == "list") {
        return CmdList(o, out, err);
    }
    if (command == "info") {
        return CmdInfo(o, out, err);
    }
    if (command == "settings") {
        return CmdSettings(o, out, err);
    }
    if (command == "battery") {
        return CmdBattery(o, out, err);
    }
    if (command == "raw") {
        return CmdRaw(o, out, err);
    }
    if (command == "profile") {
        return CmdProfile(o, out, err);
    }
    return CmdSet(o, out, err);
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
    const Options& o = *options;
    if (o.version) {
        out << "q840ctl " << Q840_VERSION << "\n";
        return kExitOk;
    }
    if (o.words.empty()) {
        if (o.help) {
            PrintUsage(out);
            return kExitOk;
        }
        return Fail(err, kExitUsage, std::string("no command given") + kSeeHelp);
    }
    const std::string& command = o.words[0];
    if (command == "help" || o.help) {
        const std::string topic =
            command == "help" ? (o.words.size() > 1 ? o.words[1] : "") : command;
        if (topic.empty()) {
            PrintUsage(out);
            return kExitOk;
        }
        if (!PrintCommandHelp(topic, out)) {
            return Fail(err, kExitUsage, "there is no command \"" + topic + "\"" + kSeeHelp);
        }
        return kExitOk;
    }
    if (!IsCommand(command)) {
        return Fail(err, kExitUsage, "unknown command \"" + command + "\"" + kSeeHelp);
    }
    if (o.json && !IsReadingCommand(command) && command != "profile") {
        return Fail(err, kExitUsage,
                    "--json goes with the reading commands: list, info, settings, battery, raw, "
                    "profile list");
    }
    if (o.raw && command != "settings") {
        return Fail(err, kExitUsage, "--raw goes with settings");
    }
    // One writer at a time: while the program runs (it holds its instance lock), q840ctl opens
    // no device and asks the program instead; otherwise it holds the lock itself, so that the
    // program cannot start talking to the mouse in the middle of a command. Simulated devices
    // are q840ctl's own, but the profiles it changes are the program's.
    const bool writes = command == "set" || (command == "profile" && ProfileCommandWrites(o));
    const bool opensDevice = command != "list" && command != "profile";
    std::optional<ProgramLock> lock;
    if (writes || (opensDevice && !o.simulate)) {
        lock.emplace();
        if (lock->ProgramRunning()) {
            if (!o.simulate) {
                return RunThroughProgram(o, out, err);
            }
            if (writes) {
                return Fail(err, kExitDeviceError,
                            "the Q840-VEX program is running: with --simulate q840ctl would "
                            "change the program's profiles behind its back; quit it first");
            }
        }
    }
    std::shared_ptr<sim::VirtualBus> bus;
    if (o.simulate) {
        bus = sim::StartSimulation(o.stateFile);
    }
    const int code = Dispatch(o, out, err);
    if (bus) {
        // Hand the backend back and let the bus save its state now, not at exit.
        hid::SetHidBackend(nullptr);
        bus.reset();
    }
    return code;
}

}  // namespace q840::ctl
