// The main window's tray icon as a status display: which devices are attached, their batteries,
// and the desktop notice of a battery running low.
#include <QLabel>

#include "app/CMainWnd.h"
#include "controls/CMpDevicePowerUI.h"
#include "entry/CDeviceOptionUI.h"
#include "platform/Paths.h"

namespace q840 {

std::vector<TrayDevice> CMainWnd::CollectTrayDevices() const {
    std::vector<TrayDevice> devices;
    QWidget* strip = FindControl("device_select_layout");
    if (strip == nullptr) {
        return devices;
    }
    for (QObject* child : strip->children()) {
        auto* entry = qobject_cast<entry::CDeviceOptionUI*>(child);
        if (entry == nullptr || !entry->IsEntryVisible() || entry->GetPage() == nullptr) {
            continue;
        }
        TrayDevice device;
        device.key = QString::number(reinterpret_cast<quintptr>(entry->GetPage()), 16);
        device.name = entry->GetNameLabel() != nullptr ? entry->GetNameLabel()->text() : QString();
        if (auto* power =
                qobject_cast<controls::CMpDevicePowerUI*>(entry->GetPage()->GetBatteryControl())) {
            device.percent = power->GetPercent();
            device.charge = power->GetChargeState();
        }
        devices.push_back(device);
    }
    return devices;
}

void CMainWnd::RefreshTrayStatus() {
    const std::vector<TrayDevice> devices = CollectTrayDevices();
    m_tray.SetToolTipText(m_trayStatus.ToolTip(QString::fromLatin1(kProductTitle), devices));
    for (const TrayDevice& low : m_trayStatus.TakeLowBattery(devices)) {
        if (m_desktopNotifier) {
            m_desktopNotifier(m_trayStatus.LowSummary(), m_trayStatus.LowBody(low));
        }
    }
}

}  // namespace q840
