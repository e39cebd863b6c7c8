#include "editors/CLightControlUI.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <algorithm>

#include "core/base/DebugLine.h"
#include "editors/LightLayoutMaps.h"
#include "platform/ui/CColorPaletteUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/IndexedName.h"

namespace q840::editors {

namespace {

uint32_t PackColour(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue;
}

QString ColourAttribute(uint32_t argb) {
    return QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')).toUpper();
}

void Check(QAbstractButton* option, bool on) {
    if (option != nullptr) {
        const QSignalBlocker blocker(option);
        option->setChecked(on);
    }
}

const char* const kColourEdits[] = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
const char* const kAudioEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};

int ComponentIndex(char component) {
    switch (component) {
        case 'R':
            return 0;
        case 'G':
            return 1;
        case 'B':
            return 2;
        default:
            return -1;
    }
}

}  // namespace

const char* const CLightControlUI::kLayoutFile = "XML/CustomControlXML/LightControl.xml";

CLightControlUI::CLightControlUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void CLightControlUI::SetAttribute(const QString& /*name*/, const QString& /*value*/) {
    // No attributes of its own.
}

QWidget* CLightControlUI::Find(const QString& name) const {
    return findChild<QWidget*>(name);
}

QLineEdit* CLightControlUI::ColourEdit(char component) const {
    const int i = ComponentIndex(component);
    return i < 0 ? nullptr : FindAs<QLineEdit>(QLatin1String(kColourEdits[i]));
}

void CLightControlUI::SetEnabled(const char* name, bool enabled) {
    if (QWidget* w = Find(QLatin1String(name))) {
        w->setEnabled(enabled);
    }
}

void CLightControlUI::SetShown(const char* name, bool shown) {
    if (QWidget* w = Find(QLatin1String(name))) {
        w->setVisible(shown);
    }
}

// --- effects, sliders, options -----------------------------------------------------------------

void CLightControlUI::SetEffectList(const std::vector<EffectEntry>& effects, int brightnessMax,
                                    int speedMax) {
    if (auto* combo = FindAs<QComboBox>(QStringLiteral("light_combo_modeSelect"))) {
        const QSignalBlocker blocker(combo);
        combo->clear();
        auto* view = qobject_cast<QListView*>(combo->view());
        for (const EffectEntry& e : effects) {
            combo->addItem(ui::CResourceManager::GetInstance().GetText(e.nameKey), e.nameKey);
            const int row = combo->count() - 1;
            combo->setItemData(row, QSize(0, kItemHeight), Qt::SizeHintRole);
            if (view != nullptr) {
                view->setRowHidden(row, !e.visible);
            }
        }
    }
    for (const auto& [name, max] : {std::pair{"deng_light_slider", brightnessMax},
                                    std::pair{"deng_speed_slider", speedMax}}) {
        if (auto* slider = FindAs<QSlider>(QLatin1String(name))) {
            slider->setRange(0, max);
        }
    }
}

void CLightControlUI::SelectEffect(int index) {
    if (auto* combo = FindAs<QComboBox>(QStringLiteral("light_combo_modeSelect"))) {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(index < combo->count() ? index : -1);
        combo->setProperty("dui_previndex", combo->currentIndex());
    }
    UpdateLayout(m_deviceType, index);
}

int CLightControlUI::GetSelectedEffect() const {
    auto* combo = FindAs<QComboBox>(QStringLiteral("light_combo_modeSelect"));
    return combo != nullptr ? combo->currentIndex() : -1;
}

void CLightControlUI::SetBrightness(int value) {
    if (auto* slider = FindAs<QSlider>(QStringLiteral("deng_light_slider"))) {
        slider->setValue(value);
    }
}

int CLightControlUI::GetBrightness() const {
    auto* slider = FindAs<QSlider>(QStringLiteral("deng_light_slider"));
    return slider != nullptr ? slider->value() : 0;
}

void CLightControlUI::SetSpeed(int value) {
    if (auto* slider = FindAs<QSlider>(QStringLiteral("deng_speed_slider"))) {
        slider->setValue(value);
    }
}

int CLightControlUI::GetSpeed() const {
    auto* slider = FindAs<QSlider>(QStringLiteral("deng_speed_slider"));
    return slider != nullptr ? slider->value() : 0;
}

void CLightControlUI::SetMultiColour(bool on) {
    Check(FindAs<QAbstractButton>(QStringLiteral("deng_7color_check")), on);
}

bool CLightControlUI::GetMultiColour() const {
    auto* option = FindAs<QAbstractButton>(QStringLiteral("deng_7color_check"));
    return option != nullptr && option->isChecked();
}

void CLightControlUI::SetDirection(int direction) {
    Check(FindAs<QAbstractButton>(QStringLiteral("deng_FXL_check")), direction == 1);
    Check(FindAs<QAbstractButton>(QStringLiteral("deng_FXR_check")), direction != 1);
}

void CLightControlUI::SetSameModeAllowed(bool allowed) {
    m_sameModeAllowed = allowed;
    UpdateLayout(m_deviceType, GetSelectedEffect());
}

// --- colour ---------------------------------------------------------------------------------

void CLightControlUI::SetColourText(char component, const QString& text) {
    if (QLineEdit* edit = ColourEdit(component)) {
        edit->setText(text);
    }
}

QString CLightControlUI::GetColourText(char component) const {
    QLineEdit* edit = ColourEdit(component);
    return edit != nullptr ? edit->text() : QString();
}

void CLightControlUI::SetPaletteColour(uint32_t argb) {
    argb |= 0xFF000000u;
    if (auto* palette = FindAs<ui::CColorPaletteUI>(QStringLiteral("deng_Color_Pallet"))) {
        palette->SetSelectColor(argb);
    }
    if (QWidget* swatch = Find(QStringLiteral("deng_colordp_btn"))) {
        ui::CDialogBuilder::SetAttribute(swatch, QStringLiteral("bkcolor"), ColourAttribute(argb),
                                         ui::CPaintManagerUI::FromControl(this));
    }
}

uint32_t CLightControlUI::GetPaletteColour() const {
    auto* palette = FindAs<ui::CColorPaletteUI>(QStringLiteral("deng_Color_Pallet"));
    return palette != nullptr ? palette->GetSelectColor() : 0xFF000000u;
}

uint32_t CLightControlUI::GetPresetColour(int n) const {
    QWidget* button = Find(QStringLiteral("color_option_%1").arg(n));
    if (button == nullptr) {
        return 0;
    }
    const QColor colour =
        ui::CDialogBuilder::StylePieceColour(button, QStringLiteral("background-color"));
    return colour.isValid() ? 0xFF000000u | (colour.rgb() & 0x00FFFFFFu) : 0;
}

void CLightControlUI::ShowColour(uint8_t red, uint8_t green, uint8_t blue) {
    SetColourText('R', QString::number(red));
    SetColourText('G', QString::number(green));
    SetColourText('B', QString::number(blue));
    SetPaletteColour(PackColour(red, green, blue));
}

uint8_t CLightControlUI::TakeColourEdit(QLineEdit* edit) {
    const QString text = edit->text().trimmed();
    bool ok = false;
    const long value = text.toLong(&ok);
    const uint8_t kept = !ok || value < 0 ? 0 : uint8_t(std::min<long>(value, 255));
    // What the user sees is what is kept: "" shows "0", 300 shows "255".
    if (text != QString::number(kept)) {
        edit->setText(QString::number(kept));
    }
    return kept;
}

// --- the whole record --------------------------------------------------------------------------

void CLightControlUI::ShowLightSetting(const profile::LightSetting& s) {
    if (auto* combo = FindAs<QComboBox>(QStringLiteral("light_combo_modeSelect"))) {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(s.effect < combo->count() ? s.effect : -1);
        combo->setProperty("dui_previndex", combo->currentIndex());
    }
    SetBrightness(s.brightness);
    SetSpeed(s.speed);
    ShowColour(s.red, s.green, s.blue);
    SetMultiColour(s.multiColour != 0);
    if (auto* secondary = FindAs<QComboBox>(QStringLiteral("light_combo_ZZCCmodeSelect"))) {
        const QSignalBlocker blocker(secondary);
        secondary->setCurrentIndex(s.secondaryMode < secondary->count() ? s.secondaryMode : -1);
    }
    SetDirection(s.direction);
    UpdateLayout(m_deviceType, s.effect);
}

void CLightControlUI::UpdateLayout(int deviceType, int effect) {
    const LightLayoutMap* map = LightLayoutMapOf(deviceType);
    if (map == nullptr) {
        return;
    }
    const LightLayoutRow& row = LightLayoutRowOf(*map, effect);
    SetShown("deng_same_mode", false);
    SetEnabled("deng_fx_layout", true);
    if (map->keyboard) {
        SetShown("lightcustom_layout", false);
        SetShown("light_combo_ZZCCmodeSelectLayout", false);
        SetShown("light_combo_AudiomodeSelectLayout", false);
        SetEnabled("light_color_layout", true);
        SetShown("deng_speed_layout", true);
        if (auto* tabs = FindAs<QStackedWidget>(QStringLiteral("light_color_tablayout"))) {
            tabs->setCurrentIndex(0);
        }
    }
    for (int i = 0; i < kLightGroupCount; ++i) {
        SetEnabled(kLightGroupControls[size_t(i)], (row.groups & (1 << i)) != 0);
    }
    SetShown("deng_same_mode", row.sameMode && m_sameModeAllowed);
    if (!map->keyboard) {
        return;
    }
    const int pair = row.directionTexts != 0 ? row.directionTexts : 1;
    const DirectionTexts& texts = kDirectionTexts[size_t(pair - 1)];
    ui::CPaintManagerUI* manager = ui::CPaintManagerUI::FromControl(this);
    for (const auto& [name, key] : {std::pair{"deng_FXL_check", texts.left},
                                    std::pair{"deng_FXR_check", texts.right}}) {
        if (QWidget* option = Find(QLatin1String(name))) {
            ui::CDialogBuilder::SetAttribute(option, QStringLiteral("text"), QLatin1String(key),
                                             manager);
        }
    }
    if (row.extras & kColourAreaDisabled) {
        SetEnabled("light_color_layout", false);
    }
    if (row.extras & kSpeedHidden) {
        SetShown("deng_speed_layout", false);
    }
    if (row.extras & kSecondaryModeShown) {
        SetShown("light_combo_ZZCCmodeSelectLayout", true);
    }
    if (row.extras & kCustomModeShown) {
        SetShown("lightcustom_layout", true);
    }
    if (row.extras & kAudioModeShown) {
        SetShown("light_combo_AudiomodeSelectLayout", true);
    }
    if (row.extras & kAudioColourTab) {
        if (auto* tabs = FindAs<QStackedWidget>(QStringLiteral("light_color_tablayout"))) {
            tabs->setCurrentIndex(1);
        }
    }
}

// --- audio-reactive colour -----------------------------------------------------------------------

bool CLightControlUI::ShowAudioLightSetting(const profile::AudioLightSetting& s) {
    auto* mode = FindAs<QComboBox>(QStringLiteral("light_combo_audiomodeSelect"));
    QWidget* swatch = Find(QStringLiteral("deng_audiocolordp_btn"));
    if (mode == nullptr || swatch == nullptr) {
        DebugLine("audio light controls missing");
        return false;
    }
    {
        const QSignalBlocker blocker(mode);
        mode->setCurrentIndex(s.audioMode < mode->count() ? s.audioMode : -1);
    }
    const bool foreground = s.colourTypeFlags != 0;
    Check(FindAs<QAbstractButton>(QStringLiteral("audio_BkColor_check")), !foreground);
    Check(FindAs<QAbstractButton>(QStringLiteral("audio_FgColor_check")), foreground);
    if (foreground) {
        Check(FindAs<QAbstractButton>(QStringLiteral("deng_7audiocolor_check")),
              s.sevenColourFlags != 0);
    }
    const uint8_t rgb[3] = {foreground ? s.fgRed : s.bkRed, foreground ? s.fgGreen : s.bkGreen,
                            foreground ? s.fgBlue : s.bkBlue};
    for (int i = 0; i < 3; ++i) {
        if (auto* edit = FindAs<QLineEdit>(QLatin1String(kAudioEdits[i]))) {
            edit->setText(QString::number(rgb[i]));
        }
    }
    const uint32_t argb = PackColour(rgb[0], rgb[1], rgb[2]);
    if (auto* palette = FindAs<ui::CColorPaletteUI>(QStringLiteral("deng_audioColor_Pallet"))) {
        palette->SetSelectColor(argb);
    }
    ui::CDialogBuilder::SetAttribute(swatch, QStringLiteral("bkcolor"), ColourAttribute(argb),
                                     ui::CPaintManagerUI::FromControl(this));
    const bool editable = s.audioMode != 3;
    SetEnabled("light_audiocolor_layout", editable);
    SetEnabled("audiocolorpallet_layout", editable);
    return true;
}

bool CLightControlUI::GetAudioLightSetting(profile::AudioLightSetting* s) const {
    auto* mode = FindAs<QComboBox>(QStringLiteral("light_combo_audiomodeSelect"));
    QWidget* swatch = Find(QStringLiteral("deng_audiocolordp_btn"));
    auto* seven = FindAs<QAbstractButton>(QStringLiteral("deng_7audiocolor_check"));
    auto* background = FindAs<QAbstractButton>(QStringLiteral("audio_BkColor_check"));
    auto* foreground = FindAs<QAbstractButton>(QStringLiteral("audio_FgColor_check"));
    if (mode == nullptr || swatch == nullptr || seven == nullptr || background == nullptr ||
        foreground == nullptr || s == nullptr) {
        DebugLine("audio light controls missing");
        return false;
    }
    s->audioMode = uint8_t(std::max(0, mode->currentIndex()));
    s->colourTypeFlags = foreground->isChecked() ? 1 : 0;
    s->sevenColourFlags = seven->isChecked() ? 1 : 0;
    uint8_t rgb[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (auto* edit = FindAs<QLineEdit>(QLatin1String(kAudioEdits[i]))) {
            rgb[i] = uint8_t(std::clamp(edit->text().toInt(), 0, 255));
        }
    }
    uint8_t* target = s->colourTypeFlags ? &s->fgRed : &s->bkRed;
    target[0] = rgb[0];
    target[1] = rgb[1];
    target[2] = rgb[2];
    return true;
}

// --- notifications -----------------------------------------------------------------------------

bool CLightControlUI::ApplyNotification(const ui::TNotifyUI& msg, profile::LightSetting& record) {
    if (msg.pSender == nullptr || !isAncestorOf(msg.pSender)) {
        return false;
    }
    const QString name = msg.pSender->objectName();
    const QString& type = msg.sType;
    auto is = [&name](const char* control) {
        return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
    };
    if (type == ui::notify::kItemSelect && is("light_combo_modeSelect")) {
        const int effect = GetSelectedEffect();
        if (effect < 0) {
            return false;
        }
        UpdateLayout(m_deviceType, effect);
        record.effect = uint8_t(effect);
        return true;
    }
    // A drag notifies each step as it moves, the release once more.
    const bool sliderMoved =
        type == ui::notify::kValueChanged || type == ui::notify::kMoveValueChanged;
    if (sliderMoved && is("deng_light_slider")) {
        record.brightness = uint8_t(GetBrightness());
        return true;
    }
    if (sliderMoved && is("deng_speed_slider")) {
        record.speed = uint8_t(GetSpeed());
        return true;
    }
    if (type == ui::notify::kSelectChanged && (is("deng_FXL_check") || is("deng_FXR_check"))) {
        auto* option = qobject_cast<QAbstractButton*>(msg.pSender);
        if (option != nullptr && !option->isChecked()) {
            return false;  // the option that was left; the chosen one notifies too
        }
        record.direction = is("deng_FXL_check") ? 1 : 0;
        return true;
    }
    if (type == ui::notify::kSelectChanged && is("deng_7color_check")) {
        record.multiColour = GetMultiColour() ? 1 : 0;
        return true;
    }
    uint32_t colour = 0;
    bool colourChosen = false;
    if (type == ui::notify::kColorChanged && is("deng_Color_Pallet")) {
        colour = GetPaletteColour();
        colourChosen = true;
    } else if (type == ui::notify::kClick &&
               ui::SplitIndexedName(name).prefix.compare(QLatin1String("color_option_"),
                                                         Qt::CaseInsensitive) == 0) {
        colour = GetPresetColour(ui::SplitIndexedName(name).index);
        if (colour == 0) {
            return false;
        }
        colourChosen = true;
    }
    if (colourChosen) {
        record.red = uint8_t(colour >> 16);
        record.green = uint8_t(colour >> 8);
        record.blue = uint8_t(colour);
        record.multiColour = 0;
        SetMultiColour(false);
        ShowColour(record.red, record.green, record.blue);
        return true;
    }
    if (type == ui::notify::kKillFocus) {
        for (int i = 0; i < 3; ++i) {
            if (!is(kColourEdits[i])) {
                continue;
            }
            const uint8_t value = TakeColourEdit(qobject_cast<QLineEdit*>(msg.pSender));
            (i == 0 ? record.red : i == 1 ? record.green : record.blue) = value;
            record.multiColour = 0;
            SetMultiColour(false);
            SetPaletteColour(PackColour(record.red, record.green, record.blue));
            return true;
        }
    }
    if (type == ui::notify::kItemSelect && is("light_combo_ZZCCmodeSelect")) {
        auto* combo = qobject_cast<QComboBox*>(msg.pSender);
        record.secondaryMode = uint8_t(std::max(0, combo != nullptr ? combo->currentIndex() : 0));
        return true;
    }
    if (type == ui::notify::kItemSelect && is("light_combo_custommodeSelect")) {
        auto* combo = qobject_cast<QComboBox*>(msg.pSender);
        record.customGroup = uint8_t(std::max(0, combo != nullptr ? combo->currentIndex() : 0));
        return true;
    }
    return false;
}

}  // namespace q840::editors
