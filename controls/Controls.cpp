#include "controls/Controls.h"

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
#include "platform/ui/CControlFactory.h"

namespace q840::controls {

namespace {
const ControlEntry kEntries[] = {
    {"CCircleProgressUI", "CircleProgress", &CCircleProgressUI::Create},
    {"CChartViewUI", nullptr, &CChartViewUI::Create},
    {"CWndUI", nullptr, &CWndUI::Create},
    {"CSelectPanelUI", "SelectPanel", &CSelectPanelUI::Create},
    {"CDeviceKeyButtonUI", "DeviceKeyButton", &CDeviceKeyButtonUI::Create},
    {"CMpDevicePowerUI", nullptr, &CMpDevicePowerUI::Create},
    {"CComboEditContainerElementUI", "ComboEditContainerElement",
     &CComboEditContainerElementUI::Create},
    {"CHandImgButtonUI", "HandImgButton", &CHandImgButtonUI::Create},
    {"CHandImgSelectButtonUI", "HandImgSelectButton", &CHandImgSelectButtonUI::Create},
    {"CRedioMacroButtonUI", "RedioMacroButton", &CRedioMacroButtonUI::Create},
    {"CAudioRecordUI", "AudioRecord", &CAudioRecordUI::Create},
    {"CDeviceProfileUI", "DeviceProfile", &CDeviceProfileUI::Create},
};
}  // namespace

const ControlEntry* ControlEntries(int* count) {
    if (count != nullptr) {
        *count = static_cast<int>(sizeof(kEntries) / sizeof(kEntries[0]));
    }
    return kEntries;
}

void RegisterControls() {
    ui::CControlFactory& factory = ui::CControlFactory::GetInstance();
    for (const ControlEntry& entry : kEntries) {
        factory.RegistControl(QString::fromLatin1(entry.factoryName), entry.create);
        if (entry.tag != nullptr) {
            factory.RegistControl(QString::fromLatin1(entry.tag), entry.create);
        }
    }
}

}  // namespace q840::controls
