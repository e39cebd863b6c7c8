#include "ctl/CtlReport.h"

#include <json/reader.h>

#include <memory>

#include <cctype>
#include <cstring>

#include "core/base/HexDigit.h"
#include "core/catalogue/Catalogue.h"
#include "ctl/CtlDevice.h"
#include "ctl/CtlOutput.h"
#include "ctl/CtlReadings.h"

namespace q840::ctl {

namespace {

// Members read without trusting their types: the report may come from another process.
std::string Str(const Json::Value& object, const char* member) {
    const Json::Value* v =
        object.isObject() ? object.find(member, member + strlen(member)) : nullptr;
    return v != nullptr && v->isString() ? v->asString() : std::string();
}
long Int(const Json::Value& object, const char* member) {
    const Json::Value* v =
        object.isObject() ? object.find(member, member + strlen(member)) : nullptr;
    return v != nullptr && v->isInt64() ? long(v->asInt64()) : 0;
}
const Json::Value& Member(const Json::Value& object, const char* member) {
    static const Json::Value kNull;
    const Json::Value* v =
        object.isObject() ? object.find(member, member + strlen(member)) : nullptr;
    return v != nullptr ? *v : kNull;
}

bool BytesOf(const Json::Value& report, const char* member, size_t size,
             std::vector<uint8_t>* bytes) {
    return ParseHexBytes(Str(report, member), bytes) && bytes->size() == size;
}

}  // namespace

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
    bytes->clear();
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) {
            return false;
        }
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes->push_back(uint8_t(high * 16 + low));
        i += 2;
    }
    return true;
}

Json::Value DeviceJson(uint16_t typeCode, uint16_t vendorId, uint16_t productId,
                       const std::string& path) {
    Json::Value device(Json::objectValue);
    const uint16_t cable = catalogue::CableTypeOf(typeCode);
    device["kind"] = cable == catalogue::kTypeMouse      ? "mouse"
                     : cable == catalogue::kTypeMousePad ? "pad"
                     : cable == catalogue::kTypeHeadset  ? "headset"
                                                         : "other";
    device["name"] = TypeName(typeCode);
    device["receiver"] = catalogue::IsReceiverType(typeCode);
    device["vendorId"] = vendorId;
    device["productId"] = productId;
    device["path"] = path;
    return device;
}

void PrintHeader(const Json::Value& device, std::ostream& out) {
    out << "device: " << Str(device, "name") << " (" << Hex(unsigned(Int(device, "vendorId")), 4)
        << ":" << Hex(unsigned(Int(device, "productId")), 4) << ") on " << Str(device, "path")
        << "\n";
}

Json::Value InfoReport(const Json::Value& device, const protocol::InfoRecord& info) {
    const char* state = info.state == protocol::InfoRecord::kStateNew           ? "new"
                        : info.state == protocol::InfoRecord::kStateInitialised ? "initialised"
                                                                                : "unknown";
    Json::Value root(Json::objectValue);
    root["device"] = device;
    root["signature"] = info.signature;
    root["signatureValid"] = info.HasSignature();
    root["state"] = info.state;
    root["stateName"] = state;
    root["keySlots"] = info.keySlots;
    root["macroCapacityBytes"] = Json::UInt(info.MacroCapacityBytes());
    root["sensor"] = info.sensorId;
    root["dpiStep"] = info.dpiStep;
    root["dpiSliderMaxPlus10"] = info.sliderMaxPlus10;
    root["dpiBase"] = info.dpiBase;
    root["bytes"] = HexBytes(info.raw.data(), info.raw.size(), false);
    return root;
}

void PrintInfoReport(const Json::Value& report, std::ostream& out) {
    std::vector<uint8_t> bytes;
    BytesOf(report, "bytes", protocol::InfoRecord::kSize, &bytes);
    bytes.resize(protocol::InfoRecord::kSize);
    const auto info = protocol::InfoRecord::Decode(bytes.data(), bytes.size());
    PrintHeader(Member(report, "device"), out);
    out << "signature: " << Hex(info.signature, 4) << (info.HasSignature() ? "" : " (invalid)")
        << "\n";
    out << "state: " << int(info.state) << " (" << Str(report, "stateName") << ")\n";
    out << "key slots: " << int(info.keySlots) << "\n";
    out << "macro capacity: " << int(info.macroCapacity) << " x 128 = " << info.MacroCapacityBytes()
        << " bytes\n";
    out << "sensor: " << Hex(info.sensorId, 4) << "\n";
    out << "DPI step: " << int(info.dpiStep) << "\n";
    out << "DPI slider maximum + 10: " << info.sliderMaxPlus10 << "\n";
    out << "DPI base: " << info.dpiBase << "\n";
    out << "bytes: " << HexBytes(info.raw.data(), info.raw.size()) << "\n";
}

Json::Value MouseSettingsReport(const Json::Value& device, const protocol::InfoRecord& info,
                                const std::array<uint8_t, protocol::SettingsBlock::kSize>& block,
                                const EffectNames& effects) {
    Json::Value root = MouseSettingsJson(info, block, effects);
    root["device"] = device;
    root["infoBytes"] = HexBytes(info.raw.data(), info.raw.size(), false);
    return root;
}

bool PrintMouseSettingsReport(const Json::Value& report, bool raw, const EffectNames& effects,
                              std::ostream& out) {
    std::vector<uint8_t> block, record;
    if (!BytesOf(report, "bytes", protocol::SettingsBlock::kSize, &block) ||
        !BytesOf(report, "infoBytes", protocol::InfoRecord::kSize, &record)) {
        return false;
    }
    const auto info = protocol::InfoRecord::Decode(record.data(), record.size());
    PrintHeader(Member(report, "device"), out);
    const auto s = protocol::SettingsBlock::Decode(block.data(), block.size());
    if (raw) {
        out << "profile: " << int(block[0]) << "\n";
        PrintRawMouseSettings(s, out);
        out << "bytes: " << HexBytes(block.data(), block.size()) << "\n";
    } else {
        for (const ReadingLine& l : MouseSettingLines(info, s, effects)) {
            out << l.label << ": " << l.value << "\n";
        }
    }
    return true;
}

Json::Value BatteryReport(const Json::Value& device, uint8_t percent, uint8_t charge) {
    static constexpr std::array<const char*, 3> kCharge = {"full", "charging", "on battery"};
    Json::Value root(Json::objectValue);
    root["device"] = device;
    root["percent"] = percent;
    Json::Value state(Json::objectValue);
    state["state"] = charge < kCharge.size() ? Json::Value(kCharge[charge]) : Json::Value();
    state["raw"] = charge;
    root["charge"] = state;
    return root;
}

void PrintBatteryReport(const Json::Value& report, std::ostream& out) {
    PrintHeader(Member(report, "device"), out);
    const Json::Value& charge = Member(report, "charge");
    const std::string state = Str(charge, "state");
    out << "battery: " << Int(report, "percent") << " %\n";
    out << "charge: " << (state.empty() ? "unknown" : state) << " (" << Int(charge, "raw") << ")\n";
}

bool ParseReportText(const std::string& text, Json::Value* report) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        return reader->parse(text.data(), text.data() + text.size(), report, &errors) &&
               report->isObject();
    } catch (const Json::Exception&) {
        return false;
    }
}

}  // namespace q840::ctl
