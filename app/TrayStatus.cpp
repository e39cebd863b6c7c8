#include "app/TrayStatus.h"

#include <QStringList>

namespace q840 {

QString TrayStatus::Text(const char* key) const {
    return m_texts ? m_texts(QString::fromLatin1(key)) : QString::fromLatin1(key);
}

QString TrayStatus::ToolTip(const QString& title, const std::vector<TrayDevice>& devices) const {
    QStringList lines{title};
    if (devices.empty()) {
        lines << Text("tray_tip_no_device");
    }
    for (const TrayDevice& device : devices) {
        if (device.percent < 0) {
            lines << device.name;
            continue;
        }
        const char* key = device.charge == 1   ? "tray_tip_charging"
                          : device.charge == 0 ? "tray_tip_full"
                                               : "tray_tip_battery";
        lines << Text(key).arg(device.name).arg(device.percent);
    }
    return lines.join('\n');
}

std::vector<TrayDevice> TrayStatus::TakeLowBattery(const std::vector<TrayDevice>& devices) {
    std::vector<TrayDevice> low;
    for (const TrayDevice& device : devices) {
        if (device.percent < 0) {
            continue;
        }
        if (device.charge != kChargeOnBattery || device.percent > kRearmPercent) {
            m_warned.erase(device.key);  // charged: the next discharge is told of again
            continue;
        }
        if (device.percent <= kLowPercent && m_warned.insert(device.key).second) {
            low.push_back(device);
        }
    }
    return low;
}

QString TrayStatus::LowSummary() const {
    return Text("battery_low_title");
}

QString TrayStatus::LowBody(const TrayDevice& device) const {
    return Text("battery_low_text").arg(device.name).arg(device.percent);
}

}  // namespace q840
