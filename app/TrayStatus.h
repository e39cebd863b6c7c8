#pragma once

#include <QString>
#include <functional>
#include <set>
#include <vector>

namespace q840 {

// One attached device as the tray icon tells of it.
struct TrayDevice {
    QString key;       // stays the same for the device while the program runs
    QString name;      // as the device strip shows it
    int percent = -1;  // battery level; -1 when the device shows none
    int charge = -1;   // 0 full on power, 1 charging, 2 on battery
};

// What the tray icon says about the attached devices, and when the desktop hears of a battery
// running low: once when a device on battery falls to kLowPercent or below, and not again until
// it has been charging (or is seen above kRearmPercent, charged elsewhere). A device that goes
// away and comes back within one discharge is not told of twice.
class TrayStatus {
public:
    static constexpr int kLowPercent = 15;
    static constexpr int kRearmPercent = 20;
    static constexpr int kChargeOnBattery = 2;

    // The text of a language key.
    using TextSource = std::function<QString(const QString& key)>;
    explicit TrayStatus(TextSource texts) : m_texts(std::move(texts)) {}

    // The tooltip: the program's title, then a line per device with its battery.
    QString ToolTip(const QString& title, const std::vector<TrayDevice>& devices) const;

    // The devices that have just run low; each comes once per discharge.
    std::vector<TrayDevice> TakeLowBattery(const std::vector<TrayDevice>& devices);

    // The notice for a device that ran low: summary and body.
    QString LowSummary() const;
    QString LowBody(const TrayDevice& device) const;

private:
    QString Text(const char* key) const;

    TextSource m_texts;
    std::set<QString> m_warned;  // devices told of in this discharge
};

}  // namespace q840
