#include "core/sim/VirtualPeripheral.h"

#include <algorithm>
#include <cstring>

#include "core/sim/VirtualHidDevice.h"

namespace q840::sim {

namespace {

// Offsets inside a command or reply report.
constexpr size_t kOffReportId = 0;
constexpr size_t kOffChecksumLow = 1;
constexpr size_t kOffChecksumHigh = 2;
constexpr size_t kOffCode = 3;
constexpr size_t kOffLength = 4;
constexpr size_t kOffAddressLow = 5;
constexpr size_t kOffAddressHigh = 6;
constexpr size_t kOffStatus = 7;
constexpr size_t kOffPayload = 8;
constexpr size_t kReportSize = 64;

constexpr size_t kMacroAreaMax = 255 * 128;
constexpr size_t kInfoMacroCapacity = 6;  // information byte: macro area size / 128

// Charge state byte of the status record: 0 full on power, 1 charging, 2 on battery.
constexpr uint8_t kChargeFull = 0;
constexpr uint8_t kChargeCharging = 1;
constexpr uint8_t kChargeBattery = 2;

}  // namespace

uint16_t ReportChecksum(const uint8_t* report64) {
    uint32_t sum = 0;
    for (size_t i = kOffCode; i < kReportSize; ++i) {
        sum += report64[i];
    }
    return static_cast<uint16_t>(sum & 0xFFFF);
}

VirtualPeripheral::VirtualPeripheral(PeripheralKind kind)
    : m_kind(kind),
      m_info(kInfoSize, 0),
      m_settings(kSettingsSize, 0),
      m_keyTable(kKeyTableSize, 0),
      m_banked(kBankedSize, 0),
      m_light(kLightSize, 0),
      m_macro(kMacroAreaMax, 0),
      m_shoot(kShootAreaSize, 0) {}

std::vector<uint8_t>* VirtualPeripheral::Region(uint8_t code, size_t* limit) {
    std::vector<uint8_t>* region = nullptr;
    switch (code) {
        case cmd::kReadInfo:
        case cmd::kWriteInfo:
            region = &m_info;
            break;
        case cmd::kReadSettings:
        case cmd::kWriteSettings:
            region = &m_settings;
            break;
        case cmd::kReadKeyTable:
        case cmd::kWriteKeyTable:
            region = &m_keyTable;
            break;
        case cmd::kReadBanked:
        case cmd::kWriteBanked:
        case cmd::kReadColourSlots:
            region = &m_banked;
            break;
        case cmd::kStreamLight:
            region = &m_light;
            break;
        case cmd::kWriteMacroArea:
            region = &m_macro;
            break;
        case cmd::kWriteShootArea:
            region = &m_shoot;
            break;
        default:
            return nullptr;
    }
    *limit = region->size();
    if (region == &m_macro) {
        // The mouse only has the memory its information record announces.
        *limit = std::min<size_t>(m_macro.size(), size_t(m_info[kInfoMacroCapacity]) * 128);
    }
    return region;
}

void VirtualPeripheral::Answer(const uint8_t* command, uint8_t* reply, bool viaReceiver) {
    std::memset(reply, 0, kReportSize);
    reply[kOffReportId] = command[kOffReportId];
    reply[kOffCode] = command[kOffCode];
    reply[kOffLength] = command[kOffLength];
    reply[kOffAddressLow] = command[kOffAddressLow];
    reply[kOffAddressHigh] = command[kOffAddressHigh];

    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_stats.commands;
    const uint16_t sent = command[kOffChecksumLow] | (command[kOffChecksumHigh] << 8);
    if (sent != ReportChecksum(command)) {
        ++m_stats.badChecksums;
        reply[kOffStatus] = kStatusBadRequest;
        return;
    }

    const uint8_t code = command[kOffCode];
    const size_t length = command[kOffLength];
    const size_t address = command[kOffAddressLow] | (command[kOffAddressHigh] << 8);
    uint8_t status = kStatusOk;

    switch (code) {
        case cmd::kBegin:
            ++m_stats.begins;
            break;
        case cmd::kEnd:
            ++m_stats.ends;
            break;
        case cmd::kLinkCheck:
            reply[kOffPayload] = 0xFF;
            break;
        case cmd::kLightControl:
            m_lightControl = true;
            break;
        case cmd::kReadStatus: {
            uint8_t record[kStatusSize] = {};
            record[0] = m_batteryLevel;
            record[1] = viaReceiver ? kChargeBattery
                                    : (m_batteryLevel >= 100 && !m_charging ? kChargeFull
                                                                            : kChargeCharging);
            if (length > kMaxPayload || address + length > kStatusSize) {
                status = kStatusBadRequest;
            } else {
                std::memcpy(reply + kOffPayload, record + address, length);
            }
            break;
        }
        case cmd::kReadInfo:
        case cmd::kReadSettings:
        case cmd::kReadKeyTable:
        case cmd::kReadBanked:
        case cmd::kReadColourSlots: {
            size_t limit = 0;
            std::vector<uint8_t>* region = Region(code, &limit);
            if (length > kMaxPayload || address + length > limit) {
                status = kStatusBadRequest;
            } else {
                std::memcpy(reply + kOffPayload, region->data() + address, length);
            }
            break;
        }
        case cmd::kWriteInfo:
        case cmd::kWriteSettings:
        case cmd::kWriteKeyTable:
        case cmd::kWriteBanked:
        case cmd::kStreamLight:
        case cmd::kWriteMacroArea:
        case cmd::kWriteShootArea: {
            size_t limit = 0;
            std::vector<uint8_t>* region = Region(code, &limit);
            if (length > kMaxPayload || address + length > limit) {
                status = kStatusBadRequest;
            } else {
                std::memcpy(region->data() + address, command + kOffPayload, length);
                if (code == cmd::kWriteInfo) {
                    ++m_stats.infoWrites;
                }
            }
            break;
        }
        default:
            status = kStatusUnsupported;
            break;
    }
    reply[kOffStatus] = status;
}

std::vector<uint8_t> VirtualPeripheral::Info() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_info;
}

namespace {
void CopyInto(std::vector<uint8_t>& region, const std::vector<uint8_t>& bytes) {
    std::fill(region.begin(), region.end(), 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), region.size()), region.begin());
}
}  // namespace

void VirtualPeripheral::SetInfo(const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CopyInto(m_info, bytes);
}

std::vector<uint8_t> VirtualPeripheral::Settings() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_settings;
}

void VirtualPeripheral::SetSettings(const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CopyInto(m_settings, bytes);
}

std::vector<uint8_t> VirtualPeripheral::KeyTable() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_keyTable;
}

void VirtualPeripheral::SetKeyTable(const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CopyInto(m_keyTable, bytes);
}

std::vector<uint8_t> VirtualPeripheral::MacroArea() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t capacity =
        std::min<size_t>(m_macro.size(), size_t(m_info[kInfoMacroCapacity]) * 128);
    return std::vector<uint8_t>(m_macro.begin(), m_macro.begin() + capacity);
}

void VirtualPeripheral::SetMacroArea(const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CopyInto(m_macro, bytes);
}

std::vector<uint8_t> VirtualPeripheral::ShootArea() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shoot;
}

void VirtualPeripheral::SetShootArea(const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    CopyInto(m_shoot, bytes);
}

std::vector<uint8_t> VirtualPeripheral::LightFrame() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_light;
}

std::vector<std::vector<uint8_t>> VirtualPeripheral::LedReports() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ledReports;
}

bool VirtualPeripheral::LightControlOn() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lightControl;
}

uint8_t VirtualPeripheral::BatteryLevel() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_batteryLevel;
}

bool VirtualPeripheral::Charging() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_charging;
}

void VirtualPeripheral::SetBattery(uint8_t level, bool charging) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_batteryLevel = std::min<uint8_t>(level, 100);
    m_charging = charging;
}

void VirtualPeripheral::SetLinkUp(bool up) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_linkUp = up;
}

bool VirtualPeripheral::LinkUp() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_linkUp;
}

void VirtualPeripheral::SetAsleep(bool asleep) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_asleep = asleep;
}

bool VirtualPeripheral::Asleep() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_asleep;
}

bool VirtualPeripheral::Reachable() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_linkUp && !m_asleep;
}

VirtualPeripheral::Stats VirtualPeripheral::GetStats() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stats;
}

void VirtualPeripheral::AttachLink(const std::shared_ptr<VirtualHidDevice>& link) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_links.push_back(link);
}

void VirtualPeripheral::RaiseEvent(uint16_t code) {
    std::vector<std::shared_ptr<VirtualHidDevice>> links;
    bool reachable = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        reachable = m_linkUp && !m_asleep;
        for (auto& weak : m_links) {
            if (auto link = weak.lock()) {
                links.push_back(link);
            }
        }
    }
    for (auto& link : links) {
        if (link->IsReceiver() && !reachable) {
            continue;
        }
        link->SendEvent(code);
    }
}

void VirtualPeripheral::SwitchProfile(uint8_t profile) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_settings[0] = profile & 0x0F;
    }
    RaiseEvent(static_cast<uint16_t>(0x1000 | (profile & 0x0F)));
}

void VirtualPeripheral::SwitchProfileAndDpiStage(uint8_t profile, uint8_t stage) {
    constexpr size_t kActiveStage = 12;  // settings block byte: active DPI stage
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_settings[0] = profile & 0x0F;
        m_settings[size_t(profile & 0x0F) * 128 + kActiveStage] = stage & 0x0F;
    }
    RaiseEvent(static_cast<uint16_t>(0x1100 | ((stage & 0x0F) << 4) | (profile & 0x0F)));
}

void VirtualPeripheral::OnSetOutputReport(const uint8_t* bytes, size_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ledReports.emplace_back(bytes, bytes + length);
    constexpr size_t kKeep = 256;
    if (m_ledReports.size() > kKeep) {
        m_ledReports.erase(m_ledReports.begin(), m_ledReports.end() - kKeep);
    }
}

}  // namespace q840::sim
