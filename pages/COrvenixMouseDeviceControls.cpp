// The mouse page's layout: the buttons of the device picture, the editors, and the settings
// controls (DPI stages, report rate, sensor, sleep and system options) with their value rules.

#include <QAbstractButton>
#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedWidget>
#include <algorithm>
#include <cstring>

#include "controls/CDeviceKeyButtonUI.h"
#include "core/base/DebugLine.h"
#include "core/profile/CMouseProfiledata.h"
#include "core/profile/JsonAccess.h"
#include "core/protocol/codecs/MouseDpi.h"
#include "editors/CLightControlUI.h"
#include "pages/COrvenixMouseDevice.h"
#include "pages/LedButtonPaint.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/IndexedName.h"

namespace q840::pages {

namespace {

// The editors of the layout, in the order of m_editors.
constexpr std::array<const char*, 5> kEditorNames = {"DeviceProfileItem", "LightControlItem",
                                                     "MacroControlItem", "KeySetControlItem",
                                                     "ShootControlItem"};

// Option 4 of the layout has no rate of its own.
constexpr int kReportRateOptions = int(profile::kReportRatesHz.size());
constexpr int kTwoWayOptions = profile::kTwoWayOptions;

QString Indexed(const char* prefix, int n) {
    return QLatin1String(prefix) + QString::number(n);
}

// Enables or disables everything in `widget` except `keep` (and the containers leading to it),
// so that a stage's own check box stays usable inside its disabled row.
void EnableAllBut(QWidget* widget, QWidget* keep, bool enabled) {
    for (QObject* child : widget->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || w == keep) {
            continue;
        }
        if (w->isAncestorOf(keep)) {
            EnableAllBut(w, keep, enabled);
        } else {
            w->setEnabled(enabled);
        }
    }
}

}  // namespace

QWidget* COrvenixMouseDevice::Control(const QString& name) const {
    if (auto* own = findChild<QWidget*>(name)) {
        return own;
    }
    return GetPaintManager() != nullptr ? GetPaintManager()->FindControl(name) : nullptr;
}

QWidget* COrvenixMouseDevice::GetEditor(const char* name) const {
    for (size_t i = 0; i < kEditorNames.size(); ++i) {
        if (qstrcmp(kEditorNames[i], name) == 0) {
            return m_editors[i];
        }
    }
    return nullptr;
}

// --- layout -----------------------------------------------------------------------------------

void COrvenixMouseDevice::BuildLayout() {
    BuildPage();
}

void COrvenixMouseDevice::BuildPage() {
    COrvenixUSBDevice::BuildLayout();

    QWidget* scope = findChild<QWidget*>(QStringLiteral("mouse_device_seting_layout"));
    if (scope == nullptr) {
        scope = this;
    }
    const int leds = GetLedCount();
    m_secondRow.assign(size_t(leds), nullptr);
    m_secondRowPushed.assign(size_t(leds), 0);
    m_logo = nullptr;
    m_logoPainted = false;
    static const QRegularExpression kSecondRow(QStringLiteral("^light_0_([0-9]+)$"));
    const auto panels = scope->findChildren<QWidget*>(QStringLiteral("SelectPanel"));
    for (QWidget* panel : panels) {
        for (auto* button : panel->findChildren<controls::CDeviceKeyButtonUI*>()) {
            const QString name = button->objectName();
            if (name == QLatin1String("logo")) {
                m_logo = button;
                continue;
            }
            const auto match = kSecondRow.match(name);
            if (!match.hasMatch()) {
                continue;
            }
            const int n = match.captured(1).toInt();
            if (n < leds) {
                m_secondRow[size_t(n)] = button;
                m_secondRowPushed[size_t(n)] = PackLed(255, 255, 255, 255);
                PaintLedButton(button, m_secondRowPushed[size_t(n)]);
            }
        }
    }

    for (size_t i = 0; i < kEditorNames.size(); ++i) {
        m_editors[i] = scope->findChild<QWidget*>(QLatin1String(kEditorNames[i]));
        if (m_editors[i] == nullptr) {
            // The editors come with their own parts of the program; until a layout carries one,
            // the page works without it.
            DebugLine("鼠标页面：未找到 %s", kEditorNames[i]);
        }
    }
    // The picture's card turns over to the key list and back.
    if (auto* cards = scope->findChild<QStackedWidget*>(QStringLiteral("mouse_picture_switch"))) {
        const std::pair<const char*, int> turns[] = {{"mouse_keylist_btn", 1},
                                                     {"mouse_picture_btn", 0}};
        for (const auto& [name, card] : turns) {
            if (auto* button = cards->findChild<QAbstractButton*>(QLatin1String(name))) {
                // Turning twice is harmless, so a second BuildPage may connect again.
                connect(button, &QAbstractButton::clicked, cards,
                        [cards, card = card] { cards->setCurrentIndex(card); });
            }
        }
    }
    // The macros tab shows the macro editor or the shoot pattern editor, as its bar says.
    if (auto* panels =
            scope->findChild<QStackedWidget*>(QStringLiteral("mouse_macro_shoot_switch"))) {
        const std::pair<const char*, int> turns[] = {{"mouse_macro_panel_op", 0},
                                                     {"mouse_shoot_panel_op", 1}};
        for (const auto& [name, panel] : turns) {
            if (auto* option = scope->findChild<QAbstractButton*>(QLatin1String(name))) {
                connect(option, &QAbstractButton::clicked, panels,
                        [panels, panel = panel] { panels->setCurrentIndex(panel); });
            }
        }
    }
    // Key names follow the language, and the list's rows the scale.
    connect(&ui::CResourceManager::GetInstance(), &ui::CResourceManager::languageChanged, this,
            &COrvenixMouseDevice::RefreshKeyList, Qt::UniqueConnection);
    if (ui::CPaintManagerUI* manager = GetPaintManager()) {
        connect(manager, &ui::CPaintManagerUI::dpiChanged, this,
                &COrvenixMouseDevice::RefreshKeyList, Qt::UniqueConnection);
    }
    // The page opens on the key assignment tab, with the profile the bar names.
    BindProfileBar(2);
    InitLightPreview();
    BindLightEditor();
    BindMacroEditor();
    BindKeyEditor(m_macroNames);
    BindShootEditor();
    ShowFunctionPanel(2);
}

void COrvenixMouseDevice::ShowFunctionPanel(int type) {
    COrvenixUSBDevice::ShowFunctionPanel(type);
    if (QWidget* tip = Control(QStringLiteral("device_tishi_info"))) {
        tip->setVisible(false);
    }
}

// --- preview on the buttons -------------------------------------------------------------------

void COrvenixMouseDevice::PushPreview() {
    // The light bar and the logo show the preview whoever controls the lighting; the base paints
    // the LED buttons only under software light control.
    PaintSecondRow();
    COrvenixUSBDevice::PushPreview();
}

void COrvenixMouseDevice::PaintSecondRow() {
    // Only changed colours are painted; each button repaints itself.
    for (size_t i = 0; i < m_secondRow.size(); ++i) {
        QWidget* button = m_secondRow[i];
        const uint32_t value = GetLedColour(int(i));
        if (button != nullptr && value != m_secondRowPushed[i]) {
            PaintLedButton(button, value);
            m_secondRowPushed[i] = value;
        }
    }
    const int logoLed = GetLogoLed();
    if (m_logo != nullptr && logoLed >= 0 && logoLed < GetLedCount()) {
        const uint32_t value = GetLedColour(logoLed);
        if (!m_logoPainted || value != m_logoPushed) {
            PaintLedButton(m_logo, value);
            m_logoPushed = value;
            m_logoPainted = true;
        }
    }
}

// --- settings controls ------------------------------------------------------------------------

std::vector<profile::DpiStage> COrvenixMouseDevice::Stages() const {
    return MouseProfile()->GetDpiStages();
}

void COrvenixMouseDevice::ApplySliderRanges() {
    const int maximum = protocol::DpiSliderMaximum(m_info.sensorId, m_info.sliderMaxPlus10);
    for (int n = 0; n < kDpiStages; ++n) {
        if (auto* slider = qobject_cast<QSlider*>(Control(Indexed("DPI_slider_", n)))) {
            if (maximum >= 0) {
                slider->setRange(0, maximum);
            }
        }
        auto* edit = qobject_cast<QLineEdit*>(Control(Indexed("DPI_edit_", n)));
        if (edit != nullptr && edit->validator() == nullptr) {
            edit->setValidator(new QIntValidator(0, protocol::kDpiEditMax, edit));
        }
    }
}

void COrvenixMouseDevice::ShowDpiStage(int n) {
    const auto stages = Stages();
    const profile::DpiStage stage =
        size_t(n) < stages.size() ? stages[size_t(n)] : profile::DpiStage{};
    if (auto* check = qobject_cast<QAbstractButton*>(Control(Indexed("DPI_enable_check_", n)))) {
        check->setChecked(stage.enabled != 0);
    }
    if (auto* slider = qobject_cast<QSlider*>(Control(Indexed("DPI_slider_", n)))) {
        slider->setValue(stage.dpiX);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(Control(Indexed("DPI_edit_", n)))) {
        edit->setText(QString::number(DpiNumber(stage.dpiX)));
    }
    if (QWidget* colour = Control(Indexed("DPI_color_option_", n))) {
        const uint32_t argb =
            0xFF000000u | (uint32_t(stage.red) << 16) | (uint32_t(stage.green) << 8) | stage.blue;
        ui::CDialogBuilder::SetAttribute(
            colour, QStringLiteral("bkcolor"),
            QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper(), GetPaintManager());
        colour->setProperty("stageColour", argb);
    }
}

void COrvenixMouseDevice::UpdateDpiStageControls() {
    const auto stages = Stages();
    const int active = MouseProfile()->GetActiveDpiStage();
    const int enabledCount = int(std::count_if(
        stages.begin(), stages.end(), [](const profile::DpiStage& s) { return s.enabled != 0; }));
    for (int n = 0; n < kDpiStages; ++n) {
        const bool enabled = size_t(n) < stages.size() && stages[size_t(n)].enabled != 0;
        QWidget* check = Control(Indexed("DPI_enable_check_", n));
        QWidget* layout = Control(Indexed("DPI_layout_", n));
        if (layout != nullptr && check != nullptr && layout->isAncestorOf(check)) {
            layout->setEnabled(true);
            EnableAllBut(layout, check, enabled);
        } else if (layout != nullptr) {
            layout->setEnabled(enabled);
        } else {
            for (const char* prefix :
                 {"DPI_select_check_", "DPI_slider_", "DPI_edit_", "DPI_color_option_"}) {
                if (QWidget* w = Control(Indexed(prefix, n))) {
                    w->setEnabled(enabled);
                }
            }
        }
        if (check != nullptr) {
            // The active stage, and the last stage left on, cannot be switched off.
            const bool locked = n == active || (enabled && enabledCount <= 1);
            check->setEnabled(!locked);
        }
        if (auto* select =
                qobject_cast<QAbstractButton*>(Control(Indexed("DPI_select_check_", n)))) {
            select->setChecked(n == active);
        }
    }
}

void COrvenixMouseDevice::SelectOption(const QString& prefix, int count, int value) {
    for (int i = 0; i < count; ++i) {
        if (auto* option = qobject_cast<QAbstractButton*>(Control(prefix + QString::number(i)))) {
            if (i != value) {
                option->setChecked(false);
            }
        }
    }
    if (auto* option = qobject_cast<QAbstractButton*>(Control(prefix + QString::number(value)))) {
        option->setChecked(true);
    }
}

namespace {

void SelectByUserData(QComboBox* combo, int value) {
    if (combo == nullptr) {
        return;
    }
    for (int i = 0; i < combo->count(); ++i) {
        bool ok = false;
        if (combo->itemData(i).toString().toInt(&ok) == value && ok) {
            combo->setCurrentIndex(i);
            return;
        }
    }
}

// The label beside a system slider ("pointer_speed_slider" -> "pointer_speed_value").
QString ValueLabelName(const QString& sliderName) {
    QString name = sliderName;
    return name.replace(QLatin1String("_slider"), QLatin1String("_value"));
}

void SetCheck(QWidget* control, bool on) {
    if (auto* check = qobject_cast<QAbstractButton*>(control)) {
        check->setChecked(on);
    }
}

int TwoWay(int value) {
    return value >= 0 && value < kTwoWayOptions ? value : 0;
}

}  // namespace

void COrvenixMouseDevice::ShowSystemSlider(const QString& name, int value) {
    auto* slider = qobject_cast<QSlider*>(Control(name));
    if (slider == nullptr) {
        return;
    }
    slider->setValue(value);
    // The label shows what the slider shows, clamped to its range.
    if (auto* label = qobject_cast<QLabel*>(Control(ValueLabelName(name)))) {
        label->setText(QString::number(slider->value()));
    }
}

void COrvenixMouseDevice::ShowSystemControls() {
    const profile::MouseSystemSettings& s = MouseProfile()->GetSystemSettings();
    const int rate = s.reportRate < kReportRateOptions ? s.reportRate : 0;
    SelectOption(QStringLiteral("polling_rate_option_"), kPollingOptions, rate);
    SelectOption(QStringLiteral("Silent_Altitude_option_"), kTwoWayOptions,
                 TwoWay(s.silentAltitude));
    SelectOption(QStringLiteral("Linear_Calibration_option_"), kTwoWayOptions,
                 TwoWay(s.linearCalibration));
    SelectOption(QStringLiteral("Ripple_option_"), kTwoWayOptions, TwoWay(s.ripple));
    SelectByUserData(qobject_cast<QComboBox*>(Control(QStringLiteral("ble_sleep1_combo"))),
                     s.bleSleep1);
    SelectByUserData(qobject_cast<QComboBox*>(Control(QStringLiteral("ble_sleep2_combo"))),
                     s.bleSleep2);
    SelectByUserData(qobject_cast<QComboBox*>(Control(QStringLiteral("device_sleep1_combo"))),
                     s.deviceSleep1);
    SelectByUserData(qobject_cast<QComboBox*>(Control(QStringLiteral("device_sleep2_combo"))),
                     s.deviceSleep2);
    if (auto* debounce =
            qobject_cast<QComboBox*>(Control(QStringLiteral("Anti_Shake_combo_timeSelect")))) {
        if (s.keyDebounceTime < debounce->count()) {
            debounce->setCurrentIndex(s.keyDebounceTime);
        }
    }
    ShowSystemSlider(QStringLiteral("pointer_speed_slider"), s.mouseSpeed);
    ShowSystemSlider(QStringLiteral("scroll_speed_slider"), s.wheelScrollLines);
    ShowSystemSlider(QStringLiteral("double_click_slider"), s.doubleClickTime);
    SetCheck(Control(QStringLiteral("pointer_precision_check")), s.pointerPrecision != 0);
    SetCheck(Control(QStringLiteral("scrolls_page_check")), s.scrollPage != 0);
}

void COrvenixMouseDevice::RefreshControls() {
    InitLightPreview();
    if (editors::CLightControlUI* editor = GetLightEditor()) {
        editor->ShowLightSetting(GetLightSettingsRecord());
    }
    ApplySliderRanges();
    for (int n = 0; n < kDpiStages; ++n) {
        ShowDpiStage(n);
    }
    UpdateDpiStageControls();
    ShowSystemControls();
    RefreshKeyList();
    ShowSelectedKeyAgain();
}

bool COrvenixMouseDevice::StoreStageEnabled(int n, bool enabled) {
    auto stages = Stages();
    if (n < 0 || size_t(n) >= stages.size() || n >= kDpiStages) {
        return false;
    }
    const int active = MouseProfile()->GetActiveDpiStage();
    const int enabledCount = int(std::count_if(
        stages.begin(), stages.end(), [](const profile::DpiStage& s) { return s.enabled != 0; }));
    if (!enabled && (n == active || (stages[size_t(n)].enabled != 0 && enabledCount <= 1))) {
        // Refused: the box goes back to what the profile holds.
        ShowDpiStage(n);
        UpdateDpiStageControls();
        return false;
    }
    const bool changed = (stages[size_t(n)].enabled != 0) != enabled;
    stages[size_t(n)].enabled = enabled ? 1 : 0;
    MouseProfile()->WriteDpiStages(stages);
    UpdateDpiStageControls();
    return changed;
}

bool COrvenixMouseDevice::SetStageColour(int n, uint32_t argb) {
    auto stages = Stages();
    if (n < 0 || size_t(n) >= stages.size() || n >= kDpiStages) {
        return false;
    }
    profile::DpiStage& stage = stages[size_t(n)];
    const uint8_t red = uint8_t(argb >> 16), green = uint8_t(argb >> 8), blue = uint8_t(argb);
    if (stage.red == red && stage.green == green && stage.blue == blue) {
        return false;
    }
    stage.red = red;
    stage.green = green;
    stage.blue = blue;
    MouseProfile()->WriteDpiStages(stages);
    ShowDpiStage(n);
    return true;
}

bool COrvenixMouseDevice::StoreStageIndex(int n, int index) {
    auto stages = Stages();
    if (n < 0 || size_t(n) >= stages.size() || n >= kDpiStages) {
        return false;
    }
    const auto value = uint16_t(std::clamp(index, 0, 0xFFFF));
    const bool changed = stages[size_t(n)].dpiX != value;
    stages[size_t(n)].dpiX = value;
    MouseProfile()->WriteDpiStages(stages);
    return changed;
}

bool COrvenixMouseDevice::ApplySettingsControl(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    auto* data = MouseProfile();
    const QString name = msg.pSender->objectName();
    const ui::IndexedName split = ui::SplitIndexedName(name);
    const QString& prefix = split.prefix;
    const int n = split.numeric ? split.index : -1;  // "DPI_slider_x" is no stage
    const QString& type = msg.sType;
    auto* button = qobject_cast<QAbstractButton*>(msg.pSender);
    const bool checked = button != nullptr ? button->isChecked() : msg.wParam != 0;
    auto* slider = qobject_cast<QSlider*>(msg.pSender);
    const int sliderValue = slider != nullptr ? slider->value() : int(msg.wParam);
    profile::MouseSystemSettings sys = data->GetSystemSettings();
    // Stores one system or report value; true when it changed.
    auto storeSystem = [&](uint16_t profile::MouseSystemSettings::*field, int value) {
        const auto v = uint16_t(std::clamp(value, 0, 0xFFFF));
        if (sys.*field == v) {
            return false;
        }
        sys.*field = v;
        data->WriteSystemSettings(sys);
        return true;
    };
    // DPI values only go to the sensors whose index the page knows how to write.
    const bool dpiStored = protocol::DpiValuesWritable(m_info.sensorId);

    if (type == ui::notify::kSelectChanged) {
        if (prefix == QLatin1String("DPI_enable_check_")) {
            return StoreStageEnabled(n, checked);
        }
        if (prefix == QLatin1String("DPI_select_check_")) {
            const auto stages = Stages();
            if (!checked) {
                return false;
            }
            if (n < 0 || n >= kDpiStages || size_t(n) >= stages.size() ||
                stages[size_t(n)].enabled == 0) {
                UpdateDpiStageControls();  // a stage that is off cannot become active
                return false;
            }
            const bool changed = data->GetActiveDpiStage() != n;
            data->SetActiveDpiStage(n);
            UpdateDpiStageControls();
            return changed;
        }
        if (prefix == QLatin1String("polling_rate_option_")) {
            if (!checked) {
                return false;
            }
            if (n < 0 || n >= kReportRateOptions) {
                ShowSystemControls();
                return false;
            }
            return storeSystem(&profile::MouseSystemSettings::reportRate, n);
        }
        const std::pair<const char*, uint16_t profile::MouseSystemSettings::*> twoWay[] = {
            {"Silent_Altitude_option_", &profile::MouseSystemSettings::silentAltitude},
            {"Linear_Calibration_option_", &profile::MouseSystemSettings::linearCalibration},
            {"Ripple_option_", &profile::MouseSystemSettings::ripple},
        };
        for (const auto& [p, field] : twoWay) {
            if (prefix == QLatin1String(p)) {
                if (!checked || n < 0 || n >= kTwoWayOptions) {
                    return false;
                }
                return storeSystem(field, n);
            }
        }
        if (name == QLatin1String("pointer_precision_check")) {
            return storeSystem(&profile::MouseSystemSettings::pointerPrecision, checked ? 1 : 0);
        }
        if (name == QLatin1String("scrolls_page_check")) {
            return storeSystem(&profile::MouseSystemSettings::scrollPage, checked ? 1 : 0);
        }
        return false;
    }

    if (type == ui::notify::kMoveValueChanged) {
        if (prefix == QLatin1String("DPI_slider_")) {
            if (auto* edit = qobject_cast<QLineEdit*>(Control(Indexed("DPI_edit_", n)))) {
                edit->setText(QString::number(DpiNumber(sliderValue)));
            }
        }
        return false;
    }

    if (type == ui::notify::kValueChanged) {
        if (prefix == QLatin1String("DPI_slider_")) {
            if (!dpiStored) {
                ShowDpiStage(n);
                return false;
            }
            const bool changed = StoreStageIndex(n, sliderValue);
            ShowDpiStage(n);
            return changed;
        }
        const std::pair<const char*, uint16_t profile::MouseSystemSettings::*> sliders[] = {
            {"pointer_speed_slider", &profile::MouseSystemSettings::mouseSpeed},
            {"scroll_speed_slider", &profile::MouseSystemSettings::wheelScrollLines},
            {"double_click_slider", &profile::MouseSystemSettings::doubleClickTime},
        };
        for (const auto& [sliderName, field] : sliders) {
            if (name == QLatin1String(sliderName)) {
                const bool changed = storeSystem(field, sliderValue);
                ShowSystemSlider(name, sliderValue);
                return changed;
            }
        }
        return false;
    }

    if (type == ui::notify::kKillFocus) {
        if (prefix != QLatin1String("DPI_edit_")) {
            return false;
        }
        auto* edit = qobject_cast<QLineEdit*>(msg.pSender);
        if (edit == nullptr || !dpiStored) {
            ShowDpiStage(n);
            return false;
        }
        const QString text = edit->text().trimmed();
        bool ok = true;
        const int number = text.isEmpty() ? 0 : text.toInt(&ok);
        if (!ok) {
            // Not a number: show the stored value again rather than guessing.
            ShowDpiStage(n);
            return false;
        }
        int index = DpiIndex(std::clamp(number, 0, protocol::kDpiEditMax));
        if (auto* stageSlider = qobject_cast<QSlider*>(Control(Indexed("DPI_slider_", n)))) {
            index = std::clamp(index, stageSlider->minimum(), stageSlider->maximum());
        }
        const bool changed = StoreStageIndex(n, index);
        ShowDpiStage(n);
        return changed;
    }

    if (type == ui::notify::kItemSelect) {
        auto* combo = qobject_cast<QComboBox*>(msg.pSender);
        const int item = combo != nullptr ? combo->currentIndex() : int(msg.wParam);
        if (name == QLatin1String("Anti_Shake_combo_timeSelect")) {
            return item >= 0 && storeSystem(&profile::MouseSystemSettings::keyDebounceTime, item);
        }
        const std::pair<const char*, uint16_t profile::MouseSystemSettings::*> sleeps[] = {
            {"ble_sleep1_combo", &profile::MouseSystemSettings::bleSleep1},
            {"ble_sleep2_combo", &profile::MouseSystemSettings::bleSleep2},
            {"device_sleep1_combo", &profile::MouseSystemSettings::deviceSleep1},
            {"device_sleep2_combo", &profile::MouseSystemSettings::deviceSleep2},
        };
        for (const auto& [comboName, field] : sleeps) {
            if (name == QLatin1String(comboName)) {
                if (combo == nullptr || item < 0 || item >= combo->count()) {
                    return false;
                }
                bool ok = false;
                const int value = combo->itemData(item).toString().toInt(&ok);
                return ok && storeSystem(field, value);
            }
        }
        return false;
    }

    if (type == ui::notify::kClick && name == QLatin1String("reset_repeat_btn")) {
        // The Windows mouse settings back to the factory profile's.
        const Json::Value root = data->Store().ReadJsonFile(data->GetDefaultProfilePath());
        using profile::json::Element;
        using profile::json::Member;
        using profile::json::MemberWord;
        const Json::Value& node = Element(Member(root, "Device"), 0);
        const Json::Value& defaults = Member(node, "SystemStages");
        if (!defaults.isObject()) {
            return false;
        }
        profile::MouseSystemSettings next = sys;
        next.doubleClickTime = MemberWord(defaults, "DoubleClickTime");
        next.mouseSpeed = MemberWord(defaults, "MouseSpeed");
        next.pointerPrecision = MemberWord(defaults, "PointerPrecision");
        next.scrollPage = MemberWord(defaults, "ScorllPage");
        next.wheelScrollLines = MemberWord(defaults, "WheelScorlllinse");
        const bool changed = std::memcmp(&next, &sys, sizeof(sys)) != 0;
        data->WriteSystemSettings(next);
        ShowSystemControls();
        return changed;
    }
    return false;
}

}  // namespace q840::pages
