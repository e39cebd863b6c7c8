#include "app/ControlTables.h"

#include "controls/CAudioRecordUI.h"
#include "controls/CChartViewUI.h"
#include "controls/CCircleProgressUI.h"
#include "controls/CComboEditContainerElementUI.h"
#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CDeviceProfileUI.h"
#include "controls/CHandImgButtonUI.h"
#include "controls/CHandImgSelectButtonUI.h"
#include "controls/CMpDevicePowerUI.h"
#include "controls/CRedioMacroButtonUI.h"
#include "controls/CSelectPanelUI.h"
#include "controls/CWndUI.h"
#include "editors/CKeySetControlUI.h"
#include "editors/CLightControlUI.h"
#include "editors/CMacroControlUI.h"
#include "editors/CShootControlUI.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixMouseDevice.h"
#include "pages/COrvenixUSBDevice.h"

#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"

namespace q840 {

const std::array<FactoryEntry, 24> kFactoryControls = {{
    {"CCircleProgressUI", &controls::CCircleProgressUI::Create},
    {"CChartViewUI", &controls::CChartViewUI::Create},
    {"CWndUI", &controls::CWndUI::Create},
    {"CSelectPanelUI", &controls::CSelectPanelUI::Create},
    {"CDeviceKeyButtonUI", &controls::CDeviceKeyButtonUI::Create},
    {"CCloudShareListItemUI", nullptr},
    {"CUpdateInfoListItemUI", nullptr},
    {"CDeviceOptionUI", &entry::CDeviceOptionUI::Create},
    {"CMpDevicePowerUI", &controls::CMpDevicePowerUI::Create},
    {"CComboEditContainerElementUI", &controls::CComboEditContainerElementUI::Create},
    {"CHandImgButtonUI", &controls::CHandImgButtonUI::Create},
    {"CHandImgSelectButtonUI", &controls::CHandImgSelectButtonUI::Create},
    {"CRedioMacroButtonUI", &controls::CRedioMacroButtonUI::Create},
    {"CAudioRecordUI", &controls::CAudioRecordUI::Create},
    {"CLightControlUI", &editors::CLightControlUI::Create},
    {"CMacroControlUI", &editors::CMacroControlUI::Create},
    {"CKeySetControlUI", &editors::CKeySetControlUI::Create},
    {"CDeviceProfileUI", &controls::CDeviceProfileUI::Create},
    {"CShootControlUI", &editors::CShootControlUI::Create},
    {"CMagicControlUI", nullptr},
    {"CVoice6533ControlUI", nullptr},
    {"COrvenixUSBDevice", [] { return static_cast<QWidget*>(new pages::COrvenixUSBDevice()); }},
    {"COrvenixMousePadDevice", nullptr},
    {"COrvenixVA6533Device", nullptr},
}};

const std::array<MainTagEntry, 26> kMainWindowTags = {{
    {"CircleProgress", &controls::CCircleProgressUI::Create, nullptr},
    {"SelectPanel", &controls::CSelectPanelUI::Create, nullptr},
    {"DeviceKeyButton", &controls::CDeviceKeyButtonUI::Create, nullptr},
    {"HandImgButton", &controls::CHandImgButtonUI::Create, nullptr},
    {"AudioRecord", &controls::CAudioRecordUI::Create, nullptr},
    {"HandImgSelectButton", &controls::CHandImgSelectButtonUI::Create, nullptr},
    {"RedioMacroButton", &controls::CRedioMacroButtonUI::Create, nullptr},
    {"ComboEditContainerElement", &controls::CComboEditContainerElementUI::Create, nullptr},
    {"OrvenixMousePadDevice", nullptr, nullptr},
    {"OrvenixVA6533Device", nullptr, nullptr},
    {"OrvenixMouseDevice", &pages::COrvenixMouseDevice::Create, nullptr},
    {"OrvenixKeyboardDevice", nullptr, nullptr},
    {"DeviceProfile", &controls::CDeviceProfileUI::Create, nullptr},
    {"LightControl", &editors::CLightControlUI::Create, nullptr},
    {"MagicControl", nullptr, nullptr},
    {"Voice6533Control", nullptr, nullptr},
    {"KeySetControl", &editors::CKeySetControlUI::Create, nullptr},
    {"ShootControl", &editors::CShootControlUI::Create, nullptr},
    {"DeviceProfileUI", nullptr, "XML/CustomControlXML/DeviceProfile.xml"},
    {"LightSetControlUI", nullptr, "XML/CustomControlXML/LightControl.xml"},
    {"Voice6533SetControlUI", nullptr, "XML/CustomControlXML/Voice6533Control.xml"},
    {"MagicSetControlUI", nullptr, "XML/CustomControlXML/MagicControl.xml"},
    {"KeySetControlUI", nullptr, "XML/CustomControlXML/KeySetControl.xml"},
    {"MacroSetControlUI", nullptr, "XML/CustomControlXML/MacroControl.xml"},
    {"ShootKeySetControlUI", nullptr, "XML/CustomControlXML/ShootControl.xml"},
    {"VirtualSetControlUI", nullptr, "XML/CustomControlXML/VirtualSet.xml"},
}};

int RegisterCustomControls() {
    int registered = 0;
    for (const FactoryEntry& entry : kFactoryControls) {
        if (entry.create != nullptr) {
            ui::CControlFactory::GetInstance().RegistControl(entry.name, entry.create);
            ++registered;
        }
    }
    return registered;
}

QWidget* CreateMainWindowControl(const QString& tag, ui::CPaintManagerUI* manager) {
    for (const MainTagEntry& entry : kMainWindowTags) {
        if (tag.compare(QLatin1String(entry.tag), Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (entry.subLayout != nullptr) {
            ui::CDialogBuilder builder;
            return builder.Create(QString::fromLatin1(entry.subLayout), nullptr, manager, nullptr);
        }
        return entry.create != nullptr ? entry.create() : nullptr;
    }
    return nullptr;
}

}  // namespace q840
