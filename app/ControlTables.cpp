#include "app/ControlTables.h"

#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"

namespace q840 {

const std::array<FactoryEntry, 24> kFactoryControls = {{
    {"CCircleProgressUI", nullptr},
    {"CChartViewUI", nullptr},
    {"CWndUI", nullptr},
    {"CSelectPanelUI", nullptr},
    {"CDeviceKeyButtonUI", nullptr},
    {"CCloudShareListItemUI", nullptr},
    {"CUpdateInfoListItemUI", nullptr},
    {"CDeviceOptionUI", nullptr},
    {"CMpDevicePowerUI", nullptr},
    {"CComboEditContainerElementUI", nullptr},
    {"CHandImgButtonUI", nullptr},
    {"CHandImgSelectButtonUI", nullptr},
    {"CRedioMacroButtonUI", nullptr},
    {"CAudioRecordUI", nullptr},
    {"CLightControlUI", nullptr},
    {"CMacroControlUI", nullptr},
    {"CKeySetControlUI", nullptr},
    {"CDeviceProfileUI", nullptr},
    {"CShootControlUI", nullptr},
    {"CMagicControlUI", nullptr},
    {"CVoice6533ControlUI", nullptr},
    {"COrvenixUSBDevice", nullptr},
    {"COrvenixMousePadDevice", nullptr},
    {"COrvenixVA6533Device", nullptr},
}};

const std::array<MainTagEntry, 26> kMainWindowTags = {{
    {"CircleProgress", nullptr, nullptr},
    {"SelectPanel", nullptr, nullptr},
    {"DeviceKeyButton", nullptr, nullptr},
    {"HandImgButton", nullptr, nullptr},
    {"AudioRecord", nullptr, nullptr},
    {"HandImgSelectButton", nullptr, nullptr},
    {"RedioMacroButton", nullptr, nullptr},
    {"ComboEditContainerElement", nullptr, nullptr},
    {"OrvenixMousePadDevice", nullptr, nullptr},
    {"OrvenixVA6533Device", nullptr, nullptr},
    {"OrvenixMouseDevice", nullptr, nullptr},
    {"OrvenixKeyboardDevice", nullptr, nullptr},
    {"DeviceProfile", nullptr, nullptr},
    {"LightControl", nullptr, nullptr},
    {"MagicControl", nullptr, nullptr},
    {"Voice6533Control", nullptr, nullptr},
    {"KeySetControl", nullptr, nullptr},
    {"ShootControl", nullptr, nullptr},
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
