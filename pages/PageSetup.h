#pragma once

// Everything the main window tells a device page once, right after the layout builder made it.
// The page takes it whole with COrvenixUSBDevice::Setup before BuildLayout.

#include <QString>

#include "core/catalogue/DeviceList.h"
#include "platform/MessageTarget.h"

class QWidget;

namespace q840::ui {
class CPaintManagerUI;
}

namespace q840::pages {

struct PageSetup {
    ui::CPaintManagerUI* paintManager = nullptr;
    QString layoutPath;
    HWND mainWindow = nullptr;  // target of 0x0D01 / 0x0D03 / 0x0D05
    int keyButtonCount = 0;     // "key_N" buttons the page binds (0-256)
    int ledCount = 0;           // "light_N" buttons, one per LED (0-256)
    int deviceTypeRow = 0;      // row of the device type table; wParam of 0x0D03
    int powerDisplayMode = 0;   // non-zero when the device reports a battery
    int logoLed = 0;            // LED whose colour the mouse page's "logo" button shows; -1 none
    QString profileName;        // names the profile file; empty: no profile chosen yet (the
                                // page's profile bar names one when the layout has the bar)
    QString deviceKindName;     // "mouse", "keyboard", "MousePad", "HD": names the device folder
    QWidget* batteryControl = nullptr;
    catalogue::DeviceListEntry interfaceRecord;  // the attached command interface
    int lightListIndex = 0;
    QString lightConfigName = QStringLiteral("zelta_light");
};

}  // namespace q840::pages
