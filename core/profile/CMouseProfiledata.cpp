#include "core/profile/CMouseProfiledata.h"

#include "core/profile/JsonAccess.h"

namespace q840::profile {

using namespace json;

std::vector<DpiStage> CMouseProfiledata::ReadDpiStages() {
    const Json::Value& dpi = Member(m_deviceNode, "DPIStages");
    if (dpi.isObject()) {
        m_activeDpiStage = Int32(Member(dpi, "StageActive"));
        const Json::Value& list = Member(dpi, "StageDPIs");
        if (list.isArray()) {
            for (Json::ArrayIndex j = 0; j < list.size(); ++j) {
                const Json::Value& e = list[j];
                DpiStage s;
                s.enabled = MemberByte(e, "StageActive");
                s.separateXY = MemberByte(e, "StageXY");
                s.dpiX = MemberWord(e, "StageDPIX");
                s.dpiY = MemberWord(e, "StageDPIY");
                s.red = MemberByte(e, "StageColorR");
                s.green = MemberByte(e, "StageColorG");
                s.blue = MemberByte(e, "StageColorB");
                if (j < m_dpiStages.size()) {
                    m_dpiStages[j] = s;
                } else {
                    m_dpiStages.push_back(s);
                }
            }
        }
    }
    return m_dpiStages;
}

void CMouseProfiledata::WriteDpiStages(const std::vector<DpiStage>& stages) {
    m_dpiStages = stages;
    Json::Value& list = ArrayMember(ObjectMember(m_deviceNode, "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size(); ++i) {
        Json::Value& e = AsObject(ElementAt(list, static_cast<Json::ArrayIndex>(i)));
        const DpiStage& s = stages[i];
        e["StageActive"] = s.enabled;
        e["StageXY"] = s.separateXY;
        e["StageDPIX"] = s.dpiX;
        e["StageDPIY"] = s.dpiY;
        e["StageColorR"] = s.red;
        e["StageColorG"] = s.green;
        e["StageColorB"] = s.blue;
    }
}

void CMouseProfiledata::SetActiveDpiStage(int index) {
    m_activeDpiStage = index;
    ObjectMember(m_deviceNode, "DPIStages")["StageActive"] = index;
}

MouseSystemSettings CMouseProfiledata::ReadSystemSettings() {
    MouseSystemSettings s{};
    const Json::Value& sys = Member(m_deviceNode, "SystemStages");
    if (sys.isObject()) {
        s.doubleClickTime = MemberWord(sys, "DoubleClickTime");
        s.mouseSpeed = MemberWord(sys, "MouseSpeed");
        s.pointerPrecision = MemberWord(sys, "PointerPrecision");
        s.scrollPage = MemberWord(sys, "ScorllPage");
        s.wheelScrollLines = MemberWord(sys, "WheelScorlllinse");
        const Json::Value& rep = Member(m_deviceNode, "ReportStages");
        if (rep.isObject()) {
            s.reportRate = MemberWord(rep, "StageActive");
            s.silentAltitude = MemberWord(rep, "SilentAltitude");
            s.linearCalibration = MemberWord(rep, "Linear_Calibration");
            s.ripple = MemberWord(rep, "Ripple");
            s.bleSleep1 = MemberWord(rep, "ble_sleep1");
            s.bleSleep2 = MemberWord(rep, "ble_sleep2");
            s.deviceSleep1 = MemberWord(rep, "device_sleep1");
            s.deviceSleep2 = MemberWord(rep, "device_sleep2");
            s.keyDebounceTime = MemberWord(rep, "key_debounce_time");
        }
    }
    m_systemSettings = s;
    return s;
}

void CMouseProfiledata::WriteSystemSettings(const MouseSystemSettings& s) {
    m_systemSettings = s;
    Json::Value& sys = ObjectMember(m_deviceNode, "SystemStages");
    sys["DoubleClickTime"] = s.doubleClickTime;
    sys["MouseSpeed"] = s.mouseSpeed;
    sys["PointerPrecision"] = s.pointerPrecision;
    sys["ScorllPage"] = s.scrollPage;
    sys["WheelScorlllinse"] = s.wheelScrollLines;
    Json::Value& rep = ObjectMember(m_deviceNode, "ReportStages");
    rep["StageActive"] = s.reportRate;
    rep["SilentAltitude"] = s.silentAltitude;
    rep["Linear_Calibration"] = s.linearCalibration;
    rep["Ripple"] = s.ripple;
    rep["ble_sleep1"] = s.bleSleep1;
    rep["ble_sleep2"] = s.bleSleep2;
    rep["device_sleep1"] = s.deviceSleep1;
    rep["device_sleep2"] = s.deviceSleep2;
    rep["key_debounce_time"] = s.keyDebounceTime;
}

}  // namespace q840::profile
