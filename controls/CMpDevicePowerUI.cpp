#include "controls/CMpDevicePowerUI.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVariantMap>
#include <algorithm>
#include <cstring>

#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"

namespace q840::controls {

const char* const CMpDevicePowerUI::kLayoutFile = "XML/CustomControlXML/MpDevicePower.xml";

namespace {

const char* const kWarningColour = "#FFFFB020";
const char* const kStyleColourKey = "color";
const char* const kNormalColourProperty = "power_normal_colour";

void SetImage(QWidget* control, const char* description) {
    ui::CDialogBuilder::SetAttribute(control, QStringLiteral("bkimage"),
                                     QString::fromLatin1(description),
                                     ui::CPaintManagerUI::FromControl(control));
}

}  // namespace

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {
    // A horizontal container: the layout's children line up in a row.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void CMpDevicePowerUI::SetAttribute(const QString& name, const QString& value) {
    setProperty(("dui_" + name).toUtf8().constData(), value);
}

void CMpDevicePowerUI::SetType(int typeCode, int secondValue) {
    m_typeCode = typeCode;
    m_secondValue = secondValue;
}

bool CMpDevicePowerUI::LookUpControls() {
    auto find = [this](const char* name) { return findChild<QWidget*>(QString::fromLatin1(name)); };
    if (!m_layout) {
        m_layout = find("device_power_Layout");
    }
    if (!m_value) {
        m_value = find("device_power_value");
    }
    if (!m_wireless) {
        m_wireless = find("device_wuxian_logo");
    }
    if (!m_progress) {
        m_progress = qobject_cast<QProgressBar*>(find("device_Power_progress"));
        if (m_progress) {
            // The percentage is already written beside the bar.
            m_progress->setTextVisible(false);
            // The bar's value is the used part: drawn from the right over the charge colour.
            m_progress->setInvertedAppearance(true);
        }
    }
    if (!m_status) {
        m_status = find("device_power_status");
    }
    if (!m_phone) {
        m_phone = find("device_phone_type");
    }
    return m_value && m_wireless && m_progress && m_status && m_phone;
}

void CMpDevicePowerUI::SetPowerInfo(const unsigned char* record, int length) {
    unsigned char block[kRecordSize];
    std::memset(block, 0, sizeof(block));
    const int copied = record != nullptr ? std::clamp(length, 0, kRecordSize) : 0;
    if (copied > 0) {
        std::memcpy(block, record, static_cast<size_t>(copied));
    }
    if (!LookUpControls()) {
        return;
    }

    // A device that reports more than 100 % is shown as full rather than as a broken bar.
    const int percent = std::min<int>(block[0], 100);
    m_percent = percent;
    m_chargeState = block[1];
    m_progress->setValue(100 - percent);
    ui::CResourceManager::GetInstance().SetControlText(m_value,
                                                       QString::asprintf("%d%s", percent, "%"));

    if (m_typeCode == kTypeMouse) {
        m_wireless->setVisible(block[3] != 0);
    }

    switch (block[1]) {
        case 0:
            m_progress->show();
            SetImage(m_status, "file='power/powered.png'");
            break;
        case 1:
            m_progress->show();
            SetImage(m_status, "file='power/powering.png'");
            break;
        case 2:
            m_progress->show();
            SetImage(m_status, "file='power/power.png'");
            break;
        default:
            break;
    }
    ShowLow(block[1] == 2 && percent <= kLowPercent);

    if (m_typeCode == kTypeChargingPad) {
        const char* key = "Phone_type_no_device";
        const char* image = "file='power/Phone_type_no_device.png'";
        switch (block[5]) {
            case 1:
                key = "Phone_type_iphone";
                image = "file='power/Phone_type_iphone.png'";
                break;
            case 2:
                key = "Phone_type_samsung";
                image = "file='power/Phone_type_samsung.png'";
                break;
            case 3:
                key = "Phone_type_other";
                image = "file='power/Phone_type_other.png'";
                break;
            default:
                break;
        }
        ui::CResourceManager::GetInstance().SetControlText(m_phone, QString::fromLatin1(key));
        SetImage(m_phone, image);
        // The layout keeps the phone hidden for devices that are not a pad.
        m_phone->show();
    }
}

void CMpDevicePowerUI::ShowLow(bool low) {
    if (m_lowShown && m_low == low) {
        return;  // restyling re-polishes the controls; only a change needs it
    }
    m_lowShown = true;
    m_low = low;
    // The percentage takes the warning colour; the skin's own text colour comes back after.
    QVariantMap pieces = m_value->property("dui_style").toMap();
    if (!m_value->property(kNormalColourProperty).isValid()) {
        m_value->setProperty(kNormalColourProperty, pieces.value(kStyleColourKey, QString()));
    }
    const QString normal = m_value->property(kNormalColourProperty).toString();
    if (low) {
        ui::CDialogBuilder::SetAttribute(m_value, QStringLiteral("textcolor"),
                                         QString::fromLatin1(kWarningColour),
                                         ui::CPaintManagerUI::FromControl(m_value));
    } else if (pieces.contains(kStyleColourKey) && pieces.value(kStyleColourKey) != normal) {
        if (normal.isEmpty()) {
            pieces.remove(kStyleColourKey);
        } else {
            pieces.insert(kStyleColourKey, normal);
        }
        m_value->setProperty("dui_style", pieces);
        if (pieces.isEmpty()) {
            m_value->setStyleSheet(QString());
        } else {
            ui::CPaintManagerUI* manager = ui::CPaintManagerUI::FromControl(m_value);
            ui::CDialogBuilder::ApplyStylePieces(m_value, manager ? manager->GetDPI() : 96);
        }
    }
    m_progress->setProperty("low", low);
    m_value->setProperty("low", low);
    StyleBar();
}

void CMpDevicePowerUI::StyleBar() {
    if (m_progress->property("dui_style").isValid()) {
        return;  // the skin styles this bar itself
    }
    // The remaining charge is the bar's groove (accent, or the warning colour when low); the
    // used part (the value) is the track colour laid over it from the right.
    const QString sheet = QStringLiteral(
                              "QProgressBar{background:%1;border:none;border-radius:2px;}"
                              "QProgressBar::chunk{background:#2F343E;border-radius:2px;}")
                              .arg(m_low ? QStringLiteral("#FFB020") : QStringLiteral("#00B4FF"));
    ui::CPaintManagerUI* manager = ui::CPaintManagerUI::FromControl(m_progress);
    m_progress->setStyleSheet(ui::ScaleStyleSheet(sheet, manager ? manager->GetDPI() : 96));
}

void CMpDevicePowerUI::ShowPanel(bool show) {
    LookUpControls();
    if (m_layout) {
        m_layout->setVisible(show);
    }
}

bool CMpDevicePowerUI::Activate() {
    if (!isEnabled() || isHidden()) {
        return false;
    }
    NotifyFrom(this, ui::notify::kSelectChanged);
    return true;
}

}  // namespace q840::controls
