#include "core/sim/SimState.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/base/DebugLine.h"
#include "core/sim/DemoDevices.h"
#include "core/sim/VirtualBus.h"
#include "core/base/HexDigit.h"

namespace q840::sim {

namespace {

constexpr size_t kInfoRecordSize = 34;
constexpr size_t kInfoKeySlots = 5;
constexpr size_t kInfoMacroCapacity = 6;
constexpr size_t kInfoState = 7;
constexpr size_t kInfoSensorLow = 9;
constexpr size_t kBlockSize = 128;

std::string Hex16(unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%04X", value & 0xFFFF);
    return buffer;
}

std::string Hex24(unsigned value) {
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, "0x%06X", value & 0xFFFFFF);
    return buffer;
}

// Accepts a number or a "0x..." / decimal string; false when neither.
bool ReadNumber(const Json::Value& v, unsigned& out) {
    if (v.isUInt()) {
        out = v.asUInt();
        return true;
    }
    if (v.isString()) {
        const std::string s = v.asString();
        char* end = nullptr;
        const unsigned long n = std::strtoul(s.c_str(), &end, 0);
        if (!s.empty() && end && *end == '\0') {
            out = static_cast<unsigned>(n);
            return true;
        }
    }
    return false;
}

size_t TrimmedLength(const std::vector<uint8_t>& bytes, size_t from, size_t length) {
    size_t n = length;
    while (n > 0 && bytes[from + n - 1] == 0) {
        --n;
    }
    return n;
}

Json::Value Blocks(const std::vector<uint8_t>& area) {
    Json::Value blocks(Json::arrayValue);
    size_t last = 0;  // number of blocks up to the last non-empty one
    for (size_t b = 0; b * kBlockSize < area.size(); ++b) {
        if (TrimmedLength(area, b * kBlockSize, kBlockSize)) {
            last = b + 1;
        }
    }
    for (size_t b = 0; b < last; ++b) {
        const size_t n = TrimmedLength(area, b * kBlockSize, kBlockSize);
        blocks.append(BytesToHex(area.data() + b * kBlockSize, n));
    }
    return blocks;
}

std::vector<uint8_t> FromBlocks(const Json::Value& blocks) {
    std::vector<uint8_t> area;
    for (Json::ArrayIndex b = 0; b < blocks.size(); ++b) {
        // A block that is not text (a hand-edited file) reads as an empty block, so the blocks
        // after it keep their addresses.
        std::vector<uint8_t> block =
            blocks[b].isString() ? HexToBytes(blocks[b].asString()) : std::vector<uint8_t>();
        block.resize(kBlockSize, 0);
        area.insert(area.end(), block.begin(), block.end());
    }
    return area;
}

Json::Value PeripheralToJson(const VirtualPeripheral& p, bool withKeys) {
    Json::Value out(Json::objectValue);
    const std::vector<uint8_t> info = p.Info();
    Json::Value information(Json::objectValue);
    information["signature"] = Hex16(info[0] | (info[1] << 8));
    information["state"] = info[kInfoState];
    information["sensor"] = Hex16(info[kInfoSensorLow] | (info[kInfoSensorLow + 1] << 8));
    information["keySlots"] = info[kInfoKeySlots];
    information["macroCapacity"] = info[kInfoMacroCapacity];
    information["bytes"] = BytesToHex(info.data(), kInfoRecordSize);
    out["information"] = information;
    if (withKeys) {
        const std::vector<uint8_t> keys = p.KeyTable();
        Json::Value assignments(Json::arrayValue);
        for (size_t slot = 0; slot < info[kInfoKeySlots] && slot * 3 + 2 < keys.size(); ++slot) {
            assignments.append(
                Hex24((keys[slot * 3] << 16) | (keys[slot * 3 + 1] << 8) | keys[slot * 3 + 2]));
        }
        out["keyAssignments"] = assignments;
    }
    out["settings"] = Blocks(p.Settings());
    const std::vector<uint8_t> macro = p.MacroArea();
    if (TrimmedLength(macro, 0, macro.size())) {
        out["macroArea"] = Blocks(macro);
    }
    const std::vector<uint8_t> shoot = p.ShootArea();
    if (TrimmedLength(shoot, 0, shoot.size())) {
        out["shootArea"] = Blocks(shoot);
    }
    Json::Value battery(Json::objectValue);
    battery["level"] = p.BatteryLevel();
    battery["charging"] = p.Charging();
    out["battery"] = battery;
    return out;
}

void PeripheralFromJson(VirtualPeripheral& p, const Json::Value& in) {
    if (!in.isObject()) {
        return;
    }
    const Json::Value& information = in["information"];
    if (information.isObject()) {
        std::vector<uint8_t> info = p.Info();
        info.resize(VirtualPeripheral::kInfoSize, 0);
        if (information["bytes"].isString()) {
            const std::vector<uint8_t> raw = HexToBytes(information["bytes"].asString());
            std::fill(info.begin(), info.end(), 0);
            std::copy_n(raw.begin(), std::min(raw.size(), info.size()), info.begin());
        }
        // The named fields win over the raw bytes.
        unsigned n = 0;
        if (ReadNumber(information["signature"], n)) {
            info[0] = n & 0xFF;
            info[1] = (n >> 8) & 0xFF;
        }
        if (ReadNumber(information["state"], n)) {
            info[kInfoState] = n & 0xFF;
        }
        if (ReadNumber(information["sensor"], n)) {
            info[kInfoSensorLow] = n & 0xFF;
            info[kInfoSensorLow + 1] = (n >> 8) & 0xFF;
        }
        if (ReadNumber(information["keySlots"], n)) {
            info[kInfoKeySlots] = n & 0xFF;
        }
        if (ReadNumber(information["macroCapacity"], n)) {
            info[kInfoMacroCapacity] = n & 0xFF;
        }
        p.SetInfo(info);
    }
    const Json::Value& assignments = in["keyAssignments"];
    if (assignments.isArray()) {
        std::vector<uint8_t> keys(VirtualPeripheral::kKeyTableSize, 0);
        for (Json::ArrayIndex slot = 0; slot < assignments.size() && slot * 3 + 2 < keys.size();
             ++slot) {
            unsigned a = 0;
            if (ReadNumber(assignments[slot], a)) {
                keys[slot * 3] = (a >> 16) & 0xFF;
                keys[slot * 3 + 1] = (a >> 8) & 0xFF;
                keys[slot * 3 + 2] = a & 0xFF;
            }
        }
        p.SetKeyTable(keys);
    }
    if (in["settings"].isArray()) {
        p.SetSettings(FromBlocks(in["settings"]));
    }
    if (in["macroArea"].isArray()) {
        p.SetMacroArea(FromBlocks(in["macroArea"]));
    }
    if (in["shootArea"].isArray()) {
        p.SetShootArea(FromBlocks(in["shootArea"]));
    }
    const Json::Value& battery = in["battery"];
    if (battery.isObject()) {
        unsigned level = p.BatteryLevel();
        ReadNumber(battery["level"], level);
        const bool charging =
            battery["charging"].isBool() ? battery["charging"].asBool() : p.Charging();
        p.SetBattery(static_cast<uint8_t>(std::min(level, 100u)), charging);
    }
}

void PluggedFromJson(VirtualBus& bus, const char* channel, const Json::Value& v) {
    auto device = bus.Find(channel);
    if (device && v.isBool()) {
        if (v.asBool()) {
            bus.Plug(device);
        } else {
            bus.Unplug(device);
        }
    }
}

}  // namespace

std::string BytesToHex(const uint8_t* bytes, size_t length) {
    std::string out;
    out.reserve(length * 3);
    char buffer[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(buffer, sizeof buffer, i ? " %02x" : "%02x", bytes[i]);
        out += buffer;
    }
    return out;
}

std::vector<uint8_t> HexToBytes(const std::string& text) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) {
            break;
        }
        const int hi = HexDigitValue(text[i]);
        const int lo = HexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0) {
            break;
        }
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
        i += 2;
    }
    return out;
}

Json::Value StateToJson(const VirtualBus& bus) {
    Json::Value root(Json::objectValue);
    if (auto mouse = bus.Mouse()) {
        Json::Value m = PeripheralToJson(*mouse, true);
        m["linkUp"] = mouse->LinkUp();
        m["asleep"] = mouse->Asleep();
        auto cable = bus.Find(kCableChannel);
        auto receiver = bus.Find(kReceiverChannel);
        m["cablePlugged"] = cable && cable->IsPlugged();
        m["receiverPlugged"] = receiver && receiver->IsPlugged();
        root["mouse"] = m;
    }
    if (auto pad = bus.MousePad()) {
        Json::Value m = PeripheralToJson(*pad, false);
        auto device = bus.Find(kPadChannel);
        m["plugged"] = device && device->IsPlugged();
        root["mousePad"] = m;
    }
    if (auto headset = bus.Headset()) {
        Json::Value m = PeripheralToJson(*headset, false);
        auto device = bus.Find(kHeadsetChannel);
        m["plugged"] = device && device->IsPlugged();
        root["headset"] = m;
    }
    return root;
}

bool StateFromJson(VirtualBus& bus, const Json::Value& state) {
    if (!state.isObject()) {
        return false;
    }
    if (auto mouse = bus.Mouse(); mouse && state["mouse"].isObject()) {
        const Json::Value& m = state["mouse"];
        PeripheralFromJson(*mouse, m);
        if (m["linkUp"].isBool()) {
            mouse->SetLinkUp(m["linkUp"].asBool());
        }
        if (m["asleep"].isBool()) {
            mouse->SetAsleep(m["asleep"].asBool());
        }
        PluggedFromJson(bus, kCableChannel, m["cablePlugged"]);
        PluggedFromJson(bus, kReceiverChannel, m["receiverPlugged"]);
    }
    if (auto pad = bus.MousePad(); pad && state["mousePad"].isObject()) {
        PeripheralFromJson(*pad, state["mousePad"]);
        PluggedFromJson(bus, kPadChannel, state["mousePad"]["plugged"]);
    }
    if (auto headset = bus.Headset(); headset && state["headset"].isObject()) {
        PeripheralFromJson(*headset, state["headset"]);
        PluggedFromJson(bus, kHeadsetChannel, state["headset"]["plugged"]);
    }
    return true;
}

bool SaveState(const VirtualBus& bus, const std::string& path) {
    const std::string text = Json::StyledWriter().write(StateToJson(bus));
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out << text;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool LoadState(VirtualBus& bus, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    Json::Value root;
    Json::Reader reader;
    bool parsed = false;
    try {
        parsed = reader.parse(text.str(), root, false);
    } catch (const Json::Exception&) {
        // The reader throws instead of failing on some inputs, e.g. nesting too deep to follow.
        parsed = false;
    }
    if (!parsed || !root.isObject()) {
        DebugLine("simulator: %s is not a state file, using the demo devices", path.c_str());
        return false;
    }
    return StateFromJson(bus, root);
}

}  // namespace q840::sim
