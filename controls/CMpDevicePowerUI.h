#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "controls/ControlCommon.h"

class QProgressBar;

namespace q840::controls {

// The battery panel of one device page: percentage as text and as a bar, a charge-state picture,
// the wireless-link logo (mouse) and the phone lying on a charging pad. The window builds it from
// kLayoutFile, whose root element is this control and whose children carry the names below; the
// page feeds it with the status record of each battery read.
//
// Status record (up to 64 bytes; missing bytes count as 0):
//   0 battery percentage, 1 charge state (0 full on power, 1 charging, 2 on battery),
//   3 non-zero when the device is reached through its receiver, 5 phone kind on a charging pad
//   (1 iPhone, 2 Samsung, 3 other, anything else none).
class CMpDevicePowerUI : public QWidget, public ui::IUIAttributes, public IControlClass {
    Q_OBJECT
public:
    static const char* const kLayoutFile;
    static constexpr int kRecordSize = 64;
    static constexpr int kTypeMouse = 2;
    static constexpr int kTypeChargingPad = 3;
    // At or below this percentage, on battery, the percentage shows in the warning colour.
    static constexpr int kLowPercent = 20;

    explicit CMpDevicePowerUI(QWidget* parent = nullptr);
    static QWidget* Create() { return new CMpDevicePowerUI(); }

    QString GetClass() const override { return QStringLiteral("MpDevicePower"); }
    void SetAttribute(const QString& name, const QString& value) override;

    // The page's device type code (2 mouse, 3 charging pad) and a second value kept alongside.
    void SetType(int typeCode, int secondValue);
    int GetTypeCode() const { return m_typeCode; }
    int GetSecondValue() const { return m_secondValue; }

    // Shows one status record. Does nothing while a control of the panel is missing.
    void SetPowerInfo(const unsigned char* record, int length);
    // Shows or hides "device_power_Layout".
    void ShowPanel(bool show);
    // Activation: sends "selectchanged" from this control when it is visible and enabled.
    bool Activate();

    bool IsLow() const { return m_low; }
    // The last record shown: percentage (at most 100) and charge state; -1 before the first.
    int GetPercent() const { return m_percent; }
    int GetChargeState() const { return m_chargeState; }

private:
    bool LookUpControls();
    void ShowLow(bool low);
    void StyleBar();

    int m_typeCode = 0;
    int m_secondValue = 0;
    bool m_low = false;
    int m_percent = -1;
    int m_chargeState = -1;
    bool m_lowShown = false;  // the colours of m_low are applied
    QPointer<QWidget> m_layout;
    QPointer<QWidget> m_value;  // a label in the skin; any control with a text will do
    QPointer<QProgressBar> m_progress;
    QPointer<QWidget> m_status;
    QPointer<QWidget> m_wireless;
    QPointer<QWidget> m_phone;
};

}  // namespace q840::controls
